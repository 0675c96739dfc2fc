#include "jvm/sources/runtime_sources.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
constexpr RegistryView k64 = RegistryView::Bits64;
constexpr RegistryView k32 = RegistryView::Bits32;

class RuntimeSourcesTest : public ::testing::Test {
 protected:
  /// A Java 9+ home: bin\server\jvm.dll, and bin\javac.exe for a development kit.
  void addHome(const std::string& home, bool sdk, const std::string& release = "") {
    fake.fileSystem.addDirectory(home);
    fake.fileSystem.addFile(home + "\\bin\\server\\jvm.dll");
    if (sdk) fake.fileSystem.addFile(home + "\\bin\\javac.exe");
    if (!release.empty()) fake.fileSystem.addFile(home + "\\release", release);
  }

  static std::vector<std::string> found(FakePlatform& platform) {
    FoundHomes homes(platform.fileSystem, *platform.platform.conventions);
    std::vector<std::string> lines;
    for (const Jvm& runtime :
         findRegisteredRuntimes(platform.registry, platform.fileSystem, *platform.platform.conventions, homes)) {
      lines.push_back(runtime.getVersion() + " " + runtime.getJavaBundle() + " " + runtime.getJavaHomePath() + " " +
                      runtime.getJrePath());
    }
    return lines;
  }

  FakePlatform fake;
  FakeRegistry& registry = fake.registry;
};

// Each installer's key shape, in each root and view, found alone.
TEST_F(RuntimeSourcesTest, FindsEachInstallersKeys) {
  struct Case {
    const char* key;
    const char* valueName;
    const char* version;  // what the record gets: the release file's, else the key's
  } cases[] = {
      {"SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "17"},
      {"SOFTWARE\\JavaSoft\\JRE\\21.0.1", "JavaHome", "21.0.1"},
      {"SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "Path", "17.0.9.9"},
      {"SOFTWARE\\Eclipse Adoptium\\JRE\\11.0.21.9\\hotspot\\EXE", "Path", "11.0.21.9"},
      {"SOFTWARE\\AdoptOpenJDK\\JDK\\8.0.292.10\\openj9\\MSI", "Path", "8.0.292.10"},
      {"SOFTWARE\\Eclipse Foundation\\JDK\\16.0.2.7\\hotspot\\MSI", "Path", "16.0.2.7"},
      {"SOFTWARE\\Microsoft\\JDK\\21.0.2.13\\hotspot\\MSI", "Path", "21.0.2.13"},
      {"SOFTWARE\\Semeru\\JRE\\17.0.8.1\\openj9\\MSI", "Path", "17.0.8.1"},
      {"SOFTWARE\\SapMachine\\JDK\\21", "JavaHome", "21"},
      {"SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath", "17"},
      {"SOFTWARE\\Azul Systems\\Zulu 32-bit\\zulu-8", "InstallationPath", "8"},
      {"SOFTWARE\\BellSoft\\Liberica\\Liberica JDK 17", "InstallationPath", "17"},
  };
  for (const Case& c : cases) {
    for (RegistryRoot root : {kMachine, kUser}) {
      for (RegistryView view : {k64, k32}) {
        FakePlatform fresh;
        fresh.fileSystem.addDirectory("C:\\Java\\home");
        fresh.fileSystem.addFile("C:\\Java\\home\\bin\\server\\jvm.dll");
        fresh.fileSystem.addFile("C:\\Java\\home\\bin\\javac.exe");
        fresh.registry.setValueIn(root, view, c.key, c.valueName, "C:\\Java\\home\\");
        EXPECT_EQ(found(fresh),
                  std::vector<std::string>{std::string(c.version) + " sdk C:\\Java\\home C:\\Java\\home\\bin\\"})
            << c.key << " root " << static_cast<int>(root) << " view " << static_cast<int>(view);
      }
    }
  }
}

TEST_F(RuntimeSourcesTest, ReadsTheHomesFiles) {
  // The release file's version wins over the key's; no compiler makes a
  // runtime environment; a Java 8 development kit keeps its JVM in jre\bin.
  addHome("C:\\jdk17", false, "IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"17.0.9\"\n");
  fake.fileSystem.addDirectory("C:\\jdk8");
  fake.fileSystem.addFile("C:\\jdk8\\bin\\javac.exe");
  fake.fileSystem.addFile("C:\\jdk8\\jre\\bin\\client\\jvm.dll");
  fake.fileSystem.addDirectory("C:\\empty");  // no JVM library: the selection says so
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "C:\\jdk17");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\1.8", "JavaHome", "C:\\jdk8");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\9", "JavaHome", "C:\\empty");
  EXPECT_EQ(found(fake), (std::vector<std::string>{
                             "17.0.9 jre C:\\jdk17 C:\\jdk17\\bin\\",
                             "1.8 sdk C:\\jdk8 C:\\jdk8\\jre\\bin\\",
                             "9 jre C:\\empty C:\\empty\\bin\\",
                         }));
}

