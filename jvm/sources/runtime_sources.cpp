#include "jvm/sources/runtime_sources.h"

#include <algorithm>
#include <utility>

#include "jvm/java_version.h"
#include "text/ascii_text.h"

namespace {

/// A key path pattern below a root, "\"-separated. A segment "{A,B}" stands
/// for the keys A and B, in that order; "*" for every subkey, and "zulu-*"
/// for every subkey whose name begins with "zulu-". The name matched by the
/// first "*" is the version named by the key.
struct RegistrySource {
  const char* pattern;
  const char* valueName;
};

// In the order the sources are read. Oracle 9+, Corretto and Temurin's
// optional keys; the vendors' MSI and EXE installers; SapMachine; Zulu;
// Liberica.
const RegistrySource kRegistrySources[] = {
    {"SOFTWARE\\JavaSoft\\{JDK,JRE}\\*", "JavaHome"},
    {"SOFTWARE\\{Eclipse Adoptium,AdoptOpenJDK,Eclipse Foundation,Microsoft,Semeru}\\{JDK,JRE}\\*\\{hotspot,openj9}"
     "\\{MSI,EXE}",
     "Path"},
    {"SOFTWARE\\SapMachine\\{JDK,JRE}\\*", "JavaHome"},
    {"SOFTWARE\\Azul Systems\\{Zulu,Zulu 32-bit}\\zulu-*", "InstallationPath"},
    {"SOFTWARE\\BellSoft\\Liberica\\*", "InstallationPath"},
};

const std::pair<RegistryRoot, RegistryView> kLocations[] = {
    {RegistryRoot::LocalMachine, RegistryView::Bits64},
    {RegistryRoot::LocalMachine, RegistryView::Bits32},
    {RegistryRoot::CurrentUser, RegistryView::Bits64},
    {RegistryRoot::CurrentUser, RegistryView::Bits32},
};

/// The names of the subkeys of PATH; none when it cannot be opened.
std::vector<std::string> subkeys(Registry& registry, RegistryRoot root, RegistryView view, const std::string& path) {
  std::vector<std::string> names;
  Registry::Key key;
  if (!registry.openKeyIn(root, view, path, &key)) return names;
  std::string name;
  for (unsigned long index = 0; registry.enumerateSubkey(key, index, &name); ++index) names.push_back(name);
  registry.closeKey(key);
  return names;
}

/// The text of value NAME of the key at PATH; none when either cannot be read.
std::optional<std::string> value(Registry& registry, RegistryRoot root, RegistryView view, const std::string& path,
                                 const std::string& name) {
  Registry::Key key;
  if (!registry.openKeyIn(root, view, path, &key)) return std::nullopt;
  std::string text;
  const bool read = registry.queryStringValue(key, name, &text);
  registry.closeKey(key);
  if (!read) return std::nullopt;
  return text;
}

/// How a report names where a key lies: "HKLM\SOFTWARE\...", with the view
/// when it is the 32-bit one.
std::string registryLocation(RegistryRoot root, RegistryView view, const std::string& path) {
  std::string text = (root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + path;
  if (view == RegistryView::Bits32) text += " (32-bit view)";
  return text;
}

/// Walks one source's pattern from segment INDEX on below PATH.
class SourceWalk {
 public:
  SourceWalk(Registry& registry, const FileSystem& fileSystem, const Conventions& conventions, FoundHomes& found,
             std::vector<Jvm>& runtimes, RegistryRoot root, RegistryView view)
      : m_registry(registry),
        m_fileSystem(fileSystem),
        m_conventions(conventions),
        m_found(found),
        m_runtimes(runtimes),
        m_root(root),
        m_view(view) {}

  void walk(const RegistrySource& source) {
    m_segments = split(source.pattern, '\\');
    m_valueName = source.valueName;
    walkFrom(1, m_segments.front(), std::string());
  }

 private:
  void walkFrom(size_t index, const std::string& path, const std::string& namedVersion) {
    if (index == m_segments.size()) {
      take(path, namedVersion);
      return;
    }
    const std::string& segment = m_segments[index];
    if (endsWith(segment, "*")) {
      const std::string prefix = segment.substr(0, segment.size() - 1);
      for (const std::string& name : subkeys(m_registry, m_root, m_view, path)) {
        if (name.empty() || !startsWith(name, prefix)) continue;
        walkFrom(index + 1, path + '\\' + name, namedVersion.empty() ? name : namedVersion);
      }
    } else if (segment.size() > 1 && segment.front() == '{' && segment.back() == '}') {
      for (const std::string& name : split(segment.substr(1, segment.size() - 2), ',')) {
        walkFrom(index + 1, path + '\\' + name, namedVersion);
      }
    } else {
      walkFrom(index + 1, path + '\\' + segment, namedVersion);
    }
  }

  // A key without the value, with an empty one, or naming no home is a
  // broken entry of an installer that is gone: skipped.
  void take(const std::string& path, const std::string& namedVersion) {
    std::optional<std::string> home = value(m_registry, m_root, m_view, path, m_valueName);
    if (!home || home->empty()) return;
    std::optional<Jvm> runtime = probeHome(m_fileSystem, m_conventions, *home, namedVersion);
    if (!runtime || !m_found.add(runtime->getJavaHomePath())) return;
    runtime->setSource(registryLocation(m_root, m_view, path));
    m_runtimes.push_back(std::move(*runtime));
  }

  Registry& m_registry;
  const FileSystem& m_fileSystem;
  const Conventions& m_conventions;
  FoundHomes& m_found;
  std::vector<Jvm>& m_runtimes;
  RegistryRoot m_root;
  RegistryView m_view;
  std::vector<std::string> m_segments;
  std::string m_valueName;
};

/// The last name of PATH, without separators at its end.
std::string lastName(const std::string& path, const Conventions& conventions) {
  const std::string folder = withoutTrailingSeparators(path, conventions.pathSeparator);
  return folder.substr(folder.find_last_of(conventions.pathSeparator) + 1);
}

/// The home whose bin folder holds the launcher at LAUNCHER (a resolved
/// path); none when the launcher lies in no folder named bin.
std::optional<std::string> homeOfLauncher(const std::string& launcher, const Conventions& conventions) {
  const char separator = conventions.pathSeparator;
  const size_t name = launcher.rfind(separator);
  if (name == std::string::npos || name == 0) return std::nullopt;
  const size_t bin = launcher.rfind(separator, name - 1);
  if (bin == std::string::npos || bin == 0) return std::nullopt;
  std::string binName = launcher.substr(bin + 1, name - bin - 1);
  if (conventions.lowerCaseJvmPath) binName = lowerCasedAscii(binName);
  if (binName != "bin") return std::nullopt;
  return launcher.substr(0, bin);
}

/// The first of FOLDER's bases that names an absolute folder, if any.
std::optional<std::string> folderBase(const JavaFolder& folder, const Environment& environment,
                                      const Conventions& conventions) {
  for (const std::string& base : folder.bases) {
    std::string path = base;
    if (!base.empty() && base[0] == '$') {
      const size_t end = std::min(base.find(conventions.pathSeparator), base.size());
      std::string value;
      if (!environment.lookup(base.substr(1, end - 1), &value)) continue;
      path = withoutTrailingSeparators(value, conventions.pathSeparator) + base.substr(end);
    }
    if (isAbsolutePath(path, conventions)) return path;
  }
  return std::nullopt;
}

/// The version a folder's name gives: that of the last matched name that
/// holds a digit ("jdk-21.0.2" in ".jdks/*", "temurin17-jdk" in
/// "apps/*/current").
std::string versionInNames(const std::vector<std::string>& names) {
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (name->find_first_of("0123456789") != std::string::npos) return versionInName(*name);
  }
  return names.empty() ? std::string() : names.back();
}

/// Walks a folder pattern's segments, expanding those with wildcards.
struct FolderWalk {
  const Platform& platform;
  FoundHomes& found;
  std::vector<Jvm>& runtimes;
  std::vector<std::string> segments;
  std::string source;
  std::vector<std::string> matched;  ///< the names the wildcards matched so far

