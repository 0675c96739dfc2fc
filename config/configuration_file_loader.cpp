#include "config/configuration_file_loader.h"

#include "config/launcher_properties.h"
#include "config/property_variable_resolver.h"
#include "jvm/jvm_selector.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "report/failure.h"
#include "report/messages.h"
#include "report/words.h"
#include "text/ascii_text.h"

namespace {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

/// A UTF-16 byte-order mark in either order, or, without one, a first
/// character of which one byte is zero: text that this file's lines, which
/// are read byte by byte, cannot be.
bool looksLikeUtf16(const std::string& contents) {
  if (contents.size() < 2) return false;
  unsigned char first = static_cast<unsigned char>(contents[0]);
  unsigned char second = static_cast<unsigned char>(contents[1]);
  if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) return true;
  return (first == 0) != (second == 0);
}

/// Why the configuration file could not be read, as the user is told; empty
/// when nothing is known.
std::string readFailureText(const FileReadFailure& failure) {
  switch (failure.kind) {
    case FileReadFailure::Kind::kSystemError:
      return failure.systemReason;
    case FileReadFailure::Kind::kFolder:
      return message::kIsAFolder;
    case FileReadFailure::Kind::kPipe:
      return message::kIsAPipe;
    case FileReadFailure::Kind::kDevice:
      return message::kIsADevice;
    case FileReadFailure::Kind::kNotAFile:
      return message::kIsNotAFile;
    case FileReadFailure::Kind::kTooLarge:
      return message::kIsLargerThan + std::to_string(kLargestFileRead >> 20) + message::kMebibytes;
  }
  return std::string();
}

/// Applies a setting by calling the record's setter SET.
template <void (LauncherProperties::*Set)(const std::string& value)>
void set(LauncherProperties& properties, const std::string& value) {
  (properties.*Set)(value);
}

/// The configuration keys, in the order a name is compared with them.
const struct {
  const char* key;
  void (*apply)(LauncherProperties& properties, const std::string& value);
} kKeys[] = {
    {kKeyMainClass, &set<&LauncherProperties::setMainClass>},
    {kKeyJavaBundle, &set<&LauncherProperties::setCustomJavaBundle>},
    {kKeyBinJvmDir, &set<&LauncherProperties::setCustomBinJvmDir>},
    {kKeyJvmPath, &set<&LauncherProperties::setCustomJvmPath>},
    {kKeyJavaHomePath, &set<&LauncherProperties::setCustomJavaHomePath>},
    {kKeyMinJavaVersion, &set<&LauncherProperties::setMinJavaVersion>},
    {kKeyMaxJavaVersion, &set<&LauncherProperties::setMaxJavaVersion>},
    {kKeyTrapConsoleCtrl, &set<&LauncherProperties::setTrapConsoleCtrl>},
    {kKeyClasspathJarsDir, &addJarsInDirectory},
    {kKeyDebugFile, &set<&LauncherProperties::setDebugFile>},
    {kKeyLibraryPathDir, &set<&LauncherProperties::addLibraryPathDirectory>},
    {kKeyStartupCache, &set<&LauncherProperties::setStartupCache>},
    {kKeySingleInstance, &set<&LauncherProperties::setSingleInstance>},
    {kKeySingleInstanceHandler, &set<&LauncherProperties::setSingleInstanceHandler>},
    {kKeyJavaDownloadUrl, &set<&LauncherProperties::setJavaDownloadUrl>},
    {kKeyJavaSearch, &set<&LauncherProperties::setJavaSearch>},
    {kKeyJavaHomeFallback, &set<&LauncherProperties::setJavaHomeFallback>},
    {kKeySplashImage, &set<&LauncherProperties::setSplashImage>},
};

}  // namespace

ConfigurationFileLoader::ConfigurationFileLoader(LauncherProperties& properties) : m_properties(properties) {}

void addJarsInDirectory(LauncherProperties& properties, const std::string& directory) {
  guardedStep(message::kAddingJars, [&] {
    // An empty value names no directory; searching "\*.jar" (the root of the
    // current drive) would surprise everybody.
    if (directory.empty()) return;
    const Platform& platform = properties.getPlatform();
    const Conventions& conventions = *platform.conventions;
    std::string prefix = directory;
    if (prefix.back() != conventions.pathSeparator) prefix += conventions.pathSeparator;
    for (const DirectoryEntry& entry : platform.fileSystem->findFiles(prefix + "*.jar")) {
      if (entry.isDirectory) continue;
      const std::string path = prefix + entry.name;
      // The runtime would split it in two, and a relative second half would
      // be looked for in the current directory.
      if (path.find(conventions.pathListSeparator) != std::string::npos) {
        failWithReport(std::string(message::kAddingJars) + "\n" + path + message::kHoldsListSeparator +
                       conventions.pathListSeparator);
      }
      properties.addClassPathJar(path);
    }
  });
}

LoadEnd loadProperties(LauncherProperties& properties, const BeforeRuntimeChoice& beforeRuntimeChoice) {
  ConfigurationFileLoader loader(properties);
  loader.setBeforeRuntimeChoice(beforeRuntimeChoice);
  return loader.load();
}

