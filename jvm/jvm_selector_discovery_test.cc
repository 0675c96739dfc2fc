// The selection over today's installers' runtimes: the version order, the
// machine check, and what the report says about each runtime turned down.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "config/launcher_properties.h"
#include "jvm/jvm_selector.h"
#include "tests/support/fake_platform.h"
#include "tests/support/image_headers.h"
#include "tests/support/report_capture.h"

namespace {

/// The selection a launch with PROPERTIES runs.
JvmSelector selectorOver(const LauncherProperties& properties) {
  return JvmSelector(properties.getJvmSettings(), properties.getPlatform());
}

const std::string kJreTree = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\";
const std::string kJdkTree = "SOFTWARE\\JavaSoft\\Java Development Kit\\";
const std::string kX64 = peImageHead(0x8664);
const std::string kX86 = peImageHead(0x014C);
const std::string kArm64 = peImageHead(0xAA64);
const char kWrongBits[] = "the runtime is 32-bit (x86) and this launcher is 64-bit (x64)";

class SelectionDiscoveryTest : public ::testing::Test {
 protected:
  /// A runtime environment in the old tree, with a server JVM of the given header.
  void addOldJre(const std::string& version, const std::string& home, const std::string& library = kX64) {
    fake.registry.setValue(kJreTree + version, "JavaHome", home);
    fake.fileSystem.addFile(home + "\\bin\\server\\jvm.dll", library);
  }
  /// A home of today's layout (bin\server\jvm.dll; bin\javac.exe for a kit)
  /// named by KEY below SOFTWARE of the machine's 64-bit view as WRITTEN_HOME.
  void addInstalled(const std::string& key, const std::string& valueName, const std::string& writtenHome,
                    const std::string& library = kX64, bool sdk = true) {
    fake.registry.setValueIn(RegistryRoot::LocalMachine, RegistryView::Bits64, "SOFTWARE\\" + key, valueName,
                             writtenHome);
    const std::string home = writtenHome.substr(0, writtenHome.find_last_not_of('\\') + 1);
    fake.fileSystem.addDirectory(home);
    fake.fileSystem.addFile(home + "\\bin\\server\\jvm.dll", library);
    if (sdk) fake.fileSystem.addFile(home + "\\bin\\javac.exe");
  }

  std::string chosenHome() { return selectorOver(properties).getMostAppropriateJvm().getJavaHomePath(); }