TEST_F(RuntimeSourcesTest, SkipsBrokenEntriesAndCountsEachHomeOnce) {
  addHome("C:\\Program Files\\Zulu\\zulu-17", true);
  addHome("C:\\jdk21", true);
  const std::string zulu = "SOFTWARE\\Azul Systems\\Zulu\\";
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\11", "JavaHome", "C:\\gone");  // uninstalled
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\12", "JavaHome", "");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\13", "OtherValue", "C:\\jdk21");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "C:\\Program Files\\Zulu\\zulu-17");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\Eclipse Adoptium\\JDK\\21\\hotspot\\NOT_AN_INSTALLER", "Path",
                      "C:\\jdk21");
  registry.setValueIn(kMachine, k64, zulu + "not-zulu-21", "InstallationPath", "C:\\jdk21");
  // The same home through a second key, another view, another root, another spelling.
  registry.setValueIn(kMachine, k64, zulu + "zulu-17", "InstallationPath", "C:\\Program Files\\Zulu\\zulu-17\\");
  registry.setValueIn(kMachine, k32, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "C:\\Program Files\\Zulu\\zulu-17");
  registry.setValueIn(kUser, k64, zulu + "zulu-17", "InstallationPath", "c:\\program files\\zulu\\ZULU-17");
  EXPECT_EQ(found(fake), std::vector<std::string>{"17 sdk C:\\Program Files\\Zulu\\zulu-17 "
                                                  "C:\\Program Files\\Zulu\\zulu-17\\bin\\"});
}

TEST_F(RuntimeSourcesTest, ReadsInTheOrderOfTheSourcesThenRootsThenViews) {
  const char* homes[] = {"C:\\a", "C:\\b", "C:\\c", "C:\\d", "C:\\e"};
  for (const char* home : homes) addHome(home, false);
  registry.setValueIn(kUser, k32, "SOFTWARE\\BellSoft\\Liberica\\17", "InstallationPath", "C:\\e");
  registry.setValueIn(kUser, k64, "SOFTWARE\\JavaSoft\\JRE\\17", "JavaHome", "C:\\d");
  registry.setValueIn(kMachine, k32, "SOFTWARE\\JavaSoft\\JRE\\17", "JavaHome", "C:\\c");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JRE\\17", "JavaHome", "C:\\b");
  registry.setValueIn(kMachine, k64, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "C:\\a");
  std::vector<std::string> homesFound;
  for (const std::string& line : found(fake)) homesFound.push_back(line.substr(7, 4));
  EXPECT_EQ(homesFound, (std::vector<std::string>{"C:\\a", "C:\\b", "C:\\c", "C:\\d", "C:\\e"}));
}

TEST_F(RuntimeSourcesTest, JavaHomeOnBothSystems) {
  struct Case {
    const Conventions& conventions;
    std::string home;
    std::string library;
    std::string compiler;
    std::string expected;  // empty: none found
  } cases[] = {
      {windowsConventions(), "C:\\tools\\jdk-17.0.2", "\\bin\\server\\jvm.dll", "\\bin\\javac.exe",
       "17.0.2 sdk C:\\tools\\jdk-17.0.2\\bin\\"},
      {windowsConventions(), "C:\\tools\\jre8\\", "\\bin\\client\\jvm.dll", "", "8 jre C:\\tools\\jre8\\bin\\"},
      {linuxConventions(), "/opt/java/jdk-21/", "/lib/server/libjvm.so", "/bin/javac", "21 sdk /opt/java/jdk-21/lib/"},
  };
  for (const Case& c : cases) {
    FakePlatform platform(c.conventions);
    const std::string home = c.home.substr(0, c.home.find_last_not_of("\\/") + 1);
    platform.fileSystem.addDirectory(home);
    platform.fileSystem.addFile(home + c.library);
    if (!c.compiler.empty()) platform.fileSystem.addFile(home + c.compiler);
    FoundHomes homes(platform.fileSystem, c.conventions);
    EXPECT_FALSE(findJavaHomeRuntime(platform.environment, platform.fileSystem, c.conventions, homes)) << "unset";
    platform.environment.set("JAVA_HOME", c.home);
    std::optional<Jvm> runtime = findJavaHomeRuntime(platform.environment, platform.fileSystem, c.conventions, homes);
    ASSERT_TRUE(runtime) << c.home;
    EXPECT_EQ(runtime->getVersion() + " " + runtime->getJavaBundle() + " " + runtime->getJrePath(), c.expected);
    EXPECT_EQ(runtime->getJavaHomePath(), home);
    // Already found through another source: not again.
    EXPECT_FALSE(findJavaHomeRuntime(platform.environment, platform.fileSystem, c.conventions, homes)) << c.home;
  }
}

}  // namespace
