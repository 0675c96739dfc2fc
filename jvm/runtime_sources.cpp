#include "jvm/runtime_sources.h"

#include <utility>

#include "jvm/jvm_settings.h"
#include "platform/ascii_text.h"

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

const char kVersionKey[] = "JAVA_VERSION=";
const char kReleaseBlanks[] = " \t\r\n";

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

/// "zulu-17" and "jdk-17.0.2" name version 17 and 17.0.2; a name without a
/// digit is taken whole.
std::string versionInName(const std::string& name) {
  const size_t digit = name.find_first_of("0123456789");
  return digit == std::string::npos ? name : name.substr(digit);
}

std::string withoutTrailingSeparators(std::string home, char separator) {
  // A drive's root keeps its separator: "C:\" is not "C:".
  while (home.size() > 1 && home.back() == separator && !(home.size() == 3 && home[1] == ':')) home.pop_back();
  return home;
}

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

/// Walks one source's pattern from segment INDEX on below PATH.
class SourceWalk {
 public:
  SourceWalk(Registry& registry, const FileSystem& fileSystem, const Conventions& conventions, FoundHomes& found,
             std::vector<FoundRuntime>& runtimes, RegistryRoot root, RegistryView view)
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
    if (!segment.empty() && segment.back() == '*') {
      const std::string prefix = segment.substr(0, segment.size() - 1);
      for (const std::string& name : subkeys(m_registry, m_root, m_view, path)) {
        if (name.empty() || name.compare(0, prefix.size(), prefix) != 0) continue;
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
    std::optional<FoundRuntime> runtime = probeHome(m_fileSystem, m_conventions, *home, namedVersion);
    if (runtime && m_found.add(runtime->home)) m_runtimes.push_back(std::move(*runtime));
  }

  Registry& m_registry;
  const FileSystem& m_fileSystem;
  const Conventions& m_conventions;
  FoundHomes& m_found;
  std::vector<FoundRuntime>& m_runtimes;
  RegistryRoot m_root;
  RegistryView m_view;
  std::vector<std::string> m_segments;
  std::string m_valueName;
};

}  // namespace

std::string releaseVersion(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home) {
  std::string release;
  if (!fileSystem.readFile(home + conventions.pathSeparator + "release", &release)) return std::string();
  for (const std::string& rawLine : split(release, '\n')) {
    const std::string line = trimmed(rawLine, kReleaseBlanks);
    if (line.compare(0, sizeof kVersionKey - 1, kVersionKey) != 0) continue;
    std::string version = trimmed(line.substr(sizeof kVersionKey - 1), kReleaseBlanks);
    if (version.size() >= 2 && version.front() == '"' && version.back() == '"') {
      version = version.substr(1, version.size() - 2);
    }
    return version;
  }
  return std::string();
}

bool FoundHomes::add(const std::string& home) {
  std::string key = withoutTrailingSeparators(home, m_conventions.pathSeparator);
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

std::optional<FoundRuntime> probeHome(const FileSystem& fileSystem, const Conventions& conventions,
                                      const std::string& home, const std::string& namedVersion) {
  const char separator = conventions.pathSeparator;
  FoundRuntime runtime;
  runtime.home = withoutTrailingSeparators(home, separator);
  if (!fileSystem.exists(runtime.home)) return std::nullopt;

  runtime.version = releaseVersion(fileSystem, conventions, runtime.home);
  if (runtime.version.empty()) runtime.version = versionInName(namedVersion);

  const std::string bin = std::string(1, separator) + "bin" + separator;
  runtime.bundle = fileSystem.exists(runtime.home + bin + conventions.javaCompilerName) ? kBundleSdk : kBundleJre;

  // Java 9 and later keep the JVM directories in bin\ (Linux: lib/), Java 8
  // in jre\bin\ of a development kit; the first layout that holds one wins.
  const std::vector<std::string>& parents = conventions.javaHomeJvmParents;
  runtime.jrePath = runtime.home + parents.front();
  for (const std::string& parent : parents) {
    const std::string directory = runtime.home + parent;
    if (fileSystem.exists(directory + "server" + separator + conventions.jvmLibraryName) ||
        fileSystem.exists(directory + "client" + separator + conventions.jvmLibraryName)) {
      runtime.jrePath = directory;
      break;
    }
  }
  return runtime;
}

std::vector<FoundRuntime> findRegisteredRuntimes(Registry& registry, const FileSystem& fileSystem,
                                                 const Conventions& conventions, FoundHomes& found) {
  std::vector<FoundRuntime> runtimes;
  for (const RegistrySource& source : kRegistrySources) {
    for (const auto& [root, view] : kLocations) {
      SourceWalk(registry, fileSystem, conventions, found, runtimes, root, view).walk(source);
    }
  }
  return runtimes;
}

std::optional<FoundRuntime> findJavaHomeRuntime(const Environment& environment, const FileSystem& fileSystem,
                                                const Conventions& conventions, FoundHomes& found) {
  std::string home;
  if (!environment.lookup("JAVA_HOME", &home) || home.empty()) return std::nullopt;
  const std::string folder = withoutTrailingSeparators(home, conventions.pathSeparator);
  std::optional<FoundRuntime> runtime =
      probeHome(fileSystem, conventions, home, folder.substr(folder.find_last_of(conventions.pathSeparator) + 1));
  if (!runtime || !found.add(runtime->home)) return std::nullopt;
  return runtime;
}
