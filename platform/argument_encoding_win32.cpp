#include <windows.h>

#include <climits>

#include "platform/argument_encoding.h"
#include "platform/modified_utf8.h"

std::string toModifiedUtf8(const std::string& text) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<size_t>(INT_MAX)) return std::string();
  // Without MB_ERR_INVALID_CHARS, bytes the code page cannot decode become
  // its default character instead of failing the whole conversion.
  int length = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return std::string();
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(&wide[0]), units);
  return modifiedUtf8FromUtf16(wide);
}
