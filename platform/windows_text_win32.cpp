#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/windows_text.h"
#include "text/ascii_text.h"

namespace {

// Below this length every file function takes a path in its plain form: 260
// less the 12 characters CreateDirectory keeps for an 8.3 file name inside.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

std::wstring fullPathOf(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::vector<wchar_t> buffer(size);
  DWORD length = GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
  if (length == 0 || length >= size) return path;
  return std::wstring(buffer.data(), length);
}

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::wstring wideFromUtf8(const std::string& text) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
  int length = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &wide[0], units);
  return wide;
}

std::string utf8FromWide(const wchar_t* text, size_t length) {
  if (length == 0 || length > static_cast<size_t>(INT_MAX)) return std::string();
  int units = static_cast<int>(length);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, units, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

std::string utf8FromWide(const std::wstring& text) { return utf8FromWide(text.data(), text.size()); }

std::string utf8FromAnsi(const std::string& text) {
  if (GetACP() == CP_UTF8 || text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return text;
  int length = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], units);
  return utf8FromWide(wide);
}

bool ansiFromUtf8(const std::string& text, std::string* ansi) {
  if (GetACP() == CP_UTF8) {
    *ansi = text;
    return true;
  }
  std::wstring wide = wideFromUtf8(text);
  ansi->clear();
  if (wide.empty()) return text.empty();
  int units = static_cast<int>(wide.size());
  // No best fit: "日" must not quietly become "?" nor "ā" an "a" that names
  // another file.
  BOOL defaultUsed = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr, 0, nullptr, &defaultUsed);
  if (bytes <= 0 || defaultUsed) return false;
  ansi->assign(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, &(*ansi)[0], bytes, nullptr, &defaultUsed);
  return !defaultUsed;
}

std::wstring systemPath(const std::string& path) {
  std::wstring wide = wideFromUtf8(path);
  if (wide.size() < kPlainPathLimit || startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\")) return wide;
  // The long form is taken literally: no "/", "." or ".." in it, and always full.
  std::wstring full = fullPathOf(wide);
  if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return full;
}

std::string withoutLongPathForm(const std::string& path) {
  if (startsWith(path, "\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
  if (startsWith(path, "\\\\?\\")) return path.substr(4);
  return path;
}

std::string systemErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length > 0 && text ? utf8FromWide(text, length) : "error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}