  void walk(size_t index, const std::string& path) {
    const Conventions& conventions = *platform.conventions;
    if (index == segments.size()) {
      take(path);
      return;
    }
    const std::string& segment = segments[index];
    if (segment.find('*') == std::string::npos) {
      walk(index + 1, path + conventions.pathSeparator + segment);
      return;
    }
    for (const DirectoryEntry& entry : platform.fileSystem->findFiles(path + conventions.pathSeparator + segment)) {
      if (!entry.isDirectory) continue;
      matched.push_back(entry.name);
      walk(index + 1, path + conventions.pathSeparator + entry.name);
      matched.pop_back();
    }
  }

  void take(const std::string& home) {
    const FileSystem& fileSystem = *platform.fileSystem;
    if (!looksLikeJavaHome(fileSystem, *platform.conventions, home)) return;
    std::optional<Jvm> runtime = probeHome(fileSystem, *platform.conventions, home, versionInNames(matched));
    if (!runtime || !found.add(runtime->getJavaHomePath())) return;
    runtime->setSource(source);
    runtimes.push_back(std::move(*runtime));
  }
};

}  // namespace

std::vector<Jvm> findRegisteredRuntimes(Registry& registry, const FileSystem& fileSystem,
                                        const Conventions& conventions, FoundHomes& found) {
  std::vector<Jvm> runtimes;
  for (const RegistrySource& source : kRegistrySources) {
    for (const auto& [root, view] : kLocations) {
      SourceWalk(registry, fileSystem, conventions, found, runtimes, root, view).walk(source);
    }
  }
  return runtimes;
}

