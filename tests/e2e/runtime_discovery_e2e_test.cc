// Runtimes registered the way today's installers register them, read from
// the Wine registry after `reg import`: every installer's key shape in the
// machine's 64-bit and 32-bit views and in the user's keys, homes on the
// prefix's drive C: holding the test runtime as a 64-bit jvm.dll, and a copy
// of it marked 32-bit (the Machine field of its PE header), which never runs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

#ifndef VEXIL_E2E_JVM_PROBE
#error VEXIL_E2E_JVM_PROBE must name the jvm_probe program
#endif

namespace {

const std::string kRuntimes = "C:\\VexilRuntimes";

/// Where an installer's keys lie, as .reg files name them.
const char* const kLocations[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\",               // a 64-bit installer, for every user
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\",  // a 32-bit installer: the machine's 32-bit view
    "HKEY_CURRENT_USER\\Software\\",                // a per-user install (one tree for both views)
};

/// One installer's key below SOFTWARE, the value naming the home, and the
/// version the record gets from the key (the homes have no release file).
struct Shape {
  const char* key;
  const char* valueName;
  const char* version;
};
const Shape kShapes[] = {
    {"JavaSoft\\JDK\\17", "JavaHome", "17"},
    {"JavaSoft\\JRE\\11", "JavaHome", "11"},
    {"Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "Path", "17.0.9.9"},
    {"Eclipse Adoptium\\JRE\\21.0.1.12\\hotspot\\EXE", "Path", "21.0.1.12"},
    {"AdoptOpenJDK\\JDK\\11.0.11.9\\openj9\\MSI", "Path", "11.0.11.9"},
    {"Eclipse Foundation\\JDK\\16.0.2.7\\hotspot\\MSI", "Path", "16.0.2.7"},
    {"Microsoft\\JDK\\21.0.2.13\\hotspot\\MSI", "Path", "21.0.2.13"},
    {"Semeru\\JRE\\17.0.8.1\\openj9\\MSI", "Path", "17.0.8.1"},
    {"SapMachine\\JDK\\21", "JavaHome", "21"},
    {"Azul Systems\\Zulu\\zulu-17", "InstallationPath", "17"},
    {"Azul Systems\\Zulu 32-bit\\zulu-8", "InstallationPath", "8"},
    {"BellSoft\\Liberica\\17", "InstallationPath", "17"},
};

/// Removes every tree the shapes write, in each location. Of Microsoft's
/// tree only the JDK part: the rest belongs to Wine.
std::string wipeAll() {
  std::string text = kRegFileHeader;
  for (const char* location : kLocations) {
    for (const char* tree : {"JavaSoft", "Eclipse Adoptium", "AdoptOpenJDK", "Eclipse Foundation", "Microsoft\\JDK",
                             "Semeru", "SapMachine", "Azul Systems", "BellSoft"}) {
      text += "[-" + std::string(location) + tree + "]\r\n\r\n";
    }
  }
  return text;
}

std::string key(const std::string& location, const std::string& path, const std::string& valueName,
                const std::string& home) {
  return "[" + location + path + "]\r\n\"" + valueName + "\"=" + regString(home) + "\r\n\r\n";
}

/// The lines of OUTPUT that begin with PREFIX, without it.
std::vector<std::string> linesAfter(const std::string& output, const std::string& prefix) {
  std::vector<std::string> lines;
  std::string text = withLfLineEnds(output);
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.compare(start, prefix.size(), prefix) == 0) {
      lines.push_back(text.substr(start + prefix.size(), end - start - prefix.size()));
    }
  }
  return lines;
}

