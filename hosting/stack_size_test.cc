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

TEST(StackSizeTest, MainsThreadHasTheConfiguredSizeAndNeverLessThanTheRuntimeNeedsToStart) {
  const std::size_t kib = 1024;
  const std::size_t least = kLeastMainThreadStackSize;
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::size_t runtimeDefault;
    std::size_t expected;
  } cases[] = {
      {"the runtime's default", {}, 1024 * kib, 1024 * kib},
      {"configured over the default", {"-Xss8m"}, 1024 * kib, 8192 * kib},
      {"Xss0 is the default", {"-Xss0"}, 1024 * kib, 1024 * kib},
      {"Xss1k, which the runtime refuses", {"-Xss1k"}, 1024 * kib, least},
      {"Xss16k", {"-Xss16k"}, 1024 * kib, least},
      {"ThreadStackSize=8", {"-XX:ThreadStackSize=8"}, 1024 * kib, least},
      {"a byte below the floor", {"-Xss" + std::to_string(least - 1)}, 1024 * kib, least},
      {"the floor itself", {"-Xss" + std::to_string(least)}, 1024 * kib, least},
      {"a runtime default below the floor", {}, 64 * kib, least},
      {"no size known: the system's", {}, 0, 0},
      {"unreadable: the default", {"-Xss1x"}, 1024 * kib, 1024 * kib},
      {"beyond what the runtime takes", {"-Xss99999999999"}, 1024 * kib, std::size_t{99999999999}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(mainThreadStackSize(c.options, c.runtimeDefault), c.expected);
  }
}

}  // namespace