std::optional<Jvm> findJavaHomeRuntime(const Environment& environment, const FileSystem& fileSystem,
                                       const Conventions& conventions, FoundHomes& found) {
  std::string home;
  if (!environment.lookup("JAVA_HOME", &home) || !isAbsolutePath(home, conventions)) return std::nullopt;
  std::optional<Jvm> runtime = probeHome(fileSystem, conventions, home, lastName(home, conventions));
  if (!runtime || !found.add(runtime->getJavaHomePath())) return std::nullopt;
  runtime->setSource("JAVA_HOME");
  return runtime;
}

std::vector<Jvm> findFolderRuntimes(const Platform& platform, FoundHomes& found) {
  std::vector<Jvm> runtimes;
  for (const JavaFolder& folder : platform.conventions->javaFolders) {
    const std::optional<std::string> base = folderBase(folder, *platform.environment, *platform.conventions);
    if (!base) continue;
    FolderWalk walk{platform,
                    found,
                    runtimes,
                    split(folder.pattern, platform.conventions->pathSeparator),
                    *base + platform.conventions->pathSeparator + folder.pattern,
                    {}};
    walk.walk(0, *base);
  }
  return runtimes;
}

std::vector<Jvm> findPathRuntimes(const Platform& platform, FoundHomes& found) {
  const Conventions& conventions = *platform.conventions;
  const FileSystem& fileSystem = *platform.fileSystem;
  std::vector<Jvm> runtimes;
  std::string path;
  if (!platform.environment->lookup("PATH", &path)) return runtimes;
  for (std::string folder : split(path, conventions.pathListSeparator)) {
    // Windows allows a folder in quotes; an empty or relative one means the
    // current directory, which never names a runtime.
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
      folder = folder.substr(1, folder.size() - 2);
    if (!isAbsolutePath(folder, conventions)) continue;
    const std::string launcher = withoutTrailingSeparators(folder, conventions.pathSeparator) +
                                 conventions.pathSeparator + conventions.javaLauncherName;
    std::string resolved;
    if (!fileSystem.exists(launcher) || !fileSystem.canonicalPath(launcher, &resolved)) continue;
    const std::optional<std::string> home = homeOfLauncher(resolved, conventions);
    if (!home || !looksLikeJavaHome(fileSystem, conventions, *home)) continue;
    std::optional<Jvm> runtime = probeHome(fileSystem, conventions, *home, lastName(*home, conventions));
    if (!runtime || !found.add(runtime->getJavaHomePath())) continue;
    runtime->setSource("PATH " + launcher);
    runtimes.push_back(std::move(*runtime));
  }
  return runtimes;
}