/// The value of FIELD in a record's dump.
std::string field(const std::string& dump, const std::string& name) {
  size_t at = dump.find(name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 1;
  return dump.substr(at, dump.find(',', at) - at);
}

std::string lowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string wrongBits(const std::string& line) {
  return line + ": the runtime is 32-bit (x86) and this launcher is 64-bit (x64)";
}

class RuntimeDiscoveryOnWine : public ::testing::Test {
 protected:
  RuntimeDiscoveryOnWine() : probe(VEXIL_E2E_JVM_PROBE, "jvm_probe.exe") {
    probe.removeEnvironment("JAVA_HOME");
    importRegistry(wipeAll());
  }

  ~RuntimeDiscoveryOnWine() override {
    importRegistry(wipeAll());
    std::error_code ignored;
    std::filesystem::remove_all(kRuntimes, ignored);
  }

  /// A home C:\VexilRuntimes\NAME with the test runtime as bin\server\jvm.dll,
  /// marked 32-bit when BITS is 32, and bin\javac.exe for a development kit.
  std::string addHome(const std::string& name, int bits = 64, bool sdk = false) {
    const std::string home = kRuntimes + "\\" + name;
    std::filesystem::create_directories(home + "\\bin\\server");
    std::string library = fileContents(VEXIL_E2E_FAKE_JVM);
    EXPECT_GT(library.size(), 0x40u);
    if (bits == 32 && library.size() > 0x40) {
      // The Machine field: 16 bits at the PE header's offset (stored at 0x3C) plus 4.
      const size_t offset = static_cast<unsigned char>(library[0x3C]) | static_cast<unsigned char>(library[0x3D]) << 8;
      library[offset + 4] = 0x4C;
      library[offset + 5] = 0x01;
    }
    std::ofstream(home + "\\bin\\server\\jvm.dll", std::ios::binary) << library;
    if (sdk) std::ofstream(home + "\\bin\\javac.exe").flush();
    return home;
  }

  /// jvm_probe --list with SETTINGS.
  LaunchResult list(const std::vector<std::string>& settings = {}) {
    std::vector<std::string> arguments = {"--list"};
    arguments.insert(arguments.end(), settings.begin(), settings.end());
    return probe.run(arguments);
  }

  /// Launches the console launcher with a debug file; its chosen JVM line.
  std::string launchAndLogChosenJvm(LaunchCase& app) {
    app.removeEnvironment("JAVA_HOME");
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.writeConfiguration("vexil.main.class=Main\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n");
    LaunchResult result = app.run({"arg"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_NE(fileContents(app.path("record.txt")).find("CallStaticVoidMethod Main with 1 arguments\n"),
              std::string::npos)
        << "main did not run";
    const std::string log = fileContents(app.path("debug.log"));
    return log.substr(0, log.find("\r\n"));
  }

  LaunchCase probe;
};

TEST_F(RuntimeDiscoveryOnWine, FindsEachInstallersKeysInEachLocation) {
  std::vector<std::string> homes;
  for (size_t i = 0; i < std::size(kShapes); ++i) homes.push_back(addHome("shape" + std::to_string(i)));
  for (const char* location : kLocations) {
    std::string reg = kRegFileHeader;
    for (size_t i = 0; i < std::size(kShapes); ++i)
      reg += key(location, kShapes[i].key, kShapes[i].valueName, homes[i]);
    importRegistry(wipeAll());
    importRegistry(reg);
    LaunchResult result = list();
    ASSERT_EQ(result.exitCode, 0) << location << "\n" << describe(result);
    std::vector<std::string> found;
    for (const std::string& dump : linesAfter(result.out, "discovered[")) {
      found.push_back(field(dump, "m_version") + " " + field(dump, "m_javaHomePath"));
    }
    std::vector<std::string> expected;
    for (size_t i = 0; i < std::size(kShapes); ++i)
      expected.push_back(std::string(kShapes[i].version) + " " + homes[i]);
    EXPECT_EQ(found, expected) << location;
  }
}

TEST_F(RuntimeDiscoveryOnWine, LaunchesEachInstallersRuntime) {
  for (size_t i = 0; i < std::size(kShapes); ++i) {
    SCOPED_TRACE(kShapes[i].key);
    const std::string home = addHome("shape" + std::to_string(i));
    const char* location = kLocations[i % std::size(kLocations)];
    importRegistry(wipeAll());
    importRegistry(kRegFileHeader + key(location, kShapes[i].key, kShapes[i].valueName, home + "\\"));
    LaunchCase app;
    const std::string chosen = launchAndLogChosenJvm(app);
    EXPECT_EQ(field(chosen, "The chosen JVM: m_jvmPath"), home + "\\bin\\server\\jvm.dll") << chosen;
    EXPECT_EQ(field(chosen, "m_javaHomePath"), home) << chosen;
  }
}

TEST_F(RuntimeDiscoveryOnWine, TwoSourcesNamingOneHomeGiveOneRecord) {
  const std::string home = addHome("temurin-17", 64, true);
  importRegistry(kRegFileHeader +
                 key(kLocations[0], "Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", "Path", home + "\\") +
                 key(kLocations[0], "JavaSoft\\JDK\\17", "JavaHome", home) +
                 key(kLocations[2], "JavaSoft\\JDK\\17", "JavaHome", home));
  probe.setEnvironment("JAVA_HOME", home);
  LaunchResult result = list();
  ASSERT_EQ(result.exitCode, 0) << describe(result);
  std::vector<std::string> discovered = linesAfter(result.out, "discovered[");
  ASSERT_EQ(discovered.size(), 1u) << describe(result);
  EXPECT_EQ(field(discovered[0], "m_javaHomePath"), home);
  EXPECT_EQ(field(discovered[0], "m_javaBundle"), "sdk");
}

TEST_F(RuntimeDiscoveryOnWine, A32BitRuntimeOfAHigherVersionLosesToA64BitOne) {
  const std::string home64 = addHome("jdk-17", 64, true);
  const std::string home32 = addHome("jre-21-x86", 32);
  importRegistry(kRegFileHeader + key(kLocations[0], "JavaSoft\\JDK\\17", "JavaHome", home64) +
                 key(kLocations[1], "Eclipse Adoptium\\JRE\\21.0.1.12\\hotspot\\MSI", "Path", home32));
  LaunchCase app;
  EXPECT_EQ(field(launchAndLogChosenJvm(app), "m_javaHomePath"), home64);
  // The probe says why the other one lost.
  EXPECT_EQ(linesAfter(list().out, "rejected="), std::vector<std::string>{wrongBits("21.0.1.12 jre in " + home32)});
}

TEST_F(RuntimeDiscoveryOnWine, OnlyA32BitRuntimeIsReportedWithItsReason) {
  const std::string home32 = addHome("jdk-21-x86", 32, true);
  importRegistry(kRegFileHeader + key(kLocations[1], "JavaSoft\\JDK\\21", "JavaHome", home32));
  const std::string verdict = wrongBits("21 sdk in " + home32);
  for (Program program : launcherPrograms()) {
    SCOPED_TRACE(programName(program));
    LaunchCase app(program);
    app.removeEnvironment("JAVA_HOME");
    app.writeConfiguration("vexil.main.class=Main\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n");
    LaunchResult result = app.run();
    EXPECT_TRUE(app.showsReport(result, {"No acceptable JVMs were found.", verdict}));
    EXPECT_EQ(fileContents(app.path("debug.log")), verdict + "\r\n");
  }
  LaunchResult result = list();
  EXPECT_EQ(linesAfter(result.out, "rejected="), std::vector<std::string>{verdict});
}

TEST_F(RuntimeDiscoveryOnWine, AConfiguredRuntimeOfTheWrongMachineIsReported) {
  const std::string home32 = addHome("jre-8-x86", 32);
  const std::string library = home32 + "\\bin\\server\\jvm.dll";
  struct Case {
    std::string setting;
    std::vector<std::string> report;
  } cases[] = {
      {"vexil.jvm.path=" + library,
       {"This JVM file could not be found: " + lowerCase(library),  // as the setting stores it
        "It is there, but the runtime is 32-bit (x86) and this launcher is 64-bit (x64)."}},
      {"vexil.java.home.path=" + home32,
       {"A JVM could not be found for Java home: " + home32,
        library + ": the runtime is 32-bit (x86) and this launcher is 64-bit (x64)."}},
  };
  for (const Case& c : cases) {
    LaunchCase app;
    app.writeConfiguration("vexil.main.class=Main\r\n" + c.setting + "\r\n");
    EXPECT_TRUE(app.showsReport(app.run(), c.report)) << c.setting;
  }
}

// An old installer's development kit with a Java 9+ layout: no jre folder,
// the JVM in bin\server.
TEST_F(RuntimeDiscoveryOnWine, AnOldTreesDevelopmentKitWithoutJreFolderIsFoundInBin) {
  const std::string home = addHome("jdk-10", 64, true);
  importRegistry(kRegFileHeader + key(kLocations[0], "JavaSoft\\Java Development Kit\\10", "JavaHome", home));
  LaunchCase app;
  const std::string chosen = launchAndLogChosenJvm(app);
  EXPECT_EQ(field(chosen, "The chosen JVM: m_jvmPath"), home + "\\bin\\server\\jvm.dll") << chosen;
  EXPECT_EQ(field(chosen, "m_jrePath"), home + "\\bin\\") << chosen;
}

}  // namespace
