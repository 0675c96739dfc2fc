#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/argument_encoding.h"

namespace {

/// Sets the locale variables for one test and puts them back afterwards.
class LocaleEnvironment {
 public:
  explicit LocaleEnvironment(const char* localeName) {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      m_saved.emplace_back(name, value ? std::string(value) : std::string(), value != nullptr);
      unsetenv(name);
    }
    setenv("LC_ALL", localeName, 1);
  }
  ~LocaleEnvironment() {
    for (const auto& saved : m_saved) {
      if (std::get<2>(saved)) {
        setenv(std::get<0>(saved), std::get<1>(saved).c_str(), 1);
      } else {
        unsetenv(std::get<0>(saved));
      }
    }
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  std::vector<std::tuple<const char*, std::string, bool>> m_saved;
};

TEST(ArgumentEncodingPosixTest, Utf8LocaleTextReachesTheRuntimeAsTyped) {
  LocaleEnvironment locale("C.UTF-8");
  EXPECT_EQ(toModifiedUtf8("plain"), "plain");
  EXPECT_EQ(toModifiedUtf8(""), "");
  EXPECT_EQ(toModifiedUtf8("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"), "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(toModifiedUtf8("\xF0\x9F\x98\x80"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(toModifiedUtf8("caf\xE9"), "caf\xEF\xBF\xBD");
}

TEST(ArgumentEncodingPosixTest, AsciiAndUnknownLocalesReadUtf8) {
  for (const char* name : {"C", "POSIX", "xx_NOT.installed"}) {
    LocaleEnvironment locale(name);
    EXPECT_EQ(toModifiedUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9") << name;
    EXPECT_EQ(toModifiedUtf8("\xFF"), "\xEF\xBF\xBD") << name;
  }
}

}  // namespace
