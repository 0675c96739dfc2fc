// The windowed build started with command lines of every shape: whatever the
// split makes of them, a missing configuration is the one report.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

TEST(WindowedLauncher, ReportsInABoxWhateverTheCommandLine) {
  LaunchCase app(Program::Windowed);
  for (std::string arguments : {"", "   ", " a \"b c\" d", " \"unclosed", " \"\"", "\t\r\n"}) {
    SCOPED_TRACE(arguments);
    EXPECT_TRUE(app.showsReport(app.runCommandLine(app.quotedProgramPath() + arguments),
                                {"Could not open file " + app.path("app.lap"), fileNotFoundReason()}));
  }
}

TEST(WindowedLauncher, ThePathInTheCaptionIsTheOneTheSystemGives) {
  // Started by a bare name from its own directory, the program still names itself by its full path.
  LaunchCase app(Program::Windowed);
  LaunchResult result = app.runCommandLine("app");
  ASSERT_EQ(result.boxes.size(), 1u) << describe(result);
  EXPECT_EQ(result.boxes[0].caption, app.programPath());
  EXPECT_EQ(result.boxes[0].body,
            reportText("Could not open file " + app.path("app.lap") + "\n" + fileNotFoundReason()));
}

}  // namespace
