#include "jvm/sources/java_home.h"

#include <vector>

#include "jvm/java_version.h"
#include "jvm/jvm_settings.h"
#include "text/ascii_text.h"

namespace {

const char kVersionKey[] = "JAVA_VERSION=";
const char kReleaseBlanks[] = " \t\r\n";
/// More than any runtime's release file holds (a few kilobytes): a file that
/// is bigger, or endless, is read no further.
constexpr size_t kReleaseFileLimit = size_t{64} * 1024;

std::string releaseFilePath(const Conventions& conventions, const std::string& home) {
  return home + conventions.pathSeparator + "release";
}

}  // namespace

std::optional<std::string> releaseVersion(const FileSystem& fileSystem, const Conventions& conventions,
                                          const std::string& home) {
  std::string release;
  if (!fileSystem.readFileStart(releaseFilePath(conventions, home), kReleaseFileLimit, &release)) return std::nullopt;
  for (const std::string& rawLine : split(release, '\n')) {
    const std::string line = trimmed(rawLine, kReleaseBlanks);
    if (!startsWith(line, kVersionKey)) continue;
    std::string version = trimmed(line.substr(sizeof kVersionKey - 1), kReleaseBlanks);
    if (version.size() >= 2 && version.front() == '"' && version.back() == '"') {
      version = version.substr(1, version.size() - 2);
    }
    if (version.empty()) return std::nullopt;
    return version;
  }
  return std::nullopt;
}

bool holdsJvmLibrary(const FileSystem& fileSystem, const Conventions& conventions, const std::string& directory) {
  for (const char* jvmDir : {kJvmDirServer, kJvmDirClient}) {
    if (fileSystem.exists(jvmLibraryIn(conventions, directory, jvmDir))) return true;
  }
  return false;
}

bool looksLikeJavaHome(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home) {
  if (fileSystem.exists(releaseFilePath(conventions, home))) return true;
  for (const std::string& parent : conventions.javaHomeJvmParents) {
    if (holdsJvmLibrary(fileSystem, conventions, home + parent)) return true;
  }
  return false;
}

std::optional<Jvm> probeHome(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home,
                             const std::string& namedVersion) {
  const char separator = conventions.pathSeparator;
  const std::string path = withoutTrailingSeparators(home, separator);
  if (!fileSystem.exists(path)) return std::nullopt;
  Jvm jvm;
  jvm.setJavaHomePath(path);
  jvm.setVersion(releaseVersion(fileSystem, conventions, path).value_or(versionInName(namedVersion)));
  const std::string bin = std::string(1, separator) + "bin" + separator;
  jvm.setJavaBundle(fileSystem.exists(path + bin + conventions.javaCompilerName) ? kBundleSdk : kBundleJre);

  // Java 9 and later keep the JVM directories in bin\ (Linux: lib/), Java 8
  // in jre\bin\ of a development kit; the first layout that holds one wins.
  const std::vector<std::string>& parents = conventions.javaHomeJvmParents;
  jvm.setJrePath(path + parents.front());
  for (const std::string& parent : parents) {
    if (holdsJvmLibrary(fileSystem, conventions, path + parent)) {
      jvm.setJrePath(path + parent);
      break;
    }
  }
  return jvm;
}

bool isAbsolutePath(const std::string& path, const Conventions& conventions) {
  const char separator = conventions.pathSeparator;
  if (separator == '/') return !path.empty() && path[0] == '/';
  // "C:\..." or "C:/...", or a share "\\server\...": "C:x" and "\x" depend
  // on the current drive or directory.
  const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
  const char drive = lowerAscii(path.empty() ? ' ' : path[0]);
  if (path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && isSlash(path[2])) return true;
  return path.size() >= 3 && isSlash(path[0]) && isSlash(path[1]) && !isSlash(path[2]);
}

std::string withoutTrailingSeparators(std::string path, char separator) {
  while (path.size() > 1 && path.back() == separator && !(path.size() == 3 && path[1] == ':')) path.pop_back();
  return path;
}

bool FoundHomes::add(const std::string& home) {
  // Links, junctions and "current" folders lead many paths to one home: the
  // path the system resolves them to tells. One that resolves to nothing is
  // kept as written, so that it is still said once.
  std::string key;
  if (!m_fileSystem.canonicalPath(home, &key)) key = home;
  key = withoutTrailingSeparators(key, m_conventions.pathSeparator);
  // Where file names ignore case (the conventions that lower-case a JVM
  // path), so do homes, and either slash separates.
  if (m_conventions.lowerCaseJvmPath) {
    key = lowerCasedAscii(key);
    for (char& c : key) {
      if (c == '/') c = '\\';
    }
  }
  return m_homes.insert(key).second;
}
