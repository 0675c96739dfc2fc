#include "tools/stamp/stamp.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <utility>

#include "platform/argument_encoding.h"
#include "tools/stamp/pe_resources.h"

namespace fs = std::filesystem;

namespace {

// Paths are the user's own text; quoted in messages so that blanks show.
std::string inQuotes(const std::string& path) { return "\"" + path + "\""; }

std::string readFile(const std::string& path, const std::string& what) {
  std::error_code error;
  if (!fs::exists(path, error))
    throw StampError("Cannot read the " + what + " " + inQuotes(path) + ": it does not exist.");
  if (fs::is_directory(path, error))
    throw StampError("Cannot read the " + what + " " + inQuotes(path) + ": it is a folder.");
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw StampError("Cannot read the " + what + " " + inQuotes(path) + ".");
  return bytes;
}

bool endsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".exe";
}

/// A file that appears whole under its name or not at all: written to a
/// temporary name in the same folder, renamed by commit(), removed otherwise.
class PendingFile {
 public:
  PendingFile(std::string target, const std::string& contents) : m_target(std::move(target)) {
    const fs::path targetPath(m_target);
    fs::path folder = targetPath.parent_path();
    std::error_code error;
    if (!folder.empty() && !fs::is_directory(folder, error)) {
      throw StampError("Cannot write " + inQuotes(m_target) + ": the folder " + inQuotes(folder.string()) +
                       " does not exist.");
    }
    if (fs::is_directory(targetPath, error))
      throw StampError("Cannot write " + inQuotes(m_target) + ": it is a folder.");
    // The write bits, which on Windows reflect the read-only attribute; an
    // administrator could write anyway, but the file says it must not change.
    const fs::file_status status = fs::status(targetPath, error);
    if (fs::exists(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
      throw StampError("Cannot replace " + inQuotes(m_target) + ": the file is read-only.");
    }
    std::random_device random;
    m_temporary = m_target + ".stamp-" + std::to_string(random() % 1000000) + ".tmp";
    std::ofstream out(m_temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw StampError("Cannot write " + inQuotes(m_target) + ": the folder cannot be written to.");
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
      discard();
      throw StampError("Cannot write " + inQuotes(m_target) + ": writing failed (is the disk full?).");
    }
  }
  ~PendingFile() { discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  void commit() {
    std::error_code error;
    fs::rename(m_temporary, m_target, error);
    if (error) throw StampError("Cannot write " + inQuotes(m_target) + ": " + error.message() + ".");
    m_temporary.clear();
  }

 private:
  void discard() {
    if (m_temporary.empty()) return;
    std::error_code error;
    fs::remove(m_temporary, error);
    m_temporary.clear();
  }

  std::string m_target;
  std::string m_temporary;
};

std::string stampedProgram(const StampRequest& request) {
  PeFile program = [&] {
    try {
      return PeFile(readFile(request.launcher, "launcher"));
    } catch (const StampError& error) {
      const std::string text = error.what();
      if (text.compare(0, 6, "Cannot") == 0) throw;
      throw StampError("The launcher " + inQuotes(request.launcher) + " cannot be stamped: " + text);
    }
  }();

  std::vector<Resource> added;
  if (!request.icon.empty()) {
    try {
      added = iconResources(readFile(request.icon, "icon file"));
    } catch (const StampError& error) {
      const std::string text = error.what();
      if (text.compare(0, 6, "Cannot") == 0) throw;
      throw StampError("The icon file " + inQuotes(request.icon) + " is not usable: " + text);
    }
  }
  // Version texts in the runtime's modified UTF-8, whatever the system's encoding of arguments.
  VersionFields fields = request.version;
  for (std::string* text : {&fields.productName, &fields.companyName, &fields.fileDescription, &fields.legalCopyright,
                            &fields.originalFilename, &fields.internalName}) {
    *text = toModifiedUtf8(*text);
  }
  const std::string fileName = fs::path(request.output).filename().string();
  if (fields.originalFilename.empty()) fields.originalFilename = toModifiedUtf8(fileName);
  if (fields.internalName.empty()) {
    fields.internalName = toModifiedUtf8(endsWithExe(fileName) ? fileName.substr(0, fileName.size() - 4) : fileName);
  }
  added.push_back(versionResource(fields));

  try {
    std::vector<Resource> resources;
    for (Resource& resource : program.resources()) {
      const bool replaced = resource.type == ResourceKey::number(kResourceVersion) ||
                            (!request.icon.empty() && (resource.type == ResourceKey::number(kResourceIcon) ||
                                                       resource.type == ResourceKey::number(kResourceGroupIcon)));
      if (!replaced) resources.push_back(std::move(resource));
    }
    resources.insert(resources.end(), added.begin(), added.end());
    program.replaceResources(resources);
  } catch (const StampError& error) {
    throw StampError("The launcher " + inQuotes(request.launcher) + " cannot be stamped: " + error.what());
  }
  return program.bytes();
}

}  // namespace

std::string stampUsage() {
  return "Usage: vexil-stamp [OPTION...] LAUNCHER OUTPUT\n"
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
         "OUTPUT and its .lap file are written whole or not at all; an existing one is replaced.\n";
}

StampRequest parseStampArguments(const std::vector<std::string>& arguments) {
  StampRequest request;
  std::pair<const char*, std::string*> options[] = {
      {"--icon", &request.icon},
      {"--file-version", &request.version.fileVersion},
      {"--product-version", &request.version.productVersion},
      {"--product-name", &request.version.productName},
      {"--company", &request.version.companyName},
      {"--description", &request.version.fileDescription},
      {"--copyright", &request.version.legalCopyright},
      {"--original-filename", &request.version.originalFilename},
      {"--lap", &request.lapTemplate},
  };
  std::vector<std::string> files;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      request.help = true;
      return request;
    }
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      files.push_back(argument);
      continue;
    }
    std::string* value = nullptr;
    for (auto& [name, field] : options) {
      if (argument == name) value = field;
    }
    if (value == nullptr) throw UsageError("unknown option " + argument + ".");
    if (i + 1 == arguments.size() || arguments[i + 1].empty()) throw UsageError(argument + " needs a value.");
    if (!value->empty()) throw UsageError(argument + " is given twice.");
    *value = arguments[++i];
  }
  if (files.size() != 2) throw UsageError("give the launcher to copy and the name of the copy.");
  request.launcher = files[0];
  request.output = files[1];
  for (auto [name, text] : {std::pair{"--file-version", &request.version.fileVersion},
                            std::pair{"--product-version", &request.version.productVersion}}) {
    try {
      if (!text->empty()) parseVersion(*text);
    } catch (const StampError& error) {
      throw UsageError(std::string(name) + ": " + error.what());
    }
  }
  return request;
}

