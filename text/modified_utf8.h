#ifndef VEXIL_TEXT_MODIFIED_UTF8_H_
#define VEXIL_TEXT_MODIFIED_UTF8_H_

#include <string>

// The Java runtime reads text in "modified UTF-8": UTF-8 over UTF-16 code
// units, so a character above U+FFFF is two 3-byte surrogates, and U+0000 is
// the two bytes C0 80 so that the text holds no zero byte.

/// Appends CODE_POINT (at most U+10FFFF) to OUT in modified UTF-8.
void appendModifiedUtf8(std::string& out, char32_t codePoint);

/// UTF-16 code units in modified UTF-8, one unit at a time.
std::string modifiedUtf8FromUtf16(const std::u16string& units);

/// UTF-8 bytes in modified UTF-8. Each maximal run of bytes that cannot start
/// a well-formed sequence (a stray continuation byte, a cut-off sequence, an
/// overlong form, a surrogate, a value above U+10FFFF) becomes U+FFFD.
std::string modifiedUtf8FromUtf8(const std::string& bytes);

/// Modified UTF-8 (as the runtime gives its strings) as plain UTF-8: a
/// surrogate pair becomes one four-byte sequence, and the two-byte form of
/// U+0000 a question mark, so that the text holds no zero byte.
std::string utf8FromModifiedUtf8(const std::string& text);

/// U+FFFD REPLACEMENT CHARACTER, which stands for undecodable input.
constexpr char32_t kReplacementCharacter = 0xFFFD;

#endif  // VEXIL_TEXT_MODIFIED_UTF8_H_
