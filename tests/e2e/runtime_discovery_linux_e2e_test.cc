// Runtimes named by JAVA_HOME on Linux, next to the installations in
// /usr/lib/jvm: a home elsewhere made of the machine's real OpenJDK, and
// homes whose libjvm.so is an ELF file for another processor.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

namespace fs = std::filesystem;

/// The development kit that built the Java test applications.
const fs::path kRealHome = VEXIL_E2E_JDK_HOME;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
  }
  return result;
}

/// The start of an ELF file of class ELF_CLASS (1: 32-bit, 2: 64-bit) for MACHINE.
std::string elfHead(char elfClass, unsigned char machine) {
  std::string bytes = std::string(
                          "\x7F"
                          "ELF",
                          4) +
                      elfClass + '\x01' + std::string(58, '\0');
  bytes[18] = static_cast<char>(machine);
  return bytes;
}

TEST(RuntimeDiscoveryOnLinux, JavaHomeOutsideTheInstallationsIsFoundAndLaunched) {
  LaunchCase app;
  // The real runtime's folders, linked into a home of its own whose release
  // file names a version no installed runtime has.
  const std::string home = app.path("tools/jdk");
  app.writeFile("tools/jdk/release", "JAVA_VERSION=\"99.0.1\"\n");
  for (const fs::directory_entry& entry : fs::directory_iterator(kRealHome)) {
    if (entry.path().filename() == "release") continue;
    ASSERT_EQ(symlink(entry.path().c_str(), (home + "/" + entry.path().filename().string()).c_str()), 0);
  }
  app.setEnvironment("JAVA_HOME", home + "/");
  app.writeConfiguration(
      "vexil.main.class=Exiter\nvexil.min.java.version=99\nvexil.debug.file=${SELF_HOME}/debug.log\n"
      "-Djava.class.path=" VEXIL_E2E_JAVA_CLASSES "\n");
  LaunchResult result = app.run({"3"});
  EXPECT_EQ(result.exitCode, 3) << describe(result);
  EXPECT_EQ(result.out, "exiting with 3\n");
  const std::string chosen = lines(fileContents(app.path("debug.log"))).front();
  EXPECT_NE(chosen.find("m_jvmPath=" + home + "/lib/server/libjvm.so,m_javaBundle=sdk,"), std::string::npos) << chosen;
  EXPECT_NE(chosen.find(",m_javaHomePath=" + home + ",m_version=99.0.1,"), std::string::npos) << chosen;
}

TEST(RuntimeDiscoveryOnLinux, ALibjvmForAnotherProcessorIsRejectedForItsBits) {
  struct Case {
    std::string head;
    std::string found;
  } cases[] = {
      {elfHead(1, 3), "the runtime is 32-bit (x86) and this launcher is 64-bit (x64)"},
      {elfHead(2, 183), "the runtime is 64-bit (ARM64) and this launcher is 64-bit (x64)"},
  };
  for (const Case& c : cases) {
    LaunchCase app;
    const std::string home = app.path("other");
    app.writeFile("other/lib/server/libjvm.so", c.head);
    app.writeFile("other/release", "JAVA_VERSION=\"99\"\n");
    app.setEnvironment("JAVA_HOME", home);
    app.writeConfiguration("vexil.main.class=Exiter\nvexil.min.java.version=99\n");
    LaunchResult result = app.run();
    EXPECT_EQ(result.exitCode, 1) << describe(result);
    const std::vector<std::string> report = lines(result.out);
    ASSERT_FALSE(report.empty()) << describe(result);
    EXPECT_EQ(report.front(), reportText("No acceptable JVMs were found."));
    EXPECT_NE(std::find(report.begin(), report.end(), "99 jre in " + home + ": " + c.found), report.end())
        << describe(result);

    app.writeConfiguration("vexil.main.class=Exiter\nvexil.java.home.path=" + home + "\n");
    EXPECT_TRUE(app.showsReport(app.run(), {"A JVM could not be found for Java home: " + home,
                                            home + "/lib/server/libjvm.so: " + c.found + "."}));
  }
}

}  // namespace
