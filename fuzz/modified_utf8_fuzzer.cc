// Command-line arguments reach the Java main method as modified UTF-8: the
// conversion of arbitrary bytes, and of arbitrary UTF-16, must give text the
// runtime can read, and must keep well-formed input as it is.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/argument_encoding.h"
#include "text/modified_utf8.h"

namespace {

// Decodes modified UTF-8 into UTF-16 units; false when it is not well formed
// (a zero byte, a four-byte form, an overlong form other than C0 80 for
// U+0000, a missing continuation byte).
bool decodeModified(const std::string& text, std::u16string* units) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    auto continuation = [&](size_t at) {
      return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    if (lead == 0) return false;
    if (lead < 0x80) {
      units->push_back(lead);
      i += 1;
    } else if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
      const char16_t unit = ((lead & 0x1F) << 6) | (text[i + 1] & 0x3F);
      if (unit < 0x80 && unit != 0) return false;
      units->push_back(unit);
      i += 2;
    } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
      const char16_t unit = ((lead & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
      if (unit < 0x800) return false;
      units->push_back(unit);
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

// Decodes well-formed UTF-8 into UTF-16; false when it is not well formed.
bool decodeUtf8(const std::string& text, std::u16string* units) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const unsigned char byte = static_cast<unsigned char>(text[i + k]);
      if ((byte & 0xC0) != 0x80) return false;
      value = (value << 6) | (byte & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < minimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    if (value >= 0x10000) {
      units->push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
      units->push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
    } else {
      units->push_back(static_cast<char16_t>(value));
    }
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::string converted = modifiedUtf8FromUtf8(bytes);
  std::u16string units;
  fuzz::require(decodeModified(converted, &units), "bytes give well-formed modified UTF-8");
  fuzz::require(modifiedUtf8FromUtf16(units) == converted, "the units encode back to the same text");
  std::u16string expected;
  if (decodeUtf8(bytes, &expected)) fuzz::require(units == expected, "well-formed UTF-8 keeps its characters");
  size_t replacements = 0;
  for (char16_t unit : units) replacements += unit == 0xFFFD;
  fuzz::require(replacements <= size, "at most one replacement per byte");

  // The same bytes read as UTF-16 units.
  std::u16string raw(size / 2, u'\0');
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  std::u16string back;
  fuzz::require(decodeModified(modifiedUtf8FromUtf16(raw), &back) && back == raw, "UTF-16 round trip");

  // The system's conversion of an argument, in the locale of the run.
  std::u16string argument;
  fuzz::require(decodeModified(toModifiedUtf8(bytes), &argument), "arguments give well-formed modified UTF-8");
  return 0;
}
