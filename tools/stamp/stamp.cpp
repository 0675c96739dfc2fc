#include "tools/stamp/stamp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "platform/argument_encoding.h"
#include "platform/conventions.h"
#include "platform/file_checks.h"
#include "platform/file_updates.h"
#include "platform/standard_io.h"
#include "text/ascii_text.h"
#include "tools/stamp/pe_resources.h"
#include "tools/stamp/stamp_messages.h"

// Files go through platform/, never std::filesystem: MinGW's narrow paths are
// in the ANSI code page, whatever the program's manifest says, and miss any
// name that code page cannot hold; platform/ calls the wide functions.

namespace {

using stamp_message::fill;

// More than any launcher, icon or template holds; a device or a wrong file
// stops here instead of filling the memory.
constexpr std::size_t kLargestInputMegabytes = 64;
constexpr std::size_t kLargestInput = kLargestInputMegabytes << 20;

// Paths are the user's own text; quoted in messages so that blanks show.
std::string inQuotes(const std::string& path) { return fill(stamp_message::kQuoted, {path}); }

StampError cannotRead(const char* what, const std::string& path, const std::string& reason) {
  return StampError(fill(stamp_message::kCannotRead, {what, inQuotes(path), reason}));
}

StampError cannotWrite(const std::string& target, const std::string& reason) {
  return StampError(fill(stamp_message::kCannotWrite, {inQuotes(target), reason}));
}

bool isSeparator(char c) { return c == '/' || c == hostConventions().pathSeparator; }

/// Where the file name in PATH begins.
std::size_t fileNameStart(const std::string& path) {
  std::size_t start = path.size();
  while (start > 0 && !isSeparator(path[start - 1])) --start;
  // "C:App.exe" names App.exe in drive C's current folder.
  if (start == 0 && hostConventions().pathSeparator == '\\' && path.size() >= 2 && path[1] == ':') start = 2;
  return start;
}

std::string fileNameOf(const std::string& path) { return path.substr(fileNameStart(path)); }

/// The folder that holds PATH, as written; empty for a name alone. A root
/// ("/", "C:\") keeps its separator.
std::string folderOf(const std::string& path) {
  std::size_t end = fileNameStart(path);
  if (end == 0) return std::string();
  const std::size_t nameStart = end;
  while (end > 0 && isSeparator(path[end - 1])) --end;
  const bool root = end == 0 || (end == 2 && path[1] == ':' && hostConventions().pathSeparator == '\\');
  return path.substr(0, root ? nameStart : end);
}

std::string withoutExe(const std::string& name) {
  return endsWith(lowerCasedAscii(name), ".exe") ? name.substr(0, name.size() - 4) : name;
}

std::string systemReason(int error) { return fill(stamp_message::kSystemReason, {std::strerror(error)}); }

std::string readInput(const std::string& path, const char* what) {
  const FileStamp stamp = fileStamp(path);
  if (!stamp.exists) throw cannotRead(what, path, stamp_message::kMissing);
  if (stamp.isDirectory) throw cannotRead(what, path, stamp_message::kIsFolder);
  // A pipe without a writer would block the tool for good.
  if (isSpecialFile(path)) throw cannotRead(what, path, stamp_message::kNotRegular);
  const StampError tooLarge =
      cannotRead(what, path, fill(stamp_message::kTooLarge, {std::to_string(kLargestInputMegabytes)}));
  if (stamp.size > kLargestInput) throw tooLarge;
  std::FILE* file = openFile(path, "rb");
  if (file == nullptr) {
    throw cannotRead(what, path, systemReason(errno));
  }
  std::string bytes;
  char buffer[65536];
  std::size_t count;
  while (bytes.size() <= kLargestInput && (count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, count);
  }
  const int error = std::ferror(file) != 0 ? errno : 0;
  std::fclose(file);
  if (error != 0) throw cannotRead(what, path, systemReason(error));
  if (bytes.size() > kLargestInput) throw tooLarge;
  return bytes;
}

/// The folders made for a file to be written, removed again unless kept.
class MadeFolders {
 public:
  /// Makes FOLDER and its missing parents; throws naming TARGET when it cannot.
  MadeFolders(const std::string& folder, const std::string& target) {
    for (std::string missing = folder; !missing.empty() && !fileStamp(missing).exists;) {
      m_folders.push_back(missing);
      const std::string parent = folderOf(missing);
      if (parent == missing) break;
      missing = parent;
    }
    if (!m_folders.empty() && !makeFolders(m_folders.front())) {
      removeAll();
      throw cannotWrite(target, fill(stamp_message::kFolderNotMade, {inQuotes(folder)}));
    }
  }
  ~MadeFolders() { removeAll(); }
  MadeFolders(const MadeFolders&) = delete;
  MadeFolders& operator=(const MadeFolders&) = delete;

  void keep() { m_folders.clear(); }

