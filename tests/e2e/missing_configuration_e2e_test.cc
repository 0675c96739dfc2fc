// A launcher without its configuration file: the first thing a user of a
// misplaced program sees, in each build.

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

#include "tests/e2e/launch_harness.h"

namespace {

class MissingConfiguration : public testing::TestWithParam<Program> {};

/// The report for a configuration file PATH that is not there: the system's
/// words for a missing file follow.
std::string missing(const std::string& path) {
#ifdef _WIN32
  char* text = nullptr;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason(text ? text : "", length);
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
#else
  const std::string reason = std::strerror(ENOENT);
#endif
  return "Could not open file " + path + "\n" + reason;
}

TEST_P(MissingConfiguration, IsReportedWithThePathLookedFor) {
  LaunchCase app(GetParam());
  EXPECT_TRUE(app.showsReport(app.run(), missing(app.path("app.lap"))));
}

TEST_P(MissingConfiguration, ArgumentsChangeNothing) {
  LaunchCase app(GetParam());
  EXPECT_TRUE(app.showsReport(app.run({"-help", "two words", ""}), missing(app.path("app.lap"))));
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
    EXPECT_TRUE(app.showsReport(app.run(), missing(app.path(c.configuration))));
  }
}

// Files of other names, or in the working directory, are not the configuration.
TEST_P(MissingConfiguration, OnlyTheFileBesideTheProgramCounts) {
  LaunchCase app(GetParam(), "bin/app.exe");
  app.writeFile("app.lap", "vexil.main.class=Decoy\n");
  app.writeFile("bin/app.exe.lap", "vexil.main.class=Decoy\n");
  app.writeFile("bin/APP.lap.txt", "vexil.main.class=Decoy\n");
  app.setWorkingDirectory(".");
  EXPECT_TRUE(app.showsReport(app.run(), missing(app.path("bin/app.lap"))));
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
    EXPECT_TRUE(app.showsReport(app.run(), "Could not open file " + app.path("app.lap") + "\n" + c.reason));
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, MissingConfiguration, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
