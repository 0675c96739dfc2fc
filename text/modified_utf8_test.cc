#include "text/modified_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ModifiedUtf8Test, CodePointsAreEncodedAsTheRuntimeReadsThem) {
  struct Case {
    char32_t codePoint;
    std::string bytes;
  } cases[] = {
      {U'A', "A"},
      {0x0000, "\xC0\x80"},  // never a zero byte
      {0x007F, "\x7F"},
      {0x00E9, "\xC3\xA9"},
      {0x07FF, "\xDF\xBF"},
      {0x0800, "\xE0\xA0\x80"},
      {0x20AC, "\xE2\x82\xAC"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x1F600, "\xED\xA0\xBD\xED\xB8\x80"},  // two 3-byte surrogates
      {0x10FFFF, "\xED\xAF\xBF\xED\xBF\xBF"},
      {0x110000, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    std::string out;
    appendModifiedUtf8(out, c.codePoint);
    EXPECT_EQ(out, c.bytes) << std::hex << static_cast<unsigned long>(c.codePoint);
  }
}

TEST(ModifiedUtf8Test, Utf16UnitsAreEncodedOneByOne) {
  EXPECT_EQ(modifiedUtf8FromUtf16(u"a b\u00e9"), "a b\xC3\xA9");
  EXPECT_EQ(modifiedUtf8FromUtf16(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(modifiedUtf8FromUtf16(std::u16string(1, u'\0')), "\xC0\x80");
  EXPECT_EQ(modifiedUtf8FromUtf16(u""), "");
}

TEST(ModifiedUtf8Test, Utf8IsReencodedAndBrokenBytesBecomeReplacements) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  } cases[] = {
      {"ascii with blanks", "two words", "two words"},
      {"two-byte", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"three-byte", "\xE2\x82\xAC", "\xE2\x82\xAC"},
      {"four-byte becomes surrogates", "x\xF0\x9F\x98\x80y", "x\xED\xA0\xBD\xED\xB8\x80y"},
      {"stray continuation",
       "a\x80"
       "b",
       "a" + r + "b"},
      {"invalid lead bytes", "\xC0\xC1\xF5\xFF", r + r + r + r},
      {"overlong two-byte", "\xC0\xAF", r + r},
      {"overlong three-byte", "\xE0\x80\xAF", r + r + r},
      {"encoded surrogate", "\xED\xA0\x80", r + r + r},
      {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
      {"cut off at the end", "ab\xE2\x82", "ab" + r},
      {"cut off before ascii", "\xE2\x82z", r + "z"},
      {"cut off before a new lead", "\xF0\x9F\xC3\xA9", r + "\xC3\xA9"},
      {"latin-1 bytes", "caf\xE9", "caf" + r},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(modifiedUtf8FromUtf8(c.input), c.expected) << c.name;
  }
  // Back from the runtime: surrogate pairs join, and U+0000 shows as '?'.
  EXPECT_EQ(utf8FromModifiedUtf8("x\xED\xA0\xBD\xED\xB8\x80y\xC3\xA9"), "x\xF0\x9F\x98\x80y\xC3\xA9");
  EXPECT_EQ(utf8FromModifiedUtf8("a\xC0\x80z"), "a?z");
}

}  // namespace
