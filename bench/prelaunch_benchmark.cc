// The launcher's own work before the runtime is created: reading and applying
// the configuration file, discovering and choosing the runtime, and building
// the init arguments. Once for a typical file, on fake services and on this
// machine's real ones, and at scale to show how the cost grows.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "hosting/class_data_cache.h"
#include "hosting/jvm_host.h"
#include "jvm/jvm.h"
#include "jvm/jvm_selector.h"
#include "platform/platform.h"
#include "report/failure.h"
#include "tests/support/fake_platform.h"
#include "tests/support/image_headers.h"
#include "text/wildcard.h"

namespace {

const char kExecutable[] = "C:\\Apps\\Tool\\bin\\Tool.exe";
const char kConfiguration[] = "C:\\Apps\\Tool\\bin\\Tool.lap";
const char kJdkTree[] = "SOFTWARE\\JavaSoft\\Java Development Kit\\";
const char kJreTree[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\";

// A file system that answers from memory at once, so that the figures are the
// launcher's own work and not that of a stand-in: the test fake scans all its
// files for every listing and records every probe. Listings match the
// pattern as the POSIX host does, with the same wildcard matcher.
class BenchFileSystem : public FileSystem {
 public:
  void addFile(const std::string& path, const std::string& contents = std::string()) {
    m_files[path] = contents;
    const size_t cut = path.rfind('\\');
    m_listings[path.substr(0, cut + 1)].push_back(DirectoryEntry{path.substr(cut + 1), false});
  }
  bool exists(const std::string& path) const override { return m_files.count(path) != 0; }
  bool readFile(const std::string& path, std::string* contents) const override {
    auto it = m_files.find(path);
    if (it == m_files.end()) return false;
    *contents = it->second;
    return true;
  }
  bool isSymbolicLink(const std::string&) const override { return false; }
  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override {
    std::vector<DirectoryEntry> entries;
    const size_t cut = pattern.rfind('\\');
    auto it = m_listings.find(pattern.substr(0, cut + 1));
    if (it == m_listings.end()) return entries;
    const std::string namePattern = pattern.substr(cut + 1);
    for (const DirectoryEntry& entry : it->second) {
      if (matchesWildcardIgnoringCase(namePattern, entry.name)) entries.push_back(entry);
    }
    return entries;
  }

 private:
  std::unordered_map<std::string, std::string> m_files;
  std::unordered_map<std::string, std::vector<DirectoryEntry>> m_listings;
};

// Windows conventions, the fake registry and environment, BenchFileSystem.
struct BenchMachine {
  BenchMachine() : platform(fake.platform) { platform.fileSystem = &fileSystem; }
  FakePlatform fake;
  BenchFileSystem fileSystem;
  Platform platform;
};

// What a launch does before it loads the runtime library. A measured failure
// would measure the wrong thing: stop at once.
void prelaunch(const Platform& platform, const std::string& executable) {
  try {
    LauncherProperties properties(platform);
    properties.setNameOfExecutable(executable);
    properties.addCommandLineArgument("--input");
    properties.addCommandLineArgument("data.txt");
    loadProperties(properties);
    JvmHost host(properties);
    jni::JavaVMInitArgs args;
    host.buildInitArgs(args);
    benchmark::DoNotOptimize(args.nOptions);
    benchmark::DoNotOptimize(properties.getFoundJvm());
  } catch (const Failure& failure) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", failure.report().c_str());
    std::abort();
  }
}

// Runs BODY once per iteration that the benchmark asks for.
template <typename Body>
void repeat(benchmark::State& state, Body body) {
  for (auto _ : state) body();  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
}

void addRuntime(BenchMachine& machine, bool sdk, const std::string& version, const std::string& home,
                bool hasJvm = true) {
  machine.fake.registry.setValue((sdk ? kJdkTree : kJreTree) + version, "JavaHome", home);
  // The header names x64: the selection reads it as it would a real library's.
  if (hasJvm) {
    machine.fileSystem.addFile(home + (sdk ? "\\jre\\bin\\server\\jvm.dll" : "\\bin\\server\\jvm.dll"),
                               peImageHead(0x8664));
  }
}

const char kTypicalFile[] =
    "# Tool: launcher settings\n"
    "vexil.main.class=com.example.tool.Main\n"
    "vexil.min.java.version=1.8\n"
    "vexil.java.bundle=prefer_jre\n"
    "vexil.classpath.jars.dir=${SELF_HOME}\\lib\n"
    "vexil.library.path.dir=${SELF_HOME}\\native\n"
    "\n"
    "# JVM options\n"
    "-Xmx512m\n"
    "-Dtool.home=${SELF_HOME}\n"
    "-Dtool.java=${FOUND_JAVA_HOME}\n"
    "-Dtool.config=${env.APPDATA}\\Tool\n"
    "-Dfile.encoding=UTF-8\n";

// A Windows machine with three installed runtimes and an application of
// twenty jars.
void typicalMachine(BenchMachine& machine) {
  addRuntime(machine, true, "1.8.0_202", "C:\\Program Files\\Java\\jdk1.8.0_202");
  addRuntime(machine, false, "1.8.0_202", "C:\\Program Files\\Java\\jre1.8.0_202");
  addRuntime(machine, false, "11.0.2", "C:\\Program Files\\Java\\jre-11.0.2");
  for (int i = 0; i < 20; ++i) machine.fileSystem.addFile("C:\\Apps\\Tool\\lib\\library-" + std::to_string(i) + ".jar");
  machine.fake.environment.set("APPDATA", "C:\\Users\\me\\AppData\\Roaming");
  machine.fileSystem.addFile(kConfiguration, kTypicalFile);
}

void BM_TypicalFile(benchmark::State& state) {
  BenchMachine machine;
  typicalMachine(machine);
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
}
BENCHMARK(BM_TypicalFile)->Unit(benchmark::kMicrosecond);

// The same file and twenty jars in a temporary directory of this machine,
// with the real file system, environment and runtime discovery.
class HostApplication {
 public:
  HostApplication(int jars, const std::string& configuration) {
    char pattern[] = "/tmp/vexil-bench-XXXXXX";
    m_root = mkdtemp(pattern);
    mkdir((m_root + "/bin").c_str(), 0755);
    mkdir((m_root + "/lib").c_str(), 0755);
    for (int i = 0; i < jars; ++i) std::ofstream(m_root + "/lib/library-" + std::to_string(i) + ".jar");
    std::ofstream(m_root + "/bin/tool.lap") << configuration;
  }
  ~HostApplication() { std::system(("rm -rf '" + m_root + "'").c_str()); }
  std::string executable() const { return m_root + "/bin/tool"; }

