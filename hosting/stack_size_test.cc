#include "hosting/stack_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(StackSizeTest, SizesAreReadAsTheRuntimeWritesThem) {
  struct Case {
    const char* text;
    bool readable;
    std::uint64_t bytes;
  } cases[] = {
      {"0", true, 0},
      {"4096", true, 4096},
      {"512k", true, 512u << 10},
      {"512K", true, 512u << 10},
      {"64m", true, 64ull << 20},
      {"2G", true, 2ull << 30},
      {"", false, 0},
      {"k", false, 0},
      {"-1m", false, 0},
      {"1.5m", false, 0},
      {"1mb", false, 0},
      {"1t", false, 0},
      {" 1m", false, 0},
      {"18446744073709551615", true, UINT64_MAX},
      {"18446744073709551616", false, 0},
      {"17179869184g", false, 0},  // 2^34 GiB is 2^64 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::uint64_t bytes = 7;
    EXPECT_EQ(parseMemorySize(c.text, &bytes), c.readable);
    if (c.readable) {
      EXPECT_EQ(bytes, c.bytes);
    }
  }
}

TEST(StackSizeTest, TheLastStackOptionWins) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::size_t expected;
  } cases[] = {
      {"none", {"-Xmx64m", "-Dx=-Xss4m"}, 0},
      {"Xss", {"-Xss64m"}, 64u << 20},
      {"thread stack size counts kibibytes", {"-XX:ThreadStackSize=2048"}, 2u << 20},
      {"thread stack size with a unit", {"-XX:ThreadStackSize=1k"}, 1u << 20},
      {"the later one", {"-Xss8m", "-Xmx1g", "-XX:ThreadStackSize=512"}, 512u << 10},
      {"the later Xss", {"-XX:ThreadStackSize=512", "-Xss2m"}, 2u << 20},
      {"zero is the default", {"-Xss8m", "-Xss0"}, 0},
      {"unreadable leaves it to the runtime", {"-Xss8m", "-Xssbig"}, 0},
      {"other letter case is another option", {"-xss8m", "-XSS8m"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(configuredStackSize(c.options), c.expected);
  }
}

}  // namespace
