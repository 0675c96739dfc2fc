// A launcher without its configuration file: the first thing a user of a
// misplaced program sees, in each build.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

class MissingConfiguration : public testing::TestWithParam<Program> {};

TEST_P(MissingConfiguration, IsReportedWithThePathLookedFor) {
  LaunchCase app(GetParam());
  EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + app.path("app.lap"), fileNotFoundReason()}));
}

TEST_P(MissingConfiguration, ArgumentsChangeNothing) {
  LaunchCase app(GetParam());
  EXPECT_TRUE(app.showsReport(app.run({"-help", "two words", ""}),
                              {"Could not open file " + app.path("app.lap"), fileNotFoundReason()}));
}

// The program's full path without a final ".exe" in any case, then ".lap".
TEST_P(MissingConfiguration, TheFileIsNamedAfterTheProgram) {
  struct {
    const char* program;
    const char* configuration;
  } cases[] = {
      {"bin/app.exe", "bin/app.lap"},
      {"APP.EXE", "APP.lap"},
      {"app.bin", "app.bin.lap"},
      {"app.exe.bin", "app.exe.bin.lap"},
      {"tool.exe.exe", "tool.exe.lap"},
      {"my.exe/tool.bin", "my.exe/tool.bin.lap"},
      {"with space/my app.Exe", "with space/my app.lap"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    LaunchCase app(GetParam(), c.program);
    EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + app.path(c.configuration), fileNotFoundReason()}));
  }
}

// Files of other names, or in the working directory, are not the configuration.
TEST_P(MissingConfiguration, OnlyTheFileBesideTheProgramCounts) {
  LaunchCase app(GetParam(), "bin/app.exe");
  app.writeFile("app.lap", "vexil.main.class=Decoy\n");
  app.writeFile("bin/app.exe.lap", "vexil.main.class=Decoy\n");
  app.writeFile("bin/APP.lap.txt", "vexil.main.class=Decoy\n");
  app.setWorkingDirectory(".");
  EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + app.path("bin/app.lap"), fileNotFoundReason()}));
}

TEST_P(MissingConfiguration, AFolderOrAFileBeyondAnyConfigurationIsReportedWithWhy) {
  struct {
    const char* name;
    bool folder;
    std::string reason;
  } cases[] = {
      {"a folder", true, "It is a folder, not a file."},
      {"5 MiB", false, "It is larger than 4 MiB, more than a configuration file can be."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchCase app(GetParam());
    if (c.folder) {
      app.makeDirectory("app.lap");
    } else {
      app.writeConfiguration("vexil.main.class=Main\n" + std::string(5 << 20, '#'));
    }
    EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + app.path("app.lap") + "\n" + c.reason}));
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, MissingConfiguration, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
