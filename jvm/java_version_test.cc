#include "jvm/java_version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Versions from lowest to highest; the texts of one row are equal. Every pair
// is checked both ways, so the table also shows the order is consistent.
TEST(VersionOrderTest, OrdersVersionsAsPeopleReadThem) {
  const std::vector<std::vector<std::string>> ascending = {
      {"test"},  // no number at all ranks below every number
      {"", "0", "0.0.0"},
      {"1.4", "1.4.0", "1.4.0_00", "01.4", "1..4", "1.4_"},
      {"1.4.2"},
      {"1.4.2_05", "1.4.2_5"},
      {"1.4.2_05-b03"},  // an old build tag is a build, not a pre-release
      {"1.4.2_05_07"},   // a fifth piece counts
      {"1.4.2_999"},
      {"1.4.2_1000"},  // pieces compare as numbers whatever their length
      {"1.4.10"},
      {"1.6.0-ea"},
      {"1.6.0-rc"},  // pre-release tags compare among themselves
      {"1.6.0", "1.6"},
      {"1.8.0_999"},
      {"1.8.0_1000"},
      {"1.8.0_1000-b12"},
      {"1.8.0_1001"},
      {"9-ea"},
      {"9"},
      {"10-ea"},  // a minimum of 10 does not admit 9-ea
      {"10", "10.0", "10.0.0"},
      {"17-ea"},
      {"17", "17.0.0"},
      {"17+35"},  // a build ranks after the numbers and the pre-release mark
      {"17.0.1-ea"},
      {"17.0.1", "17.0.1+0"},
      {"17.0.1+12"},
      {"17.0.9.9"},
      {"17a"},  // the letters after a number come after the number alone
      {"17b"},
      {"21.0.2"},
      {std::string(40, '9')},  // a number far beyond 64 bits
      {std::string(41, '9'), "0" + std::string(41, '9')},
  };
  for (size_t i = 0; i < ascending.size(); ++i) {
    for (size_t j = 0; j < ascending.size(); ++j) {
      for (const std::string& a : ascending[i]) {
        for (const std::string& b : ascending[j]) {
          const int order = compareJavaVersions(a, b);
          if (i < j) {
            EXPECT_LT(order, 0) << a << " should be below " << b;
          } else if (i == j) {
            EXPECT_EQ(order, 0) << a << " should equal " << b;
          } else {
            EXPECT_GT(order, 0) << a << " should be above " << b;
          }
        }
      }
    }
  }
}

// The feature release decides which start-up cache mechanism a runtime has.
TEST(JavaFeatureReleaseTest, ReadsTheFeatureReleaseOrNone) {
  struct Case {
    const char* version;
    std::optional<int> feature;
  } cases[] = {
      {"1.8.0_292", 8},     {"17.0.2", 17},
      {"25-ea", 25},        {"21", 21},
      {"1.4.2_05", 4},      {"1", 1},
      {"1.", std::nullopt}, {"1.x", std::nullopt},
      {"9999.1", 9999},     {"10000", std::nullopt},
      {"", std::nullopt},   {"jdk-17", std::nullopt},
      {"0.9", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(javaFeatureRelease(c.version), c.feature) << c.version;
}

}  // namespace