 private:
  void removeAll() {
    for (const std::string& folder : m_folders) removeEmptyFolder(folder);  // the deepest first
    m_folders.clear();
  }

  std::vector<std::string> m_folders;  ///< the deepest first
};

/// Refuses TARGET when a file there must not or cannot be replaced.
void checkReplaceable(const std::string& target) {
  if (fileStamp(target).isDirectory) throw cannotWrite(target, stamp_message::kIsFolder);
  // Renaming over /dev/null would replace the device itself (as root, or an administrator).
  if (isSpecialFile(target)) throw cannotWrite(target, stamp_message::kNotRegular);
  // On Windows the read-only attribute; an administrator could write anyway,
  // but the file says it must not change.
  if (isReadOnlyFile(target))
    throw StampError(fill(stamp_message::kCannotReplace, {inQuotes(target), stamp_message::kReadOnly}));
}

/// A file that appears whole under its name or not at all: written to a
/// temporary name in the same folder, renamed by commit(), removed otherwise.
class PendingFile {
 public:
  PendingFile(std::string target, const std::string& contents) : m_target(std::move(target)) {
    // A short name of its own: the target's name and more could pass the
    // system's limit on a name's length.
    std::random_device random;
    const std::string folder = folderOf(m_target);
    std::string prefix = folder;
    if (!prefix.empty() && !isSeparator(prefix.back()) && prefix.back() != ':')
      prefix += hostConventions().pathSeparator;
    do {
      m_temporary = prefix + ".vexil-stamp-" + std::to_string(random() % 1000000) + ".tmp";
    } while (fileStamp(m_temporary).exists);
    std::FILE* file = openFile(m_temporary, "wb");
    if (file == nullptr) {
      const int error = errno;
      m_temporary.clear();
      throw cannotWrite(m_target, fill(stamp_message::kFolderNotWritable, {std::strerror(error)}));
    }
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    if (std::fclose(file) != 0 || !written) {
      discard();
      throw cannotWrite(m_target, stamp_message::kWritingFailed);
    }
  }
  ~PendingFile() { discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  void commit() {
    if (!replaceFile(m_temporary, m_target)) throw cannotWrite(m_target, stamp_message::kNotReplaced);
    m_temporary.clear();
  }

 private:
  void discard() {
    if (m_temporary.empty()) return;
    removeFile(m_temporary);
    m_temporary.clear();
  }

  std::string m_target;
  std::string m_temporary;
};

std::string stampedProgram(const StampRequest& request) {
  const std::string launcher = readInput(request.launcher, stamp_message::kLauncherFile);
  std::vector<Resource> added;
  if (!request.icon.empty()) {
    const std::string icon = readInput(request.icon, stamp_message::kIconFile);
    try {
      added = iconResources(icon);
    } catch (const StampError& error) {
      throw StampError(fill(stamp_message::kIconUnusable, {inQuotes(request.icon), error.what()}));
    }
  }
  // Version texts in the runtime's modified UTF-8, whatever the system's encoding of arguments.
  VersionFields fields = request.version;
  for (std::string* text : {&fields.productName, &fields.companyName, &fields.fileDescription, &fields.legalCopyright,
                            &fields.originalFilename, &fields.internalName}) {
    *text = toModifiedUtf8(*text);
  }
  const std::string fileName = fileNameOf(request.output);
  if (fields.originalFilename.empty()) fields.originalFilename = toModifiedUtf8(fileName);
  if (fields.internalName.empty()) fields.internalName = toModifiedUtf8(withoutExe(fileName));

  try {
    PeFile program(launcher);
    std::vector<Resource> resources;
    for (Resource& resource : program.resources()) {
      const bool replaced = resource.type == ResourceKey::number(kResourceVersion) ||
                            (!request.icon.empty() && (resource.type == ResourceKey::number(kResourceIcon) ||
                                                       resource.type == ResourceKey::number(kResourceGroupIcon)));
      if (!replaced) resources.push_back(std::move(resource));
    }
    // Any other program would be copied as if it were one, and would not start the application.
    if (!carriesLauncherMark(resources)) throw StampError(stamp_message::kNotALauncher);
    added.push_back(versionResource(fields));
    resources.insert(resources.end(), added.begin(), added.end());
    program.replaceResources(resources);
    return program.bytes();
  } catch (const StampError& error) {
    throw StampError(fill(stamp_message::kLauncherUnusable, {inQuotes(request.launcher), error.what()}));
  }
}

}  // namespace

std::string stampUsage() { return stamp_message::kUsage; }

StampRequest parseStampArguments(const std::vector<std::string>& arguments) {
  StampRequest request;
  std::pair<const char*, std::string*> options[] = {
      {stamp_message::kIconOption, &request.icon},
      {stamp_message::kFileVersionOption, &request.version.fileVersion},
      {stamp_message::kProductVersionOption, &request.version.productVersion},
      {stamp_message::kProductNameOption, &request.version.productName},
      {stamp_message::kCompanyOption, &request.version.companyName},
      {stamp_message::kDescriptionOption, &request.version.fileDescription},
      {stamp_message::kCopyrightOption, &request.version.legalCopyright},
      {stamp_message::kOriginalFilenameOption, &request.version.originalFilename},
      {stamp_message::kLapOption, &request.lapTemplate},
  };
  std::vector<std::string> files;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == stamp_message::kHelpOption || argument == stamp_message::kShortHelpOption) {
      request.help = true;
      return request;
    }
    if (!startsWith(argument, stamp_message::kOptionStart)) {
      files.push_back(argument);
      continue;
    }
    std::string* value = nullptr;
    for (auto& [name, field] : options) {
      if (argument == name) value = field;
    }
    if (value == nullptr) throw UsageError(fill(stamp_message::kUnknownOption, {argument}));
    if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
      throw UsageError(fill(stamp_message::kOptionNeedsValue, {argument}));
    }
    if (!value->empty()) throw UsageError(fill(stamp_message::kOptionTwice, {argument}));
    *value = arguments[++i];
  }
  if (files.size() != 2) throw UsageError(stamp_message::kTwoFiles);
  request.launcher = files[0];
  request.output = files[1];
  for (auto [name, text] : {std::pair{stamp_message::kFileVersionOption, &request.version.fileVersion},
                            std::pair{stamp_message::kProductVersionOption, &request.version.productVersion}}) {
    try {
      if (!text->empty()) parseVersion(*text);
    } catch (const StampError& error) {
      throw UsageError(fill(stamp_message::kOptionValue, {name, error.what()}));
    }
  }
  return request;
}

