#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <cwchar>

#include "platform/argument_encoding.h"
#include "text/modified_utf8.h"

namespace {

/// Decodes TEXT with the multibyte conversion of LOCALE.
std::string decodeWithLocale(const std::string& text, locale_t locale) {
  // The process-wide locale stays as it is (the runtime sets its own): the
  // user's locale is used on this thread for the conversion only.
  locale_t previous = uselocale(locale);
  std::string out;
  std::mbstate_t state{};
  size_t i = 0;
  while (i < text.size()) {
    wchar_t character = 0;
    size_t used = std::mbrtowc(&character, text.data() + i, text.size() - i, &state);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
      appendModifiedUtf8(out, kReplacementCharacter);
      state = std::mbstate_t{};
      ++i;
      continue;
    }
    if (used == 0) used = 1;  // an embedded NUL byte
    // wchar_t holds UCS-4 here; anything outside Unicode is undecodable.
    char32_t codePoint = static_cast<char32_t>(character);
    bool valid = codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
    appendModifiedUtf8(out, valid ? codePoint : kReplacementCharacter);
    i += used;
  }
  uselocale(previous);
  return out;
}

}  // namespace

std::string toModifiedUtf8(const std::string& text) {
  locale_t locale = newlocale(LC_CTYPE_MASK, "", nullptr);
  if (!locale) return modifiedUtf8FromUtf8(text);  // the locale is not installed
  const char* codeset = nl_langinfo_l(CODESET, locale);
  // In the C locale (plain ASCII) a byte above 127 cannot be what the user
  // meant in that encoding; terminals then send UTF-8 in practice.
  bool utf8 = !codeset || std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0;
  std::string out = utf8 ? modifiedUtf8FromUtf8(text) : decodeWithLocale(text, locale);
  freelocale(locale);
  return out;
}
