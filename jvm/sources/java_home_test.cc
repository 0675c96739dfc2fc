#include "jvm/sources/java_home.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/fake_platform.h"

namespace {

// The reader that discovery and the start-up cache rely on: which line of the
// release file gives the version, and when there is none.
TEST(ReleaseVersionTest, ReadsTheFirstJavaVersionLineOrNone) {
  struct Case {
    std::optional<std::string> release;  // none: no release file
    std::optional<std::string> version;
  } cases[] = {
      {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"17.0.9\"\n", "17.0.9"},
      {"  JAVA_VERSION= \"21\" \r\n", "21"},
      {"JAVA_VERSION=1.8.0_392", "1.8.0_392"},
      {"JAVA_VERSION=\"\"\"\"", "\"\""},
      {"IMPLEMENTOR_JAVA_VERSION=\"9\"\nOTHER=1", std::nullopt},
      {"JAVA_VERSION=\"\"\nJAVA_VERSION=\"11\"", std::nullopt},  // the first one decides
      {"", std::nullopt},
      {std::string(size_t{64} * 1024, '#') + "\nJAVA_VERSION=\"17\"", std::nullopt},  // read no further
      {std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    fake.fileSystem.addDirectory("C:\\jdk");
    if (c.release) fake.fileSystem.addFile("C:\\jdk\\release", *c.release);
    EXPECT_EQ(releaseVersion(fake.fileSystem, *fake.platform.conventions, "C:\\jdk"), c.version)
        << c.release.value_or("(no file)").substr(0, 40);
  }
}

}  // namespace