const std::string& ConfigurationFileLoader::getConfigurationFileName() {
  const std::string& path = m_properties.getNameOfExecutable();
  // Without the program's own path the name would be ".lap" in the current
  // directory: configuration is never taken from there.
  if (path.empty()) raiseFailure(message::kGettingConfigurationFileName);
  size_t dot = path.rfind('.');
  const bool exe = dot != std::string::npos && dot > 0 && upperCasedAscii(path.substr(dot)) == ".EXE";
  m_configurationFileName = (exe ? path.substr(0, dot) : path) + ".lap";
  return m_configurationFileName;
}

LoadEnd ConfigurationFileLoader::load() {
  const std::string& fileName = getConfigurationFileName();
  std::string contents;
  FileReadFailure failure;
  if (!m_properties.getPlatform().fileSystem->readFileWithReason(fileName, &contents, &failure)) {
    const std::string reason = readFailureText(failure);
    raiseFailure(message::kCouldNotOpenFile + fileName + (reason.empty() ? "" : "\n" + reason));
  }
  // Editors may begin a UTF-8 file with a byte-order mark (Notepad does); it
  // is no part of the first line.
  if (startsWith(contents, kUtf8ByteOrderMark)) {
    contents.erase(0, sizeof kUtf8ByteOrderMark - 1);
  } else if (looksLikeUtf16(contents)) {
    raiseFailure(std::string(message::kLoadingConfigurationFile) + "\n" + fileName + message::kSavedAsUtf16);
  }
  return applyLines(readPropertyLines(textOfUserFile(contents)));
}

std::vector<std::string> ConfigurationFileLoader::readPropertyLines(const std::string& contents) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(start, end - start);
    size_t nul = line.find('\0');
    if (nul != std::string::npos) line.erase(nul);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    trim(line);
    if (!line.empty() && !isComment(line)) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string ConfigurationFileLoader::parsePropertyName(const std::string& line) {
  return line.substr(0, line.find('='));
}

std::string ConfigurationFileLoader::parsePropertyValue(const std::string& line) {
  size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

bool ConfigurationFileLoader::hasEqualsSign(const std::string& line) { return line.find('=') != std::string::npos; }

bool ConfigurationFileLoader::isComment(const std::string& line) { return !line.empty() && line[0] == '#'; }

bool ConfigurationFileLoader::isJvmOptionLine(const std::string& line) { return !line.empty() && line[0] == '-'; }

std::string& ConfigurationFileLoader::trim(std::string& text) {
  text = trimmed(text, kBlanks);
  return text;
}

LoadEnd ConfigurationFileLoader::applyLines(std::vector<std::string> texts) {
  struct Line {
    std::string text;
    bool processed;
  };
  std::vector<Line> lines;
  for (std::string& text : texts) lines.push_back(Line{std::move(text), false});

  // Each step takes the lines that meet its condition, in file order. A
  // processed line is never taken again, even when a value inserted into it
  // looks like a reference.
  enum class Variables { kNone, kEarly, kLate };
  PropertyVariableResolver resolver(m_properties);
  auto step = [&](bool custom, Variables variables) {
    for (Line& line : lines) {
      if (line.processed || isCustomProperty(line.text) != custom) continue;
      Variables found = !resolver.hasVariables(line.text)      ? Variables::kNone
                        : resolver.hasLateVariables(line.text) ? Variables::kLate
                                                               : Variables::kEarly;
      if (found != variables) continue;
      line.processed = true;
      processProperty(line.text);
    }
  };
  step(true, Variables::kNone);
  step(true, Variables::kEarly);
  step(false, Variables::kNone);
  step(false, Variables::kEarly);
  if (m_beforeRuntimeChoice && !m_beforeRuntimeChoice(m_properties)) return LoadEnd::kEndedBeforeRuntimeChoice;
  // Every setting the selection reads is in place; what refers to the chosen
  // home comes after it.
  JvmSelector selector(m_properties.getJvmSettings(), m_properties.getPlatform());
  m_properties.setFoundJvm(selector.getMostAppropriateJvm());
  step(true, Variables::kLate);
  step(false, Variables::kLate);
  return LoadEnd::kComplete;
}

void ConfigurationFileLoader::processProperty(std::string& line) {
  PropertyVariableResolver(m_properties).resolveVariables(line);
  if (startsWith(line, kSplashOptionPrefix)) {
    // The JDK's launcher takes this option itself; the runtime would refuse it.
    std::string image = line.substr(sizeof kSplashOptionPrefix - 1);
    m_properties.setSplashImage(trim(image));
    return;
  }
  if (isJvmOptionLine(line)) {
    m_properties.addJavaSystemProperty(line);
    return;
  }
  std::string name = hasEqualsSign(line) ? parsePropertyName(line) : line;
  std::string value = hasEqualsSign(line) ? parsePropertyValue(line) : std::string();
  applySetting(m_properties, trim(name), trim(value));
}

bool ConfigurationFileLoader::applySetting(LauncherProperties& properties, const std::string& name,
                                           const std::string& value) {
  for (const auto& key : kKeys) {
    if (name == key.key) {
      key.apply(properties, value);
      return true;
    }
  }
  return false;
}
