// The last of the JVM selection's messages, "No acceptable JVMs were found.",
// in each program. It depends on the runtimes installed: under Wine the test
// writes the registry itself; on Linux it relies on no installed runtime
// having a version of 999 or more.

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  EXPECT_TRUE(app.showsReport(
      app.run(), {"No acceptable JVMs were found.", "1.8 jre in " + home + ": too old, the minimum is 999"}));
#else
  LaunchResult result = app.run();
  const std::string firstLine = reportText("No acceptable JVMs were found.") + "\n";
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_EQ(result.out.compare(0, firstLine.size(), firstLine), 0) << describe(result);
  EXPECT_NE(result.out.find(": too old, the minimum is 999\n"), std::string::npos) << describe(result);
#endif
}

TEST_P(NoAcceptableJvm, TheReportNamesTheDownloadPageWithTheVersionBounds) {
#ifdef _WIN32
  app.writeFile("rt/bin/client/jvm.dll", "");
  importRegistry(kRegFileHeader + kRegWipeJavaSoft +
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8]\r\n"
                 "\"JavaHome\"=" +
                 regString(app.path("rt")) + "\r\n");
#endif
  const std::string page = "https://example.com/get-java";
  const struct {
    const char* bounds;
    const char* line;
  } cases[] = {
      {"vexil.min.java.version=999", "Java version 999 or later can be downloaded from "},
      {"vexil.min.java.version=999\nvexil.max.java.version=1000", "Java version 999 to 1000 can be downloaded from "},
      {"vexil.max.java.version=1.0", "Java up to version 1.0 can be downloaded from "},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.bounds);
    app.writeConfiguration(std::string("vexil.main.class=app.Main\n") + test.bounds +
                           "\nvexil.java.download.url=" + page + "\n");
    LaunchResult result = app.run();
    EXPECT_EQ(result.exitCode, 1) << describe(result);
    const std::string firstLine = reportText("No acceptable JVMs were found.");
    const std::string lastLine = test.line + page;
    if (app.program() == Program::Console) {
      // The first line stays; the page comes last, after the runtimes seen.
      const std::string out = withLfLineEnds(result.out);
      EXPECT_EQ(out.compare(0, firstLine.size() + 1, firstLine + "\n"), 0) << describe(result);
      EXPECT_GE(out.size(), lastLine.size() + 1);
      EXPECT_EQ(out.substr(out.size() - lastLine.size() - 1), lastLine + "\n") << describe(result);
      continue;
    }
    // The windowed program asks whether to open the page: Yes and No.
    ASSERT_EQ(result.boxes.size(), 1U) << describe(result);
    const MessageBoxSeen& box = result.boxes[0];
    const std::string body = withLfLineEnds(box.body);
    EXPECT_EQ(body.compare(0, firstLine.size() + 1, firstLine + "\n"), 0) << body;
    EXPECT_NE(body.find("\n" + lastLine + "\n\n" + message::kOpenDownloadPage), std::string::npos) << body;
    EXPECT_EQ(box.caption, app.programPath());
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, (std::vector<int>{kButtonYes, kButtonNo}));
  }
}

#ifdef _WIN32
TEST_P(NoAcceptableJvm, WhenNoRuntimeIsRegistered) {
  importRegistry(kRegFileHeader + kRegWipeJavaSoft);
  for (const char* contents : {"", "# nothing but a comment\r\n", "vexil.main.class=app.Main\r\n"}) {
    SCOPED_TRACE(contents);
    app.writeConfiguration(contents);
    EXPECT_TRUE(app.showsReport(app.run(), {"No acceptable JVMs were found."}));
  }
}
#endif

INSTANTIATE_TEST_SUITE_P(Launchers, NoAcceptableJvm, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
