// How the real programs read a ".lap" file saved by editors in other ways:
// with a UTF-8 byte-order mark (read as if it had none) or in UTF-16 (refused
// with a report that says how to save it).

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

class ConfigurationEncoding : public testing::TestWithParam<Program> {};

TEST_P(ConfigurationEncoding, AByteOrderMarkIsSkippedAndUtf16IsRefused) {
  // Each file names a JVM library that does not exist, so a file read in full
  // ends with the report that names it: the first line was not lost.
  const std::string jvmLine = "vexil.jvm.path=${SELF_HOME}/nojvm\n";
  const std::string loaded = "This JVM file could not be found: ";
  const std::string utf16 = "Error loading properties from configuration file.\n";
  struct Case {
    const char* name;
    std::string contents;
    std::string reportStart;
  } cases[] = {
      {"UTF-8 mark", "\xEF\xBB\xBF" + jvmLine, loaded},
      {"UTF-16 little-endian", std::string("\xFF\xFEv\0e\0x\0", 8), utf16},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0v\0e\0x", 8), utf16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchCase app(GetParam());
    app.writeConfiguration(c.contents);
    LaunchResult result = app.run();
    std::string expected = c.reportStart == loaded ? loaded + app.path("nojvm")
                                                   : utf16 + app.path("app.lap") +
                                                         " is saved as UTF-16 (Unicode): save it as UTF-8 or ANSI.";
    EXPECT_TRUE(app.showsReport(result, expected));
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, ConfigurationEncoding, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
