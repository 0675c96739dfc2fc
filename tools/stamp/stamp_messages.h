#ifndef VEXIL_TOOLS_STAMP_STAMP_MESSAGES_H_
#define VEXIL_TOOLS_STAMP_STAMP_MESSAGES_H_

// Header only: a table of texts.

// Every text vexil-stamp shows, and the words it reads from the user (options,
// template names), in one place. "{1}", "{2}", ... stand for the values that
// fill() puts in: paths come in quotes, so that blanks show. Tests compare
// messages with these texts, so change a text here only. The usage text
// spells the options out again: keep the two alike.

#include <initializer_list>
#include <string>

namespace stamp_message {

// The words users write: options, and the names a .lap template stands for.
inline constexpr char kHelpOption[] = "--help";
inline constexpr char kShortHelpOption[] = "-h";
inline constexpr char kVersionOption[] = "--version";
inline constexpr char kOptionStart[] = "--";
inline constexpr char kIconOption[] = "--icon";
inline constexpr char kFileVersionOption[] = "--file-version";
inline constexpr char kProductVersionOption[] = "--product-version";
inline constexpr char kProductNameOption[] = "--product-name";
inline constexpr char kCompanyOption[] = "--company";
inline constexpr char kDescriptionOption[] = "--description";
inline constexpr char kCopyrightOption[] = "--copyright";
inline constexpr char kOriginalFilenameOption[] = "--original-filename";
inline constexpr char kLapOption[] = "--lap";
inline constexpr char kNamePlaceholder[] = "@NAME@";
inline constexpr char kProductNamePlaceholder[] = "@PRODUCT_NAME@";
inline constexpr char kProductVersionPlaceholder[] = "@PRODUCT_VERSION@";
inline constexpr char kFileVersionPlaceholder[] = "@FILE_VERSION@";
inline constexpr char kCompanyPlaceholder[] = "@COMPANY@";
inline constexpr char kDescriptionPlaceholder[] = "@DESCRIPTION@";
inline constexpr char kCopyrightPlaceholder[] = "@COPYRIGHT@";

// The command line.
inline constexpr char kUsage[] =
    "Usage: vexil-stamp [OPTION...] LAUNCHER OUTPUT\n"
    "Copies LAUNCHER (wlaunch.exe or claunch.exe) to OUTPUT, for instance MyApp.exe, and writes the\n"
    "application's icon and version information into the copy. LAUNCHER itself is not changed.\n"
    "\n"
    "  --icon FILE.ico              the program's icon, with every image size in the file\n"
    "  --file-version 1.2.3.4       version of the file (one to four numbers)\n"
    "  --product-version 1.2.3.4    version of the product (each version defaults to the other)\n"
    "  --product-name TEXT          name of the product\n"
    "  --company TEXT               company name\n"
    "  --description TEXT           file description, shown by Windows as the program's name\n"
    "  --copyright TEXT             legal copyright\n"
    "  --original-filename NAME     original file name (default: the file name of OUTPUT)\n"
    "  --lap TEMPLATE               also write OUTPUT's .lap file from TEMPLATE, in which @NAME@,\n"
    "                               @PRODUCT_NAME@, @PRODUCT_VERSION@, @FILE_VERSION@, @COMPANY@,\n"
    "                               @DESCRIPTION@ and @COPYRIGHT@ stand for the values above\n"
    "  --help                       show this text\n"
    "\n"
    "The launcher's own version information is replaced; fields not given are left out.\n"
    "OUTPUT and its .lap file are written whole or not at all; an existing one is replaced,\n"
    "a missing folder is made.\n";
inline constexpr char kVersion[] = "vexil-stamp {1}\n";
inline constexpr char kFailure[] = "vexil-stamp: {1}\n";
inline constexpr char kUsageFailure[] = "vexil-stamp: {1} Run vexil-stamp --help for the options.\n";
inline constexpr char kUnknownOption[] = "unknown option {1}.";
inline constexpr char kOptionNeedsValue[] = "{1} needs a value.";
inline constexpr char kOptionTwice[] = "{1} is given twice.";
inline constexpr char kTwoFiles[] = "give the launcher to copy and the name of the copy.";
inline constexpr char kOptionValue[] = "{1}: {2}";
inline constexpr char kQuoted[] = "\"{1}\"";
inline constexpr char kNotAVersion[] =
    "\"{1}\" is not a version number: write one to four numbers from 0 to 65535, as in 1.2.3.4.";

// The files read: what each is called in a message.
inline constexpr char kLauncherFile[] = "launcher";
inline constexpr char kIconFile[] = "icon file";
inline constexpr char kLapTemplateFile[] = ".lap template";

// The files written.
inline constexpr char kCopyFile[] = "copy";
inline constexpr char kLapFile[] = ".lap file";
inline constexpr char kWouldReplaceInput[] = "The {1} {2} would replace the {3} itself: give another name.";

// Why a file cannot be read or written: follows kCannotRead, kCannotWrite or kCannotReplace.
inline constexpr char kCannotRead[] = "Cannot read the {1} {2}: {3}";
inline constexpr char kCannotWrite[] = "Cannot write {1}: {2}";
inline constexpr char kCannotReplace[] = "Cannot replace {1}: {2}";
inline constexpr char kMissing[] = "it does not exist.";
inline constexpr char kIsFolder[] = "it is a folder.";
inline constexpr char kNotRegular[] = "it is a device or a pipe, not a file.";
inline constexpr char kTooLarge[] = "it is larger than {1} MB.";
inline constexpr char kSystemReason[] = "{1}.";
inline constexpr char kFolderNotMade[] = "the folder {1} cannot be made.";
inline constexpr char kReadOnly[] = "the file is read-only.";
inline constexpr char kFolderNotWritable[] = "the folder cannot be written to ({1}).";
inline constexpr char kWritingFailed[] = "writing failed (is the disk full?).";
inline constexpr char kNotReplaced[] =
    "the finished file cannot be put in its place (is a file of that name in use, or the name too long?).";

// What is wrong with a launcher: follows kLauncherUnusable.
inline constexpr char kLauncherUnusable[] = "The launcher {1} cannot be stamped: {2}";
inline constexpr char kNotALauncher[] =
    "it is not a Vexil launcher (wlaunch.exe, claunch.exe or a program stamped from one).";
inline constexpr char kNotAProgram[] = "it is not a Windows program (no valid PE headers).";
inline constexpr char kSigned[] =
    "it is signed, and a change would break the signature: stamp the unsigned program, then sign.";
inline constexpr char kPointsOutside[] = "its resource table is damaged (it points outside the file).";
inline constexpr char kTableDamaged[] = "its resource table is damaged.";
inline constexpr char kBeyond4Gb[] = "it would grow beyond 4 GB.";
inline constexpr char kResourcesTooLarge[] = "its resources would be too large.";
inline constexpr char kDuplicateResource[] = "two resources have the same type, name and language.";
inline constexpr char kNameTooLong[] = "a resource name is too long.";
inline constexpr char kNoResourceEntry[] = "its headers have no entry for a resource table.";
inline constexpr char kNoRoomForSection[] = "its headers have no room for another section.";
inline constexpr char kVersionTextsTooLong[] = "the version texts are too long.";

// What is wrong with an icon file: follows kIconUnusable.
inline constexpr char kIconUnusable[] = "The icon file {1} is not usable: {2}";
inline constexpr char kIconTooShort[] = "it is too short to be an icon file.";
inline constexpr char kIconIsCursor[] = "it is a cursor, not an icon.";
inline constexpr char kIconBadStart[] = "it does not begin like an icon file.";
inline constexpr char kIconEmpty[] = "it holds no image.";
inline constexpr char kIconListCut[] = "it is cut off in its list of images.";
inline constexpr char kImageOutside[] = "image {1} of {2} lies outside the file.";
inline constexpr char kImageUnknown[] = "image {1} of {2} is neither a PNG nor a bitmap image.";

/// TEXT with "{1}" replaced by the first of VALUES, "{2}" by the second, and so on (up to nine).
inline std::string fill(const char* text, std::initializer_list<std::string> values) {
  std::string filled;
  for (const char* c = text; *c != '\0'; ++c) {
    const auto index = static_cast<std::size_t>(c[1] - '1');
    if (c[0] == '{' && c[1] >= '1' && c[1] <= '9' && c[2] == '}' && index < values.size()) {
      filled += values.begin()[index];
      c += 2;
    } else {
      filled += *c;
    }
  }
  return filled;
}

}  // namespace stamp_message

#endif  // VEXIL_TOOLS_STAMP_STAMP_MESSAGES_H_