  FakePlatform fake;
  LauncherProperties properties{fake.platform};
};

// Pieces compare as numbers whatever their length, a pre-release ranks below
// its release, and the bounds follow the same order.
TEST_F(SelectionDiscoveryTest, RanksAndBoundsVersionsInTheVersionOrder) {
  struct Row {
    std::vector<std::string> installed;
    std::string min;
    std::string max;
    std::string chosen;  // the version, or the report
  } rows[] = {
      {{"1.8.0_1000", "1.8.0_999"}, "", "", "1.8.0_1000"},
      {{"1.8.0_999", "1.8.0_1000"}, "", "", "1.8.0_1000"},
      {{"17", "17-ea"}, "", "", "17"},
      {{"17-ea", "17.0.1", "17"}, "", "", "17.0.1"},
      {{"9-ea", "8"}, "", "", "9-ea"},
      {{"9-ea"}, "10", "", "No acceptable JVMs were found.\n9-ea jre in C:\\j0: too old, the minimum is 10"},
      {{"17-ea", "17.0.1"}, "", "17", "17-ea"},
      {{"1.4.2_05", "1.4.2_1000"}, "1.4.2_999", "", "1.4.2_1000"},
  };
  for (const Row& row : rows) {
    FakePlatform machine;
    LauncherProperties settings(machine.platform);
    for (size_t i = 0; i < row.installed.size(); ++i) {
      const std::string home = "C:\\j" + std::to_string(i);
      machine.registry.setValue(kJreTree + row.installed[i], "JavaHome", home);
      machine.fileSystem.addFile(home + "\\bin\\server\\jvm.dll", kX64);
    }
    settings.setMinJavaVersion(row.min);
    settings.setMaxJavaVersion(row.max);
    std::string chosen;
    std::string report = reportOf([&] { chosen = selectorOver(settings).getMostAppropriateJvm().getVersion(); });
    EXPECT_EQ(report == "<no report>" ? chosen : report, report == "<no report>" ? row.chosen : reportText(row.chosen))
        << row.installed.front() << " min " << row.min << " max " << row.max;
  }
}

// Each reason a runtime is turned down, alone, as the report's second line.
TEST_F(SelectionDiscoveryTest, SaysWhyEachRuntimeWasTurnedDown) {
  struct Row {
    std::function<void(FakePlatform&, LauncherProperties&)> setUp;
    std::string line;
  } rows[] = {
      {[](FakePlatform& m, LauncherProperties& p) {
         m.registry.setValue(kJreTree + "1.8", "JavaHome", "C:\\old");
         m.fileSystem.addFile("C:\\old\\bin\\server\\jvm.dll");
         p.setMinJavaVersion("11");
       },
       "1.8 jre in C:\\old: too old, the minimum is 11"},
      {[](FakePlatform& m, LauncherProperties& p) {
         m.registry.setValue(kJreTree + "21", "JavaHome", "C:\\new");
         m.fileSystem.addFile("C:\\new\\bin\\server\\jvm.dll");
         p.setMaxJavaVersion("17.99");
       },
       "21 jre in C:\\new: too new, the maximum is 17.99"},
      {[](FakePlatform& m, LauncherProperties&) {
         m.registry.setValue(kJreTree + "1.6", "JavaHome", "C:\\bare");
         m.fileSystem.addFile("C:\\bare\\bin\\java.exe");
       },
       "1.6 jre in C:\\bare: no client or server JVM library in C:\\bare\\bin\\"},
      {[](FakePlatform& m, LauncherProperties&) {
         m.registry.setValue(kJreTree + "1.8", "JavaHome", "C:\\x86");
         m.fileSystem.addFile("C:\\x86\\bin\\client\\jvm.dll", kX86);
       },
       std::string("1.8 jre in C:\\x86: ") + kWrongBits},
      {[](FakePlatform& m, LauncherProperties&) {
         m.registry.setValue(kJreTree + "21", "JavaHome", "C:\\arm");
         m.fileSystem.addFile("C:\\arm\\bin\\server\\jvm.dll", kArm64);
       },
       "21 jre in C:\\arm: the runtime is 64-bit (ARM64) and this launcher is 64-bit (x64)"},
      {[](FakePlatform& m, LauncherProperties& p) {
         m.registry.setValue(kJreTree + "1.8", "JavaHome", "C:\\jre");
         m.fileSystem.addFile("C:\\jre\\bin\\server\\jvm.dll");
         p.setCustomJavaBundle("sdk");
       },
       "1.8 jre in C:\\jre: not a development kit"},
      {[](FakePlatform& m, LauncherProperties& p) {
         m.registry.setValue(kJdkTree + "1.8", "JavaHome", "C:\\jdk");
         m.fileSystem.addFile("C:\\jdk\\jre\\bin\\server\\jvm.dll");
         p.setCustomJavaBundle("jre");
       },
       "1.8 sdk in C:\\jdk: not a runtime environment"},
      {[](FakePlatform& m, LauncherProperties& p) {
         m.registry.setValue(kJreTree + "1.5", "JavaHome", "C:\\jre");
         m.fileSystem.addFile("C:\\jre\\bin\\client\\jvm.dll");
         p.setCustomBinJvmDir("server");
       },
       "1.5 jre in C:\\jre: not the server JVM"},
  };
  for (const Row& row : rows) {
    FakePlatform machine;
    LauncherProperties settings(machine.platform);
    row.setUp(machine, settings);
    EXPECT_EQ(reportOf([&] { selectorOver(settings).getMostAppropriateJvm(); }),
              reportText("No acceptable JVMs were found.\n" + row.line));
  }
}

TEST_F(SelectionDiscoveryTest, TodaysInstallersJoinTheOldTreesInOneRanking) {
  addOldJre("1.8.0_392", "C:\\Java\\jre8");
  addInstalled("Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "Path", "C:\\Temurin\\jdk-17\\");
  EXPECT_EQ(chosenHome(), "C:\\Temurin\\jdk-17");
  const Jvm chosen = selectorOver(properties).getMostAppropriateJvm();
  EXPECT_EQ(chosen.toString(),
            "m_jvmPath=C:\\Temurin\\jdk-17\\bin\\server\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=server,"
            "m_comparableVersion=017.000.009.009.B1.D1.,m_javaHomePath=C:\\Temurin\\jdk-17,m_version=17.0.9.9,"
            "m_jrePath=C:\\Temurin\\jdk-17\\bin\\,m_acceptable=true");
  // JAVA_HOME is one more source; a higher version there wins.
  fake.fileSystem.addDirectory("C:\\tools\\jdk-21");
  fake.fileSystem.addFile("C:\\tools\\jdk-21\\bin\\server\\jvm.dll", kX64);
  fake.fileSystem.addFile("C:\\tools\\jdk-21\\release", "JAVA_VERSION=\"21.0.2\"\n");
  fake.environment.set("JAVA_HOME", "C:\\tools\\jdk-21");
  EXPECT_EQ(chosenHome(), "C:\\tools\\jdk-21");
}

TEST_F(SelectionDiscoveryTest, AHomeNamedTwiceIsOneRecordAndTheOldTreesKeepTheirs) {
  // The old tree lists one runtime twice, as before.
  addOldJre("1.4", "C:\\Java\\j2re1.4.2_05");
  addOldJre("1.4.2_05", "C:\\Java\\j2re1.4.2_05");
  fake.fileSystem.addDirectory("C:\\Java\\j2re1.4.2_05");
  fake.registry.setValueIn(RegistryRoot::CurrentUser, RegistryView::Bits64, "SOFTWARE\\JavaSoft\\JRE\\1.4", "JavaHome",
                           "c:\\java\\J2RE1.4.2_05\\");
  // Today's keys in both views and JAVA_HOME name one home; the JavaSoft key is read first.
  addInstalled("Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "Path", "C:\\Temurin\\jdk-17\\");
  fake.registry.setValueIn(RegistryRoot::LocalMachine, RegistryView::Bits32, "SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome",
                           "C:\\Temurin\\jdk-17");
  fake.environment.set("JAVA_HOME", "C:\\TEMURIN\\jdk-17");
  std::vector<Jvm> jvms;
  selectorOver(properties).locateJvms(jvms);
  std::vector<std::string> found;
  for (const Jvm& jvm : jvms) found.push_back(jvm.getVersion() + " " + jvm.getJavaHomePath());
  EXPECT_EQ(found, (std::vector<std::string>{"1.4 C:\\Java\\j2re1.4.2_05", "1.4.2_05 C:\\Java\\j2re1.4.2_05",
                                             "17 C:\\Temurin\\jdk-17"}));
}

TEST_F(SelectionDiscoveryTest, A32BitRuntimeOfAHigherVersionLosesToA64BitOne) {
  addInstalled("JavaSoft\\JDK\\17", "JavaHome", "C:\\jdk17");
  addInstalled("Eclipse Adoptium\\JRE\\21.0.1.12\\hotspot\\MSI", "Path", "C:\\jre21-x86", kX86, false);
  EXPECT_EQ(chosenHome(), "C:\\jdk17");
  JvmSelector selector = selectorOver(properties);
  std::vector<Jvm> jvms;
  selector.locateJvms(jvms);
  selector.separateClientAndServerJvms(jvms);
  selector.determineVersions(jvms);
  EXPECT_EQ(selector.getRejections(),
            std::vector<std::string>{"21.0.1.12 jre in C:\\jre21-x86: " + std::string(kWrongBits)});
}

TEST_F(SelectionDiscoveryTest, AConfiguredLibraryOfTheWrongMachineIsReported) {
  fake.fileSystem.addFile("C:\\x86\\bin\\client\\jvm.dll", kX86);
  fake.fileSystem.addFile("c:\\x86\\bin\\client\\jvm.dll", kX86);  // as the setting stores it
  fake.fileSystem.addFile("C:\\x86\\bin\\server\\jvm.dll", kX86);
  fake.fileSystem.addFile("C:\\mixed\\bin\\client\\jvm.dll", kX86);
  fake.fileSystem.addFile("C:\\mixed\\jre\\bin\\server\\jvm.dll", kX64);
  struct Row {
    std::function<void(LauncherProperties&)> settings;
    std::string result;  // the chosen library, or the report
  } rows[] = {
      {[](LauncherProperties& p) { p.setCustomJvmPath("C:\\x86\\bin\\client\\jvm.dll"); },
       reportText("This JVM file could not be found: c:\\x86\\bin\\client\\jvm.dll\n"
                  "It is there, but " +
                  std::string(kWrongBits) + ".")},
      {[](LauncherProperties& p) { p.setCustomJavaHomePath("C:\\x86"); },
       reportText("A JVM could not be found for Java home: C:\\x86\n"
                  "C:\\x86\\bin\\client\\jvm.dll: " +
                  std::string(kWrongBits) + ".\nC:\\x86\\bin\\server\\jvm.dll: " + kWrongBits + ".")},
      {[](LauncherProperties& p) {
         p.setCustomJavaHomePath("C:\\x86");
         p.setCustomBinJvmDir("server");
       },
       reportText("The server JVM could not be found for Java home: C:\\x86\n"
                  "C:\\x86\\bin\\server\\jvm.dll: " +
                  std::string(kWrongBits) + ".")},
      // The next library that is for this machine is taken.
      {[](LauncherProperties& p) { p.setCustomJavaHomePath("C:\\mixed"); }, "C:\\mixed\\jre\\bin\\server\\jvm.dll"},
  };
  for (const Row& row : rows) {
    LauncherProperties settings(fake.platform);
    row.settings(settings);
    std::string path;
    std::string report = reportOf([&] { path = selectorOver(settings).getMostAppropriateJvm().getJvmPath(); });
    EXPECT_EQ(report == "<no report>" ? path : report, row.result);
  }
}

// A development kit of Java 9 or later listed in the old tree: no jre folder.
TEST_F(SelectionDiscoveryTest, AnOldTreesKitWithoutJreFolderIsProbedInBin) {
  fake.registry.setValue(kJdkTree + "10", "JavaHome", "C:\\jdk10");
  fake.fileSystem.addFile("C:\\jdk10\\bin\\server\\jvm.dll", kX64);
  // With a jre folder, the kit's JVM is looked for there only, as before.
  fake.registry.setValue(kJdkTree + "1.8", "JavaHome", "C:\\jdk8");
  fake.fileSystem.addDirectory("C:\\jdk8\\jre");
  fake.fileSystem.addFile("C:\\jdk8\\bin\\server\\jvm.dll", kX64);
  EXPECT_EQ(selectorOver(properties).getMostAppropriateJvm().toString(),
            "m_jvmPath=C:\\jdk10\\bin\\server\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=server,"
            "m_comparableVersion=010.000.000.000.B1.D1.,m_javaHomePath=C:\\jdk10,m_version=10,"
            "m_jrePath=C:\\jdk10\\bin\\,m_acceptable=true");
  properties.setMaxJavaVersion("9");
  EXPECT_EQ(reportOf([&] { selectorOver(properties).getMostAppropriateJvm(); }),
            reportText("No acceptable JVMs were found.\n1.8 sdk in C:\\jdk8: no client or server JVM library in "
                       "C:\\jdk8\\jre\\bin\\\n10 sdk in C:\\jdk10: too new, the maximum is 9"));
}

// A probed layout with both JVMs: the server record made from the client
// record keeps the directory where they were found.
TEST_F(SelectionDiscoveryTest, BothJvmsOfAProbedLayoutKeepTheirDirectory) {
  for (const bool oldTree : {true, false}) {
    FakePlatform machine;
    if (oldTree) {
      machine.registry.setValue(kJdkTree + "10", "JavaHome", "C:\\jdk10");
    } else {
      machine.registry.setValueIn(RegistryRoot::CurrentUser, RegistryView::Bits64, "SOFTWARE\\JavaSoft\\JDK\\10",
                                  "JavaHome", "C:\\jdk10");
      machine.fileSystem.addDirectory("C:\\jdk10");
      machine.fileSystem.addFile("C:\\jdk10\\bin\\javac.exe");
    }
    machine.fileSystem.addFile("C:\\jdk10\\bin\\client\\jvm.dll", kX64);
    machine.fileSystem.addFile("C:\\jdk10\\bin\\server\\jvm.dll", kX64);
    LauncherProperties settings(machine.platform);
    EXPECT_EQ(selectorOver(settings).getMostAppropriateJvm().getJvmPath(), "C:\\jdk10\\bin\\client\\jvm.dll");
    settings.setCustomBinJvmDir("server");
    EXPECT_EQ(selectorOver(settings).getMostAppropriateJvm().getJvmPath(), "C:\\jdk10\\bin\\server\\jvm.dll")
        << (oldTree ? "old tree" : "JavaSoft\\JDK");
  }
}

TEST_F(SelectionDiscoveryTest, TheDebugFileGetsOneLinePerRuntimeTurnedDown) {
  char path[] = "/tmp/vexil-selection-XXXXXX";
  const int descriptor = mkstemp(path);
  ASSERT_GE(descriptor, 0);
  close(descriptor);
  addOldJre("1.8", "C:\\jre8", kX86);
  addOldJre("1.6", "C:\\jre6");
  properties.setMinJavaVersion("1.7");
  properties.setDebugFile(path);
  EXPECT_EQ(reportOf([&] { selectorOver(properties).getMostAppropriateJvm(); }),
            reportText("No acceptable JVMs were found.\n1.8 jre in C:\\jre8: " + std::string(kWrongBits) +
                       "\n1.6 jre in C:\\jre6: too old, the minimum is 1.7"));
  std::ifstream file(path);
  std::stringstream contents;
  contents << file.rdbuf();
  EXPECT_EQ(contents.str(),
            "1.8 jre in C:\\jre8: " + std::string(kWrongBits) + "\n1.6 jre in C:\\jre6: too old, the minimum is 1.7\n");
  std::remove(path);
}

}  // namespace
