// How the real programs read a ".lap" file saved by editors in other ways:
// with a UTF-8 byte-order mark (read as if it had none) or in UTF-16 (refused
// with a report that says how to save it).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

class ConfigurationEncoding : public testing::TestWithParam<Program> {};

TEST_P(ConfigurationEncoding, AByteOrderMarkIsSkippedAndUtf16IsRefused) {
  LaunchCase app(GetParam());
  // A file whose only line names a JVM library that does not exist: read in
  // full, it ends with the report that names the library, so the line was
  // not lost.
  const std::string library = app.path("nojvm");
  std::string storedLibrary = library;
  // Windows file names ignore case, and the setting is stored lower-cased there.
  if (library.find('\\') != std::string::npos) {
    std::transform(storedLibrary.begin(), storedLibrary.end(), storedLibrary.begin(),
                   [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; });
  }
  const std::string utf16 = "Error loading properties from configuration file.\n" + app.path("app.lap") +
                            " is saved as UTF-16 (Unicode): save it as UTF-8 or ANSI.";
  struct Case {
    const char* name;
    std::string contents;
    std::string report;
  } cases[] = {
      {"UTF-8 mark", "\xEF\xBB\xBFvexil.jvm.path=" + library + "\n",
       "This JVM file could not be found: " + storedLibrary},
      {"UTF-16 little-endian", std::string("\xFF\xFEv\0e\0x\0", 8), utf16},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0v\0e\0x", 8), utf16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.writeConfiguration(c.contents);
    EXPECT_TRUE(app.showsReport(app.run(), {c.report}));
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, ConfigurationEncoding, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
