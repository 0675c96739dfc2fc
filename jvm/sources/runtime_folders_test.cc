// Runtimes that no installer registered: the folders where archives are
// unpacked and where IDEs, version managers and build tools keep theirs, and
// the folders of PATH; each home once however many links lead to it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/launcher_properties.h"
#include "jvm/jvm_selector.h"
#include "jvm/sources/runtime_sources.h"
#include "tests/support/fake_platform.h"
#include "tests/support/image_headers.h"
#include "tests/support/report_capture.h"

namespace {

const std::string kX64 = peImageHead(0x8664);
const std::string kX86 = peImageHead(0x014C);

/// The library and compiler paths below a home, for either system.
struct Layout {
  const Conventions& conventions;
  const char* library;
  const char* compiler;
};
const Layout kWindows{windowsConventions(), "\\bin\\server\\jvm.dll", "\\bin\\javac.exe"};
const Layout kLinux{linuxConventions(), "/lib/server/libjvm.so", "/bin/javac"};

/// A development kit at HOME with a release file naming VERSION (none when empty).
void addKit(FakePlatform& fake, const Layout& layout, const std::string& home, const std::string& version,
            const std::string& library = kX64) {
  fake.fileSystem.addDirectory(home);
  fake.fileSystem.addFile(home + layout.library, library);
  fake.fileSystem.addFile(home + layout.compiler);
  if (!version.empty()) {
    fake.fileSystem.addFile(home + layout.conventions.pathSeparator + "release",
                            "IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"" + version + "\"\n");
  }
}

/// "version home <- source" for each runtime.
std::vector<std::string> described(const std::vector<Jvm>& runtimes) {
  std::vector<std::string> lines;
  for (const Jvm& runtime : runtimes) {
    lines.push_back(runtime.getVersion() + " " + runtime.getJavaHomePath() + " <- " + runtime.getSource());
  }
  return lines;
}

std::vector<std::string> folderRuntimes(FakePlatform& fake) {
  FoundHomes found(fake.fileSystem, *fake.platform.conventions);
  return described(findFolderRuntimes(fake.platform, found));
}

std::vector<std::string> pathRuntimes(FakePlatform& fake) {
  FoundHomes found(fake.fileSystem, *fake.platform.conventions);
  return described(findPathRuntimes(fake.platform, found));
}

// Each place, alone, on its system: where the home lies, what the variables
// say, and the folder named as its source.
TEST(RuntimeFolders, FindsAHomeInEachPlace) {
  struct Case {
    const Layout& layout;
    std::vector<std::pair<std::string, std::string>> variables;
    std::string home;
    std::string source;
  } cases[] = {
      {kLinux, {}, "/usr/jdk/jdk1.8.0_401", "/usr/jdk/*"},
      {kLinux, {}, "/opt/java/zulu17", "/opt/java/*"},
      {kLinux, {}, "/opt/jdk-21.0.2", "/opt/jdk*"},
      {kLinux,
       {{"HOME", "/home/u"}},
       "/home/u/.sdkman/candidates/java/17.0.9-tem",
       "/home/u/.sdkman/candidates/java/*"},
      {kLinux, {{"HOME", "/home/u"}, {"SDKMAN_CANDIDATES_DIR", "/sdk/"}}, "/sdk/java/21.0.1-tem", "/sdk/java/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.jdks/corretto-17.0.9", "/home/u/.jdks/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.gradle/jdks/eclipse_adoptium-17-amd64-linux", "/home/u/.gradle/jdks/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.m2/jdks/jdk-17.0.2", "/home/u/.m2/jdks/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.asdf/installs/java/temurin-17.0.9", "/home/u/.asdf/installs/java/*"},
      {kLinux, {{"ASDF_DATA_DIR", "/data/asdf"}}, "/data/asdf/installs/java/zulu-21", "/data/asdf/installs/java/*"},
      {kLinux,
       {{"HOME", "/home/u"}},
       "/home/u/.local/share/mise/installs/java/21.0.2",
       "/home/u/.local/share/mise/installs/java/*"},
      {kLinux, {{"XDG_DATA_HOME", "/xdg"}}, "/xdg/mise/installs/java/17", "/xdg/mise/installs/java/*"},
      {kLinux,
       {{"MISE_DATA_DIR", "/m"}, {"XDG_DATA_HOME", "/xdg"}},
       "/m/installs/java/corretto-21",
       "/m/installs/java/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.jabba/jdk/openjdk@1.17.0", "/home/u/.jabba/jdk/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.jenv/versions/17.0", "/home/u/.jenv/versions/*"},
      {kLinux, {{"HOME", "/home/u"}}, "/home/u/.jbang/cache/jdks/21", "/home/u/.jbang/cache/jdks/*"},
      {kLinux,
       {},
       "/home/linuxbrew/.linuxbrew/opt/openjdk@21/libexec",
       "/home/linuxbrew/.linuxbrew/opt/openjdk*/libexec"},
      {kWindows,
       {{"ProgramFiles", "C:\\Program Files"}},
       "C:\\Program Files\\Eclipse Adoptium\\jdk-21.0.2.13-hotspot",
       "C:\\Program Files\\Eclipse Adoptium\\*"},
      {kWindows,
       {{"ProgramFiles(x86)", "C:\\Program Files (x86)"}},
       "C:\\Program Files (x86)\\Zulu\\zulu-17",
       "C:\\Program Files (x86)\\Zulu\\*"},
      {kWindows,
       {{"LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local"}},
       "C:\\Users\\u\\AppData\\Local\\Programs\\Microsoft\\jdk-17.0.9.8-hotspot",
       "C:\\Users\\u\\AppData\\Local\\Programs\\Microsoft\\*"},
      {kWindows, {{"ProgramFiles", "C:\\PF"}}, "C:\\PF\\Amazon Corretto\\jdk17.0.9_8", "C:\\PF\\Amazon Corretto\\*"},
      {kWindows, {{"USERPROFILE", "C:\\Users\\u"}}, "C:\\Users\\u\\.jdks\\openjdk-21", "C:\\Users\\u\\.jdks\\*"},
      {kWindows,
       {{"USERPROFILE", "C:\\Users\\u"}},
       "C:\\Users\\u\\scoop\\apps\\temurin17-jdk\\current",
       "C:\\Users\\u\\scoop\\apps\\*\\current"},
      {kWindows, {{"SCOOP", "D:\\scoop"}}, "D:\\scoop\\apps\\zulu21-jdk\\current", "D:\\scoop\\apps\\*\\current"},
      {kWindows,
       {{"USERPROFILE", "C:\\Users\\u"}},
       "C:\\Users\\u\\.gradle\\jdks\\jdk-17",
       "C:\\Users\\u\\.gradle\\jdks\\*"},
      {kWindows, {{"USERPROFILE", "C:\\Users\\u"}}, "C:\\Users\\u\\.m2\\jdks\\jdk-21", "C:\\Users\\u\\.m2\\jdks\\*"},
  };
  for (const Case& c : cases) {
    FakePlatform fake(c.layout.conventions);
    for (const auto& [name, value] : c.variables) fake.environment.set(name, value);
    addKit(fake, c.layout, c.home, "17.0.9");
    EXPECT_EQ(folderRuntimes(fake), std::vector<std::string>{"17.0.9 " + c.home + " <- " + c.source}) << c.home;
  }
}

TEST(RuntimeFolders, TakesHomesInOrderOncePassingWhatIsNoHome) {
  FakePlatform fake(linuxConventions());
  fake.environment.set("HOME", "/home/u");
  const std::string sdkman = "/home/u/.sdkman/candidates/java/";
  addKit(fake, kLinux, sdkman + "21.0.2-tem", "21.0.2");
  addKit(fake, kLinux, sdkman + "17.0.9-tem", "");  // no release file: the version from its name
  addKit(fake, kLinux, "/opt/jdk-11", "11.0.22");
  // SDKMAN's "current", and jenv's link to the same home: one record, the first path found.
  fake.fileSystem.addLink(sdkman + "current", sdkman + "21.0.2-tem");
  fake.fileSystem.addLink("/home/u/.jenv/versions/21", sdkman + "21.0.2-tem");
  // A link whose target is gone, a loop, and folders that hold no runtime.
  fake.fileSystem.addLink("/home/u/.jdks/gone", "/nowhere/jdk");
  fake.fileSystem.addLink("/home/u/.jdks/loop", "/home/u/.jdks/loop2");
  fake.fileSystem.addLink("/home/u/.jdks/loop2", "/home/u/.jdks/loop");
  fake.fileSystem.addDirectory("/home/u/.jdks/.intellij");
  fake.fileSystem.addFile("/home/u/.jdks/readme.txt");
  fake.fileSystem.addFile("/home/u/.gradle/jdks/broken/bin/javac");
  EXPECT_EQ(folderRuntimes(fake), (std::vector<std::string>{
                                      "11.0.22 /opt/jdk-11 <- /opt/jdk*",
                                      "17.0.9-tem " + sdkman + "17.0.9-tem <- " + sdkman + "*",
                                      "21.0.2 " + sdkman + "21.0.2-tem <- " + sdkman + "*",
                                  }));
}

// Folders below the user's home are read only when the variable names an
// absolute folder: never below the current directory.
TEST(RuntimeFolders, AnUnsetOrRelativeBaseIsPassed) {
  for (const char* home : {"", "home/u", "."}) {
    FakePlatform fake(linuxConventions());
    if (*home) fake.environment.set("HOME", home);
    addKit(fake, kLinux, std::string(*home ? home : ".") + "/.jdks/jdk-17", "17");
    addKit(fake, kLinux, "/.jdks/jdk-17", "17");  // what an empty HOME would lead to
    EXPECT_EQ(folderRuntimes(fake), std::vector<std::string>{}) << "HOME=" << home;
  }
}

TEST(RuntimeFolders, FollowsPathToTheHomeOfItsJava) {
  struct Case {
    const Layout& layout;
    std::string path;
    std::vector<std::string> expected;
  } cases[] = {
      // The alternatives system: /usr/bin/java -> /etc/alternatives/java -> the home's bin/java.
      {kLinux, "/usr/local/bin:/usr/bin", {"17.0.9 /usr/lib/jvm/jdk-17 <- PATH /usr/bin/java"}},
      {kLinux, "/opt/jdk-21/bin/", {"21.0.2 /opt/jdk-21 <- PATH /opt/jdk-21/bin/java"}},
      // Empty and relative elements mean the current directory: passed.
      {kLinux, ":bin:./bin:jdk/bin:/opt/jdk-21/bin:", {"21.0.2 /opt/jdk-21 <- PATH /opt/jdk-21/bin/java"}},
      // A java that lies in no bin folder (a wrapper script) names no home.
      {kLinux, "/usr/share/wrappers", {}},
      // Both elements lead to one home.
      {kLinux, "/usr/bin:/usr/lib/jvm/jdk-17/bin", {"17.0.9 /usr/lib/jvm/jdk-17 <- PATH /usr/bin/java"}},
      {kWindows,
       "C:\\Windows;;\"C:\\Program Files\\Java\\jdk-21\\bin\";bin",
       {"21.0.2 C:\\Program Files\\Java\\jdk-21 <- PATH C:\\Program Files\\Java\\jdk-21\\bin\\java.exe"}},
      {kWindows, "\\bin;C:bin;.\\bin", {}},
  };
  for (const Case& c : cases) {
    FakePlatform fake(c.layout.conventions);
    const char sep = c.layout.conventions.pathSeparator;
    if (sep == '/') {
      addKit(fake, kLinux, "/usr/lib/jvm/jdk-17", "17.0.9");
      fake.fileSystem.addFile("/usr/lib/jvm/jdk-17/bin/java");
      fake.fileSystem.addLink("/etc/alternatives/java", "/usr/lib/jvm/jdk-17/bin/java");
      fake.fileSystem.addLink("/usr/bin/java", "/etc/alternatives/java");
      addKit(fake, kLinux, "/opt/jdk-21", "21.0.2");
      fake.fileSystem.addFile("/opt/jdk-21/bin/java");
      fake.fileSystem.addFile("/usr/share/wrappers/java");
      addKit(fake, kLinux, "/usr/share", "99");
    } else {
      addKit(fake, kWindows, "C:\\Program Files\\Java\\jdk-21", "21.0.2");
      fake.fileSystem.addFile("C:\\Program Files\\Java\\jdk-21\\bin\\java.exe");
    }
    // What a relative element would find, were it read from the current directory.
    for (const char* relative : {"bin", "jdk"}) {
      addKit(fake, c.layout, relative, "99");
      fake.fileSystem.addFile(std::string(relative) + sep + "bin" + sep + c.layout.conventions.javaLauncherName);
      fake.fileSystem.addFile(std::string(relative) + sep + c.layout.conventions.javaLauncherName);
    }
    fake.environment.set("PATH", c.path);
    EXPECT_EQ(pathRuntimes(fake), c.expected) << c.path;
  }
}

TEST(RuntimeFolders, ReadsSearchGroupWords) {
  struct Case {
    std::string text;
    bool valid;
    std::string groups;  // r, e, f, p for each group read
  } cases[] = {
      {"", true, "refp"},
      {"registry,environment,folders,path", true, "refp"},
      {"path", true, "p"},
      {" Folders ; PATH ", true, "fp"},
      {"environment registry", true, "re"},
      {",,", true, "refp"},
      {"folders,pth", false, "pth"},
  };
  for (const Case& c : cases) {
    SearchGroups groups;
    std::string unknown;
    ASSERT_EQ(searchGroupsOf(c.text, &groups, &unknown), c.valid) << c.text;
    if (!c.valid) {
      EXPECT_EQ(unknown, c.groups);
      continue;
    }
    std::string named = std::string(groups.registry ? "r" : "") + (groups.environment ? "e" : "") +
                        (groups.folders ? "f" : "") + (groups.path ? "p" : "");
    EXPECT_EQ(named, c.groups) << c.text;
  }
}

/// A Windows machine with a runtime in each group of places, all 64-bit kits.
class SearchAndFallbackTest : public ::testing::Test {
 protected:
  SearchAndFallbackTest() {
    addKit(fake, kWindows, "C:\\reg\\jdk-11", "11.0.2");
    fake.registry.setValue("SOFTWARE\\JavaSoft\\JDK\\11", "JavaHome", "C:\\reg\\jdk-11");
    addKit(fake, kWindows, "C:\\env\\jdk-17", "17.0.1");
    fake.environment.set("JAVA_HOME", "C:\\env\\jdk-17");
    addKit(fake, kWindows, "C:\\Users\\u\\.jdks\\jdk-21", "21.0.1");
    fake.environment.set("USERPROFILE", "C:\\Users\\u");
    addKit(fake, kWindows, "C:\\path\\jdk-25", "25");
    fake.fileSystem.addFile("C:\\path\\jdk-25\\bin\\java.exe");
    fake.environment.set("PATH", "C:\\path\\jdk-25\\bin");
  }