std::string lapPathFor(const std::string& program) {
  return (endsWithExe(program) ? program.substr(0, program.size() - 4) : program) + ".lap";
}

std::string expandLapTemplate(const std::string& lapTemplate, const StampRequest& request) {
  const std::string fileName = fs::path(request.output).filename().string();
  const std::pair<std::string, std::string> values[] = {
      {"@NAME@", endsWithExe(fileName) ? fileName.substr(0, fileName.size() - 4) : fileName},
      {"@PRODUCT_NAME@", request.version.productName},
      {"@PRODUCT_VERSION@", request.version.productVersion},
      {"@FILE_VERSION@", request.version.fileVersion},
      {"@COMPANY@", request.version.companyName},
      {"@DESCRIPTION@", request.version.fileDescription},
      {"@COPYRIGHT@", request.version.legalCopyright},
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
  std::error_code error;
  if (fs::exists(request.output, error) && fs::equivalent(request.launcher, request.output, error)) {
    throw StampError("The copy " + inQuotes(request.output) + " would replace the launcher itself: give another name.");
  }
  const std::string program = stampedProgram(request);
  std::string lap;
  if (!request.lapTemplate.empty()) lap = expandLapTemplate(readFile(request.lapTemplate, ".lap template"), request);

  PendingFile programFile(request.output, program);
  if (request.lapTemplate.empty()) {
    programFile.commit();
    return;
  }
  PendingFile lapFile(lapPathFor(request.output), lap);
  programFile.commit();
  try {
    lapFile.commit();
  } catch (const StampError&) {
    fs::remove(request.output, error);
    throw;
  }
}
