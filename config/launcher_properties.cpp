#include "config/launcher_properties.h"

#include "report/failure.h"
#include "report/messages.h"
#include "report/words.h"
#include "text/ascii_text.h"

namespace {

/// A wish word as stored: lower-cased, and the plain kind standing for the
/// requirement of it ("sdk" for "require_sdk").
std::string wishWord(const std::string& value, const char* first, const char* requireFirst, const char* second,
                     const char* requireSecond) {
  std::string word = lowerCasedAscii(value);
  if (word == first) return requireFirst;
  if (word == second) return requireSecond;
  return word;
}

/// Each of LIST as "<OPENING><index>]=<element>".
void appendList(std::string& dump, const char* opening, const std::vector<std::string>& list) {
  for (size_t i = 0; i < list.size(); ++i) dump += opening + std::to_string(i) + "]=" + list[i];
}

}  // namespace

LauncherProperties::LauncherProperties(const Platform& platform) : m_platform(&platform) {}

void LauncherProperties::setNameOfExecutable(const std::string& path) {
  m_nameOfExecutable = path;
  const char separator = m_platform->conventions->pathSeparator;
  size_t last = path.rfind(separator);
  if (last == std::string::npos) return;
  m_selfHomePath = path.substr(0, last);
  size_t parent = m_selfHomePath.rfind(separator);
  if (parent != std::string::npos &&
      m_selfHomePath.compare(parent, std::string::npos, std::string(1, separator) + "bin") == 0) {
    m_selfHomePath.erase(parent);
  }
}

void LauncherProperties::addCommandLineArgument(const std::string& argument) {
  m_commandLineArguments.push_back(argument);
}

void LauncherProperties::setMainClass(const std::string& value) { m_mainClass = value; }

void LauncherProperties::setCustomJavaBundle(const std::string& value) {
  m_customJavaBundle = wishWord(value, kBundleSdk, kRequireSdk, kBundleJre, kRequireJre);
}

void LauncherProperties::setCustomBinJvmDir(const std::string& value) {
  m_customBinJvmDir = wishWord(value, kJvmDirClient, kRequireClient, kJvmDirServer, kRequireServer);
}

void LauncherProperties::setCustomJvmPath(const std::string& value) {
  // Lower-casing a path is harmless only where file names ignore case.
  m_customJvmPath = m_platform->conventions->lowerCaseJvmPath ? lowerCasedAscii(value) : value;
}

void LauncherProperties::setCustomJavaHomePath(const std::string& value) { m_customJavaHomePath = value; }
void LauncherProperties::setMinJavaVersion(const std::string& value) { m_minJavaVersion = value; }
void LauncherProperties::setMaxJavaVersion(const std::string& value) { m_maxJavaVersion = value; }
void LauncherProperties::setTrapConsoleCtrl(const std::string& value) { m_trapConsoleCtrl = value; }
void LauncherProperties::setDebugFile(const std::string& value) { m_debugFile = value; }

void LauncherProperties::addClassPathJar(const std::string& path) {
  m_jarsInClasspath += m_platform->conventions->pathListSeparator;
  m_jarsInClasspath += path;
}

void LauncherProperties::addLibraryPathDirectory(const std::string& directory) {
  m_libraryPath += m_platform->conventions->pathListSeparator;
  m_libraryPath += directory;
}

void LauncherProperties::addJavaSystemProperty(const std::string& option) { m_javaSystemProperties.push_back(option); }

std::string LauncherProperties::getJniMainClass() const {
  std::string name = m_mainClass;
  for (char& c : name) {
    if (c == '.') c = '/';
  }
  return name;
}

bool LauncherProperties::isTrapConsoleCtrl() const { return isTrueWord(m_trapConsoleCtrl); }

bool LauncherProperties::isSingleInstance() const { return isTrueWord(m_singleInstance); }

JvmSettings LauncherProperties::getJvmSettings() const {
  JvmSettings settings;
  settings.jvmPath = m_customJvmPath;
  settings.javaHomePath = m_customJavaHomePath;
  settings.bundle = bundleWishOf(m_customJavaBundle);
  settings.jvmType = jvmTypeWishOf(m_customBinJvmDir);
  settings.bounds = VersionBounds{m_minJavaVersion, m_maxJavaVersion};
  settings.debugFile = m_debugFile;
  settings.downloadUrl = m_javaDownloadUrl;
  settings.search = m_javaSearch;
  settings.homeFallback = m_javaHomeFallback;
  return settings;
}

bool LauncherProperties::isClassPathOption(const std::string& option) { return startsWith(option, kClassPathProperty); }

bool LauncherProperties::isLibraryPathOption(const std::string& option) {
  return startsWith(option, kLibraryPathProperty);
}

std::string LauncherProperties::toString() const {
  // List elements are written whole, however long they are.
  struct Field {
    const char* label;
    const std::string LauncherProperties::*member;
  };
  static const Field kFields[] = {
      {"m_nameOfExecutable=", &LauncherProperties::m_nameOfExecutable},
      {",m_selfHomePath=", &LauncherProperties::m_selfHomePath},
      {",m_customJavaHomePath=", &LauncherProperties::m_customJavaHomePath},
      {",m_customBinJvmDir=", &LauncherProperties::m_customBinJvmDir},
      {",m_mainClass=", &LauncherProperties::m_mainClass},
      {",m_customJvmPath=", &LauncherProperties::m_customJvmPath},
      {",m_minJavaVersion=", &LauncherProperties::m_minJavaVersion},
      {",m_maxJavaVersion=", &LauncherProperties::m_maxJavaVersion},
      {",m_trapConsoleCtrl=", &LauncherProperties::m_trapConsoleCtrl},
      {",m_jarsInClasspath=", &LauncherProperties::m_jarsInClasspath},
      {",m_libraryPath=", &LauncherProperties::m_libraryPath},
      {",m_debugFile=", &LauncherProperties::m_debugFile},
  };
  std::string dump;
  for (const Field& field : kFields) dump += field.label + this->*field.member;
  appendList(dump, ",m_javaSystemProperties[", m_javaSystemProperties);
  appendList(dump, ",m_commandLineArguments[", m_commandLineArguments);
  return dump;
}

bool isCustomProperty(const std::string& line) { return startsWith(line, kCustomPropertyPrefix); }
