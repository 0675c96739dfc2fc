// The last of the JVM selection's messages, "No acceptable JVMs were found.",
// in each program. It depends on the runtimes installed: under Wine the test
// writes the registry itself; on Linux it relies on no installed runtime
// having a version of 999 or more.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

#ifdef _WIN32
const char kEol[] = "\r\n";
#else
const char kEol[] = "\n";
#endif

class NoAcceptableJvm : public testing::TestWithParam<Program> {
 protected:
  NoAcceptableJvm() : app(GetParam()) {}
  LaunchCase app;
};

TEST_P(NoAcceptableJvm, WhenEveryRuntimeIsBelowTheMinimum) {
#ifdef _WIN32
  // One runtime environment 1.8 with a client JVM (not a real library).
  app.writeFile("rt/bin/client/jvm.dll", "");
  std::string home = app.path("rt");
  importRegistry(kRegFileHeader + kRegWipeJavaSoft +
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8]\r\n"
                 "\"JavaHome\"=" +
                 regString(home) + "\r\n");
  // Without the bound the runtime is chosen, and its JVM file fails to load.
  app.writeConfiguration(std::string("vexil.main.class=app.Main") + kEol);
  EXPECT_TRUE(app.showsReportWithCause(app.run(), "Error while launching program with JVM.", "Cannot load "));
#endif
  app.writeConfiguration(std::string("vexil.main.class=app.Main") + kEol + "vexil.min.java.version=999" + kEol);
  // The report names each runtime seen on a line of its own after its first.
#ifdef _WIN32
  EXPECT_TRUE(app.showsReportLines(
      app.run(), {"No acceptable JVMs were found.", "1.8 jre in " + home + ": too old, the minimum is 999"}));
#else
  LaunchResult result = app.run();
  const std::string firstLine = reportText("No acceptable JVMs were found.") + "\n";
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_EQ(result.out.compare(0, firstLine.size(), firstLine), 0) << describe(result);
  EXPECT_NE(result.out.find(": too old, the minimum is 999\n"), std::string::npos) << describe(result);
#endif
}

#ifdef _WIN32
TEST_P(NoAcceptableJvm, WhenNoRuntimeIsRegistered) {
  importRegistry(kRegFileHeader + kRegWipeJavaSoft);
  for (const char* contents : {"", "# nothing but a comment\r\n", "vexil.main.class=app.Main\r\n"}) {
    SCOPED_TRACE(contents);
    app.writeConfiguration(contents);
    EXPECT_TRUE(app.showsReport(app.run(), "No acceptable JVMs were found."));
  }
}
#endif

INSTANTIATE_TEST_SUITE_P(Launchers, NoAcceptableJvm, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
