#include "hosting/instance_message.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(InstanceMessage, TextsComeBackAsTheyWere) {
  const std::vector<InstanceMessage> cases = {
      {"/home/user", {}},
      {"", {""}},
      {"C:\\Users\\me",
       {"with space", "", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", std::string("nul\0inside", 10)}},
      {"/tmp", std::vector<std::string>(300, "x")},
  };
  for (const InstanceMessage& original : cases) {
    InstanceMessage decoded{"unchanged", {"unchanged"}};
    ASSERT_TRUE(decodeInstanceMessage(encodeInstanceMessage(original), &decoded)) << original.workingDirectory;
    EXPECT_EQ(decoded.workingDirectory, original.workingDirectory);
    EXPECT_EQ(decoded.arguments, original.arguments);
  }
}

TEST(InstanceMessage, AnythingElseIsRefusedAndLeavesTheResultAlone) {
  const std::string valid = encodeInstanceMessage({"/home", {"a", "bc"}});
  std::string hugeCount = valid;
  hugeCount[16] = '\xFF';  // the first byte of the text count
  hugeCount[19] = '\x7F';
  std::string longText = valid;
  longText[20] = '\x40';  // the directory's length, past the end
  std::string zeroTexts = valid.substr(0, 16) + std::string(4, '\0');
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"another tag", "vexil-instance-2" + valid.substr(16)},
      {"tag alone", valid.substr(0, 16)},
      {"no texts", zeroTexts},
      {"a count beyond the bytes", hugeCount},
      {"a length beyond the end", longText},
      {"cut short", valid.substr(0, valid.size() - 1)},
      {"bytes left over", valid + "x"},
      {"garbage", std::string(64, '\xA5')},
  };
  for (const auto& test : cases) {
    InstanceMessage decoded{"unchanged", {"unchanged"}};
    EXPECT_FALSE(decodeInstanceMessage(test.bytes, &decoded)) << test.name;
    EXPECT_EQ(decoded.workingDirectory, "unchanged") << test.name;
    EXPECT_EQ(decoded.arguments, std::vector<std::string>{"unchanged"}) << test.name;
  }
}

}  // namespace
