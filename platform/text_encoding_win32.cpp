#include <windows.h>

#include <climits>

#include "platform/text_encoding.h"
#include "platform/windows_text.h"

namespace {

bool isUtf8(const std::string& bytes) {
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return false;
  return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

/// The ANSI code page of the system's locale. Not GetACP(): the manifest's
/// UTF-8 changes that for this process only, while the user's older files
/// are in the system's.
UINT systemAnsiCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0 ||
      codePage == 0) {
    return GetACP();
  }
  return codePage;
}

}  // namespace

std::string textOfUserFile(const std::string& bytes) {
  if (isUtf8(bytes) || bytes.size() > static_cast<size_t>(INT_MAX)) return bytes;
  int length = static_cast<int>(bytes.size());
  UINT codePage = systemAnsiCodePage();
  int units = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return bytes;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), length, &wide[0], units);
  return utf8FromWide(wide);
}

bool toRuntimeOptionEncoding(const std::string& text, std::string* encoded) { return ansiFromUtf8(text, encoded); }

std::string processCodePageName() { return std::to_string(GetACP()); }