 private:
  std::string m_root;
};

std::string hostTypicalFile() {
  std::string text = kTypicalFile;
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

void BM_TypicalFileHost(benchmark::State& state) {
  HostApplication application(20, hostTypicalFile());
  repeat(state, [&] { prelaunch(hostPlatform(), application.executable()); });
}
BENCHMARK(BM_TypicalFileHost)->Unit(benchmark::kMicrosecond);

// The class-data cache's work in a launch that uses its archive: the key
// (the runtime's library and twenty jars stamped), the folder's files, the
// archive checked against its stamp and its owner, the launch's mark made and,
// after the run, removed. On this machine's file system.
void BM_ClassDataCacheWarm(benchmark::State& state) {
  char pattern[] = "/tmp/vexil-bench-XXXXXX";
  const std::string root = mkdtemp(pattern);
  std::system(("mkdir -p '" + root + "/jdk/lib/server' '" + root + "/lib'").c_str());
  std::ofstream(root + "/jdk/lib/server/libjvm.so") << "library";
  std::string classPath = "-Djava.class.path=";
  for (int i = 0; i < 20; ++i) {
    const std::string jar = root + "/lib/library-" + std::to_string(i) + ".jar";
    std::ofstream(jar) << "jar";
    classPath += (i == 0 ? "" : ":") + jar;
  }
  FakeEnvironment environment;
  environment.set("XDG_CACHE_HOME", root + "/cache");
  const Platform platform{&linuxConventions(), hostPlatform().fileSystem, &environment, nullptr};
  const ClassDataCacheRequest request{
      "auto",   root + "/bin/tool",     "com.example.tool.Main", root + "/jdk", root + "/jdk/lib/server/libjvm.so",
      "17.0.9", {"-Xmx512m", classPath}};
  const auto quiet = [](const std::string&) {};
  // Without bin/java the run itself writes the archive: made here as it would.
  ClassDataCachePlan first = planClassDataCache(request, platform, quiet);
  for (const std::string& option : first.jvmOptions) {
    const std::string prefix = "-XX:ArchiveClassesAtExit=";
    if (option.compare(0, prefix.size(), prefix) == 0) std::ofstream(option.substr(prefix.size())) << "archive";
  }
  first.afterRun();
  bool used = true;
  repeat(state, [&] {
    ClassDataCachePlan warm = planClassDataCache(request, platform, quiet);
    used = used && warm.jvmOptions.size() == 2 && warm.afterRun;
    if (warm.afterRun) warm.afterRun();
  });
  if (!used) state.SkipWithError("the archive was not used");
  std::system(("rm -rf '" + root + "'").c_str());
}
BENCHMARK(BM_ClassDataCacheWarm)->Unit(benchmark::kMicrosecond);

// N configuration lines: options with early and late variables, settings,
// comments and blank lines, in turn.
void BM_ConfigurationLines(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  BenchMachine machine;
  typicalMachine(machine);
  std::string file = "vexil.main.class=com.example.tool.Main\n";
  for (int i = 0; i < lines - 1; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 6) {
      case 0:
        file += "-Dearly." + n + "=${SELF_HOME}\\data\\" + n + "\n";
        break;
      case 1:
        file += "-Dlate." + n + "=${FOUND_JAVA_HOME}\\lib\\" + n + "\n";
        break;
      case 2:
        file += "# a comment about setting " + n + "\n";
        break;
      case 3:
        file += "vexil.min.java.version=1." + std::to_string(i % 9) + "\n";
        break;
      case 4:
        file += "-Xss" + n + "k\n";
        break;
      default:
        file += "  unknown.key." + n + " = ${env.APPDATA}  \n";
        break;
    }
  }
  machine.fileSystem.addFile(kConfiguration, file);
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
  state.SetComplexityN(lines);
  state.counters["per_line"] =
      benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ConfigurationLines)->RangeMultiplier(10)->Range(10, 100000)->Complexity()->Unit(benchmark::kMicrosecond);

// One option line with N variable references: each resolution must not
// shift the rest of the line again.
void BM_ReferencesInOneLine(benchmark::State& state) {
  const int references = static_cast<int>(state.range(0));
  BenchMachine machine;
  typicalMachine(machine);
  std::string line = "-Dpath=";
  for (int i = 0; i < references; ++i) line += i % 2 ? "${SELF_HOME}\\lib;" : "${env.APPDATA};";
  machine.fileSystem.addFile(kConfiguration, "vexil.main.class=Main\n" + line + "\n");
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
  state.SetComplexityN(references);
  state.counters["per_reference"] =
      benchmark::Counter(references, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReferencesInOneLine)->RangeMultiplier(10)->Range(10, 100000)->Complexity()->Unit(benchmark::kMicrosecond);

// A jar directory of N jars (and as many other files that the pattern skips).
void BM_JarDirectory(benchmark::State& state) {
  const int jars = static_cast<int>(state.range(0));
  BenchMachine machine;
  typicalMachine(machine);
  for (int i = 0; i < jars; ++i) {
    machine.fileSystem.addFile("C:\\Apps\\Tool\\jars\\component-" + std::to_string(i) + ".jar");
    machine.fileSystem.addFile("C:\\Apps\\Tool\\jars\\component-" + std::to_string(i) + ".txt");
  }
  machine.fileSystem.addFile(kConfiguration, "vexil.main.class=Main\nvexil.classpath.jars.dir=${SELF_HOME}\\jars\n");
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
  state.SetComplexityN(jars);
  state.counters["per_jar"] =
      benchmark::Counter(jars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JarDirectory)->RangeMultiplier(10)->Range(10, 100000)->Complexity()->Unit(benchmark::kMicrosecond);

// The same on this machine's file system, where listing the directory and
// testing each entry is the real cost.
void BM_JarDirectoryHost(benchmark::State& state) {
  const int jars = static_cast<int>(state.range(0));
  HostApplication application(jars, "vexil.main.class=Main\nvexil.classpath.jars.dir=${SELF_HOME}/lib\n");
  repeat(state, [&] { prelaunch(hostPlatform(), application.executable()); });
  state.SetComplexityN(jars);
  state.counters["per_jar"] =
      benchmark::Counter(jars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JarDirectoryHost)->RangeMultiplier(10)->Range(10, 10000)->Complexity()->Unit(benchmark::kMicrosecond);

// N runtimes in the registry, development kits first. Shape 0: every one
// usable. Shape 1: "vexil.java.bundle=jre", so the kits, the first half of
// the list, are rejected. Shape 2: the first half has no JVM library.
void BM_RegistryRuntimes(benchmark::State& state) {
  const int runtimes = static_cast<int>(state.range(0));
  const int shape = static_cast<int>(state.range(1));
  BenchMachine machine;
  for (int i = 0; i < runtimes; ++i) {
    const bool sdk = i < runtimes / 2;
    const std::string version = "1." + std::to_string(5 + i % 20) + ".0_" + std::to_string(i);
    addRuntime(machine, sdk, version, "C:\\Java\\runtime-" + std::to_string(i), shape != 2 || !sdk);
  }
  machine.fileSystem.addFile(kConfiguration,
                             shape == 1 ? "vexil.main.class=Main\nvexil.java.bundle=jre\n" : "vexil.main.class=Main\n");
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
  state.SetComplexityN(runtimes);
  state.counters["per_runtime"] =
      benchmark::Counter(runtimes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RegistryRuntimes)->ArgsProduct({{10, 100, 1000, 10000}, {0}})->Complexity()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RegistryRuntimes)
    ->Name("BM_RegistryRuntimesHalfRejected")
    ->ArgsProduct({{10, 100, 1000, 10000}, {1}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RegistryRuntimes)
    ->Name("BM_RegistryRuntimesHalfWithoutLibrary")
    ->ArgsProduct({{10, 100, 1000, 10000}, {2}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

// N runtimes registered as today's installers register them (the Eclipse
// Adoptium key), each home with its release file and a JVM library whose
// header is read. Shape 0: every one is x64. Shape 1: the first half is
// 32-bit, so each of those is turned down with a line of its own.
void BM_InstallerRuntimes(benchmark::State& state) {
  const int runtimes = static_cast<int>(state.range(0));
  const int shape = static_cast<int>(state.range(1));
  BenchMachine machine;
  for (int i = 0; i < runtimes; ++i) {
    const std::string version = std::to_string(8 + i % 20) + ".0." + std::to_string(i);
    const std::string home = "C:\\Program Files\\Eclipse Adoptium\\jdk-" + version;
    machine.fake.registry.setValueIn(RegistryRoot::LocalMachine, RegistryView::Bits64,
                                     "SOFTWARE\\Eclipse Adoptium\\JDK\\" + version + "\\hotspot\\MSI", "Path",
                                     home + "\\");
    machine.fileSystem.addFile(home);
    machine.fileSystem.addFile(home + "\\release", "JAVA_VERSION=\"" + version + "\"\n");
    machine.fileSystem.addFile(home + "\\bin\\javac.exe");
    machine.fileSystem.addFile(home + "\\bin\\server\\jvm.dll",
                               peImageHead(shape == 1 && i < runtimes / 2 ? 0x014C : 0x8664));
  }
  machine.fileSystem.addFile(kConfiguration, "vexil.main.class=Main\n");
  repeat(state, [&] { prelaunch(machine.platform, kExecutable); });
  state.SetComplexityN(runtimes);
  state.counters["per_runtime"] =
      benchmark::Counter(runtimes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_InstallerRuntimes)
    ->ArgsProduct({{10, 100, 1000, 10000}, {0}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InstallerRuntimes)
    ->Name("BM_InstallerRuntimesHalf32Bit")
    ->ArgsProduct({{10, 100, 1000, 10000}, {1}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

// Discovery with every group of places on this machine's file system: twenty
// runtimes below a temporary HOME, in the folders of eight tools, one named
// by JAVA_HOME and three reached through PATH by chains of links (as the
// alternatives system makes them), beside the machine's own in /usr/lib/jvm.
// The launch's selection: every source read, every home's files looked at.
class HostRuntimes {
 public:
  HostRuntimes() {
    char pattern[] = "/tmp/vexil-bench-runtimes-XXXXXX";
    m_root = mkdtemp(pattern);
    const char* const folders[] = {
        ".sdkman/candidates/java",         ".jdks",      ".gradle/jdks",     ".m2/jdks", ".asdf/installs/java",
        ".local/share/mise/installs/java", ".jabba/jdk", ".jbang/cache/jdks"};
    std::string path;
    for (int i = 0; i < 20; ++i) {
      const std::string version = std::to_string(11 + i % 15) + ".0." + std::to_string(i);
      const bool onPath = i >= 17;
      const std::string home =
          onPath ? m_root + "/opt/jdk-" + version : m_root + "/home/" + folders[i % 8] + "/jdk-" + version;
      makeHome(home, version);
      if (onPath) {
        const std::string bin = m_root + "/bin" + std::to_string(i);
        std::system(("mkdir -p '" + bin + "' && ln -s '" + home + "/bin/java' '" + bin + "/alternative' && ln -s '" +
                     bin + "/alternative' '" + bin + "/java'")
                        .c_str());
        path += bin + ":";
      }
      if (i == 16) m_javaHome = home;
    }
    m_path = path + "/usr/local/bin:/usr/bin:/bin";
  }
  ~HostRuntimes() { std::system(("rm -rf '" + m_root + "'").c_str()); }

  /// Sets HOME, PATH and JAVA_HOME to this machine's; unsets the tools' own variables.
  void enter() const {
    setenv("HOME", (m_root + "/home").c_str(), 1);
    setenv("PATH", m_path.c_str(), 1);
    setenv("JAVA_HOME", m_javaHome.c_str(), 1);
    for (const char* name : {"SDKMAN_CANDIDATES_DIR", "ASDF_DATA_DIR", "MISE_DATA_DIR", "XDG_DATA_HOME"}) {
      unsetenv(name);
    }
  }

 private:
  static void makeHome(const std::string& home, const std::string& version) {
    std::system(("mkdir -p '" + home + "/bin' '" + home + "/lib/server'").c_str());
    std::ofstream(home + "/release") << "IMPLEMENTOR=\"bench\"\nJAVA_VERSION=\"" << version << "\"\n";
    std::ofstream(home + "/bin/java").flush();
    std::ofstream(home + "/bin/javac").flush();
    // An ELF header of this build's machine: the selection reads it as a real library's.
    std::ifstream self("/proc/self/exe", std::ios::binary);
    std::string head(64, '\0');
    self.read(&head[0], static_cast<std::streamsize>(head.size()));
    std::ofstream(home + "/lib/server/libjvm.so", std::ios::binary) << head;
  }

  std::string m_root;
  std::string m_path;
  std::string m_javaHome;
};

void BM_DiscoveryHost(benchmark::State& state) {
  HostRuntimes runtimes;
  const char* path = std::getenv("PATH");
  const std::string savedPath = path ? path : "";
  runtimes.enter();
  LauncherProperties properties(hostPlatform());
  std::vector<Jvm> found;
  JvmSelector(properties.getJvmSettings(), hostPlatform()).locateJvms(found);
  repeat(state, [&] {
    JvmSelector selector(properties.getJvmSettings(), hostPlatform());
    benchmark::DoNotOptimize(selector.getMostAppropriateJvm());
  });
  state.counters["runtimes"] = static_cast<double>(found.size());
  setenv("PATH", savedPath.c_str(), 1);
}
BENCHMARK(BM_DiscoveryHost)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