  /// The discovered homes' last names, in order.
  std::vector<std::string> discovered() {
    std::vector<Jvm> jvms;
    JvmSelector(properties.getJvmSettings(), fake.platform).locateJvms(jvms);
    std::vector<std::string> names;
    for (const Jvm& jvm : jvms) names.push_back(jvm.getJavaHomePath().substr(jvm.getJavaHomePath().rfind('\\') + 1));
    return names;
  }

  FakePlatform fake;
  LauncherProperties properties{fake.platform};
};

TEST_F(SearchAndFallbackTest, TheSearchSettingPicksGroupsInTheirOwnOrder) {
  struct Case {
    std::string search;
    std::vector<std::string> homes;
  } cases[] = {
      {"", {"jdk-11", "jdk-17", "jdk-21", "jdk-25"}},
      {"path,registry", {"jdk-11", "jdk-25"}},
      {"environment", {"jdk-17"}},
      {"FOLDERS", {"jdk-21"}},
  };
  for (const Case& c : cases) {
    properties.setJavaSearch(c.search);
    EXPECT_EQ(discovered(), c.homes) << c.search;
  }
  properties.setJavaSearch("registry,regedit");
  EXPECT_EQ(reportOf([&] { discovered(); }),
            reportText("vexil.java.search takes registry, environment, folders and path, not: regedit"));
}

TEST_F(SearchAndFallbackTest, TheFirstAcceptableFallbackHomeWinsBeforeDiscovery) {
  addKit(fake, kWindows, "C:\\App\\runtime", "17.0.5");
  addKit(fake, kWindows, "C:\\App\\runtime-x86", "21", kX86);
  addKit(fake, kWindows, "runtime", "99");
  struct Case {
    std::string fallback;
    std::string minimum;
    std::string chosen;
    std::string source;
  } cases[] = {
      // The bundled runtime first.
      {"C:\\App\\runtime;C:\\reg\\jdk-11", "", "C:\\App\\runtime", "vexil.java.home.fallback"},
      // A missing home, and one of another machine, are passed.
      {"C:\\App\\gone; C:\\App\\runtime-x86 ;C:\\App\\runtime", "", "C:\\App\\runtime", "vexil.java.home.fallback"},
      // Below the minimum: the next home.
      {"C:\\App\\runtime;C:\\Users\\u\\.jdks\\jdk-21", "21", "C:\\Users\\u\\.jdks\\jdk-21", "vexil.java.home.fallback"},
      // A relative home is never looked for in the current directory.
      {"runtime;C:\\App\\runtime", "", "C:\\App\\runtime", "vexil.java.home.fallback"},
      // None acceptable: discovery decides.
      {"C:\\App\\runtime;C:\\App\\runtime-x86", "18", "C:\\path\\jdk-25", "PATH C:\\path\\jdk-25\\bin\\java.exe"},
      {";;", "", "C:\\path\\jdk-25", "PATH C:\\path\\jdk-25\\bin\\java.exe"},
  };
  for (const Case& c : cases) {
    properties.setJavaHomeFallback(c.fallback);
    properties.setMinJavaVersion(c.minimum);
    const Jvm chosen = JvmSelector(properties.getJvmSettings(), fake.platform).getMostAppropriateJvm();
    EXPECT_EQ(chosen.getJavaHomePath(), c.chosen) << c.fallback;
    EXPECT_EQ(chosen.getSource(), c.source) << c.fallback;
  }
  // The configured home pins the runtime: the fallback is not read.
  properties.setMinJavaVersion("");
  properties.setCustomJavaHomePath("C:\\reg\\jdk-11");
  properties.setJavaHomeFallback("C:\\App\\runtime");
  EXPECT_EQ(JvmSelector(properties.getJvmSettings(), fake.platform).getMostAppropriateJvm().getJvmPath(),
            "C:\\reg\\jdk-11\\bin\\server\\jvm.dll");
}

// The installation folder's own link to a runtime there (Debian's
// java-1.17.0-openjdk-amd64) is the same runtime: listed, and rejected, once.
TEST(RuntimeFolders, ALinkInTheInstallationFolderIsNoSecondRuntime) {
  FakePlatform fake(linuxConventions());
  addKit(fake, kLinux, "/usr/lib/jvm/java-17-openjdk-amd64", "17.0.15");
  fake.fileSystem.addLink("/usr/lib/jvm/java-1.17.0-openjdk-amd64", "/usr/lib/jvm/java-17-openjdk-amd64");
  LauncherProperties properties(fake.platform);
  properties.setMinJavaVersion("21");
  JvmSelector selector(properties.getJvmSettings(), fake.platform);
  std::vector<Jvm> jvms;
  selector.locateJvms(jvms);
  ASSERT_EQ(jvms.size(), 1u);
  EXPECT_EQ(jvms[0].getJavaHomePath(), "/usr/lib/jvm/java-17-openjdk-amd64");
  EXPECT_EQ(jvms[0].getSource(), "/usr/lib/jvm");
  selector.separateClientAndServerJvms(jvms);
  selector.determineVersions(jvms);
  EXPECT_EQ(selector.getRejections(),
            std::vector<std::string>{"17.0.15 sdk in /usr/lib/jvm/java-17-openjdk-amd64: too old, the minimum is 21"});
}

}  // namespace