std::string lapPathFor(const std::string& program) { return withoutExe(program) + ".lap"; }

std::string expandLapTemplate(const std::string& lapTemplate, const StampRequest& request) {
  const std::pair<std::string, std::string> values[] = {
      {stamp_message::kNamePlaceholder, withoutExe(fileNameOf(request.output))},
      {stamp_message::kProductNamePlaceholder, request.version.productName},
      {stamp_message::kProductVersionPlaceholder, request.version.productVersion},
      {stamp_message::kFileVersionPlaceholder, request.version.fileVersion},
      {stamp_message::kCompanyPlaceholder, request.version.companyName},
      {stamp_message::kDescriptionPlaceholder, request.version.fileDescription},
      {stamp_message::kCopyrightPlaceholder, request.version.legalCopyright},
  };
  std::string text;
  for (std::size_t at = 0; at < lapTemplate.size();) {
    bool matched = false;
    for (const auto& [name, value] : values) {
      if (lapTemplate.compare(at, name.size(), name) == 0) {
        text += value;
        at += name.size();
        matched = true;
        break;
      }
    }
    if (!matched) text += lapTemplate[at++];
  }
  return text;
}

void stamp(const StampRequest& request) {
  // "out\" names a folder, whether or not it exists yet.
  if (fileNameOf(request.output).empty()) {
    throw cannotWrite(request.output, stamp_message::kIsFolder);
  }
  const std::string lapPath = lapPathFor(request.output);
  const bool writesLap = !request.lapTemplate.empty();
  // An output that is one of the inputs would be lost before it is read, or
  // lose what the user keeps (a template named like the .lap it makes, say).
  const std::pair<const std::string*, const char*> inputs[] = {
      {&request.launcher, stamp_message::kLauncherFile},
      {&request.icon, stamp_message::kIconFile},
      {&request.lapTemplate, stamp_message::kLapTemplateFile},
  };
  const std::pair<const std::string*, const char*> outputs[] = {
      {&request.output, stamp_message::kCopyFile},
      {writesLap ? &lapPath : nullptr, stamp_message::kLapFile},
  };
  for (const auto& [output, outputKind] : outputs) {
    if (output == nullptr) continue;
    for (const auto& [input, inputKind] : inputs) {
      if (!input->empty() && isSameFile(*output, *input)) {
        throw StampError(fill(stamp_message::kWouldReplaceInput, {outputKind, inQuotes(*output), inputKind}));
      }
    }
  }

  const std::string program = stampedProgram(request);
  std::string lap;
  if (writesLap) lap = expandLapTemplate(readInput(request.lapTemplate, stamp_message::kLapTemplateFile), request);
  checkReplaceable(request.output);
  if (writesLap) checkReplaceable(lapPath);

  MadeFolders folders(folderOf(request.output), request.output);
  PendingFile programFile(request.output, program);
  if (!writesLap) {
    programFile.commit();
    folders.keep();
    return;
  }
  PendingFile lapFile(lapPath, lap);
  programFile.commit();
  try {
    lapFile.commit();
  } catch (const StampError&) {
    removeFile(request.output);
    throw;
  }
  folders.keep();
}
