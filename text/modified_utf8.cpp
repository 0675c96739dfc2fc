#include "text/modified_utf8.h"

namespace {

void appendUnit(std::string& out, char32_t unit) {
  if (unit != 0 && unit < 0x80) {
    out += static_cast<char>(unit);
  } else if (unit < 0x800) {  // U+0000 too: C0 80
    out += static_cast<char>(0xC0 | (unit >> 6));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (unit >> 12));
    out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
  }
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

void appendModifiedUtf8(std::string& out, char32_t codePoint) {
  if (codePoint > 0x10FFFF) codePoint = kReplacementCharacter;
  if (codePoint < 0x10000) {
    appendUnit(out, codePoint);
    return;
  }
  char32_t offset = codePoint - 0x10000;
  appendUnit(out, 0xD800 + (offset >> 10));
  appendUnit(out, 0xDC00 + (offset & 0x3FF));
}

std::string modifiedUtf8FromUtf16(const std::u16string& units) {
  std::string out;
  out.reserve(units.size());
  for (char16_t unit : units) appendUnit(out, unit);
  return out;
}

std::string modifiedUtf8FromUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t size = bytes.size();
  while (i < size) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      appendUnit(out, lead);
      ++i;
      continue;
    }
    // Length and the range of the second byte, which excludes overlong
    // forms, surrogates and values above U+10FFFF.
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      value = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      value = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0) {
      appendModifiedUtf8(out, kReplacementCharacter);
      ++i;
      continue;
    }
    size_t taken = 1;
    bool complete = true;
    for (; taken < length; ++taken) {
      if (i + taken >= size) {
        complete = false;
        break;
      }
      unsigned char byte = static_cast<unsigned char>(bytes[i + taken]);
      bool inRange = taken == 1 ? (byte >= low && byte <= high) : isContinuation(byte);
      if (!inRange) {
        complete = false;
        break;
      }
      value = (value << 6) | (byte & 0x3F);
    }
    // A broken sequence is replaced as a whole, up to the byte that broke it.
    appendModifiedUtf8(out, complete ? value : kReplacementCharacter);
    i += taken;
  }
  return out;
}

std::string utf8FromModifiedUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == 0xC0 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
      out += '?';
      ++i;
      continue;
    }
    // ED A0..AF xx (high surrogate) followed by ED B0..BF xx (low surrogate).
    if (byte == 0xED && i + 5 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xF0) == 0xA0 &&
        static_cast<unsigned char>(text[i + 3]) == 0xED && (static_cast<unsigned char>(text[i + 4]) & 0xF0) == 0xB0) {
      char32_t high = 0xD000 | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                      (static_cast<unsigned char>(text[i + 2]) & 0x3F);
      char32_t low = 0xD000 | ((static_cast<unsigned char>(text[i + 4]) & 0x3F) << 6) |
                     (static_cast<unsigned char>(text[i + 5]) & 0x3F);
      char32_t code = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
      i += 5;
      continue;
    }
    out += text[i];
  }
  return out;
}
