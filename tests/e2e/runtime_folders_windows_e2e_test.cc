// Runtimes that no installer registered, on Windows under Wine: homes of the
// test runtime (its jvm.dll, a release file with a version of its own) in the
// vendors' program folders, the per-user programs folder, the IDE's .jdks,
// scoop's apps\<app>\current, and one reached only through PATH; and a 32-bit
// one among them, which is never chosen. Scoop's "current" and a Gradle
// toolchain folder leading to the Program Files home are links that
// wine_links.sh made (Wine shows them as reparse points, as Windows shows
// junctions). In the registry binary: the folders are the Wine prefix's,
// which every discovery reads.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

#ifndef VEXIL_E2E_JVM_PROBE
#error VEXIL_E2E_JVM_PROBE must name the jvm_probe program
#endif

namespace {

std::string variable(const char* name) {
  char value[1024];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

/// The lines of OUTPUT, without their line ends.
std::vector<std::string> lines(const std::string& output) {
  std::vector<std::string> result;
  const std::string text = withLfLineEnds(output);
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
  }
  return result;
}

std::string field(const std::string& dump, const std::string& name) {
  size_t at = dump.find(name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 1;
  return dump.substr(at, dump.find(',', at) - at);
}

struct Home {
  std::string path;
  std::string version;
  std::string source;
};

class RuntimeFoldersOnWine : public ::testing::Test {
 protected:
  RuntimeFoldersOnWine() : probe(VEXIL_E2E_JVM_PROBE, "jvm_probe.exe") {
    const std::string programFiles = variable("ProgramFiles");
    const std::string programFiles32 = variable("ProgramFiles(x86)");
    const std::string local = variable("LOCALAPPDATA");
    const std::string profile = variable("USERPROFILE");
    homes = {
        {programFiles + "\\Eclipse Adoptium\\jdk-21.0.2.13-hotspot", "21.0.2", programFiles + "\\Eclipse Adoptium\\*"},
        {local + "\\Programs\\Microsoft\\jdk-17.0.9.8-hotspot", "17.0.9", local + "\\Programs\\Microsoft\\*"},
        {profile + "\\.jdks\\openjdk-22.0.1", "22.0.1", profile + "\\.jdks\\*"},
        {profile + "\\scoop\\apps\\temurin23-jdk\\current", "23.0.1", profile + "\\scoop\\apps\\*\\current"},
        {"C:\\VexilPath\\jdk-19", "19.0.2", "PATH C:\\VexilPath\\jdk-19\\bin\\java.exe"},
    };
    const std::string scoopTarget = profile + "\\scoop\\apps\\temurin23-jdk\\23.0.1";
    for (const Home& home : homes) addHome(home.path == homes[3].path ? scoopTarget : home.path, home.version, 64);
    gradleLink = profile + "\\.gradle\\jdks\\temurin-21";
    std::ofstream(homes[4].path + "\\bin\\java.exe").flush();
    wrongBits = programFiles32 + "\\Java\\jre-24";
    addHome(wrongBits, "24", 32);
    made = {homes[0].path, homes[1].path, profile + "\\.jdks", scoopTarget, "C:\\VexilPath", wrongBits};
    // PATH: an empty and a relative element before the runtime's bin; the system's folders after it.
    for (LaunchCase* program : {&probe, &app}) {
      program->setEnvironment("PATH", ";bin;C:\\VexilPath\\jdk-19\\bin;" + variable("PATH"));
      program->removeEnvironment("JAVA_HOME");
    }
  }

  ~RuntimeFoldersOnWine() override {
    std::error_code ignored;
    for (const std::string& path : made) std::filesystem::remove_all(path, ignored);
  }

  /// A home with the test runtime as bin\server\jvm.dll (its header marked
  /// 32-bit when BITS is 32), bin\javac.exe and a release file.
  static void addHome(const std::string& home, const std::string& version, int bits) {
    std::filesystem::create_directories(home + "\\bin\\server");
    std::string library = fileContents(VEXIL_E2E_FAKE_JVM);
    ASSERT_GT(library.size(), 0x40u);
    if (bits == 32) {
      // The Machine field: 16 bits at the PE header's offset (stored at 0x3C) plus 4.
      const size_t offset = static_cast<unsigned char>(library[0x3C]) | static_cast<unsigned char>(library[0x3D]) << 8;
      library[offset + 4] = 0x4C;
      library[offset + 5] = 0x01;
    }
    std::ofstream(home + "\\bin\\server\\jvm.dll", std::ios::binary) << library;
    std::ofstream(home + "\\bin\\javac.exe").flush();
    std::ofstream(home + "\\release") << "JAVA_VERSION=\"" << version << "\"\n";
  }

  /// Whether PATH is a link, as Wine shows the links that wine_links.sh made.
  static bool isLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

  std::vector<Home> homes;
  std::string gradleLink;
  std::string wrongBits;
  std::vector<std::string> made;
  LaunchCase probe;
  LaunchCase app;
};

TEST_F(RuntimeFoldersOnWine, EachPlaceIsFoundWithItsSourceAndThe32BitOneIsRejected) {
  ASSERT_TRUE(isLink(homes[3].path)) << homes[3].path << " is no link: wine_links.sh makes it (e2e.wine_prefix.links)";
  ASSERT_TRUE(isLink(gradleLink)) << gradleLink << " is no link: wine_links.sh makes it (e2e.wine_prefix.links)";
  LaunchResult result = probe.run({"--list"});
  ASSERT_EQ(result.exitCode, 0) << describe(result);
  std::vector<std::string> found;
  std::vector<std::string> rejected;
  const std::vector<std::string> all = lines(result.out);
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    if (all[i].rfind("discovered[", 0) == 0) {
      found.push_back(field(all[i], "m_version") + " " + field(all[i], "m_javaHomePath") + " <- " +
                      all[i + 1].substr(all[i + 1].find('=') + 1));
    }
  }
  for (const std::string& line : all) {
    if (line.rfind("rejected=", 0) == 0) rejected.push_back(line.substr(9));
  }
  std::vector<std::string> expected;
  for (size_t i : {0, 1, 2, 3}) expected.push_back(homes[i].version + " " + homes[i].path + " <- " + homes[i].source);
  // The Gradle folder's link leads to the Program Files home, found before it: no record of its own.
  // The 32-bit one lies in Program Files (x86), read after Program Files and before the user's folders.
  expected.insert(expected.begin() + 1,
                  "24 " + wrongBits + " <- " + wrongBits.substr(0, wrongBits.rfind('\\')) + "\\*");
  expected.push_back(homes[4].version + " " + homes[4].path + " <- " + homes[4].source);
  EXPECT_EQ(found, expected) << result.out;
  EXPECT_EQ(rejected, std::vector<std::string>{"24 sdk in " + wrongBits +
                                               ": the runtime is 32-bit (x86) and this launcher is 64-bit (x64)"});
}

TEST_F(RuntimeFoldersOnWine, APinnedVersionLaunchesEachPlacesRuntime) {
  app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
  app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  for (const Home& home : homes) {
    SCOPED_TRACE(home.path);
    std::filesystem::remove(app.path("record.txt"));
    std::filesystem::remove(app.path("debug.log"));
    app.writeConfiguration(
        "vexil.main.class=Main\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n"
        "vexil.min.java.version=" +
        home.version + "\r\nvexil.max.java.version=" + home.version + "\r\n");
    LaunchResult result = app.run({"arg"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_NE(fileContents(app.path("record.txt")).find("CallStaticVoidMethod Main with 1 arguments\n"),
              std::string::npos)
        << "main did not run";
    const std::string log = fileContents(app.path("debug.log"));
    EXPECT_EQ(field(log.substr(0, log.find("\r\n")), "m_javaHomePath"), home.path);
  }
  // The 32-bit runtime pinned: never chosen, and the report says why (after
  // the others, too old).
  app.writeConfiguration("vexil.main.class=Main\r\nvexil.min.java.version=24\r\n");
  const LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_EQ(result.out.rfind(consoleLine(reportText("No acceptable JVMs were found.")), 0), 0u) << describe(result);
  EXPECT_NE(result.out.find(consoleLine("24 sdk in " + wrongBits +
                                        ": the runtime is 32-bit (x86) and this launcher is 64-bit (x64)")),
            std::string::npos)
      << describe(result);
}

TEST_F(RuntimeFoldersOnWine, TheSearchSettingAndAFallbackHomeDecide) {
  app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
  struct Case {
    std::string settings;
    std::string home;
  } cases[] = {
      {"", homes[3].path},                                 // the newest
      {"vexil.java.search=path\r\n", homes[4].path},       // PATH alone
      {"vexil.java.search=registry,environment\r\n", ""},  // nothing there
      // The 32-bit home and a missing one are passed; the next home is taken before discovery's newer ones.
      {"vexil.java.home.fallback=" + wrongBits + ";${SELF_HOME}\\runtime;" + homes[1].path + "\r\n", homes[1].path},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(app.path("debug.log"));
    app.writeConfiguration("vexil.main.class=Main\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n" + c.settings);
    LaunchResult result = app.run();
    if (c.home.empty()) {
      EXPECT_EQ(result.exitCode, 1) << c.settings << describe(result);
      continue;
    }
    EXPECT_EQ(result.exitCode, 0) << c.settings << describe(result);
    const std::string log = fileContents(app.path("debug.log"));
    EXPECT_EQ(field(log.substr(0, log.find("\r\n")), "m_javaHomePath"), c.home) << c.settings;
  }
}

}  // namespace
