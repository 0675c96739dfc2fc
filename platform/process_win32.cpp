#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <vector>

#include "platform/process.h"
#include "platform/windows_text.h"

unsigned long currentProcessId() { return GetCurrentProcessId(); }

Outcome<std::string> executablePath() {
  // GetModuleFileNameW cuts a long path short and says so only through the
  // length it returns: grow the buffer until the whole path fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return Outcome<std::string>::failed("GetModuleFileName failed with error " + std::to_string(GetLastError()));
    }
    if (length < buffer.size() || buffer.size() >= 32768) {
      // Started through a \\?\ path, the system reports it in that form.
      return withoutLongPathForm(utf8FromWide(buffer.data(), length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

void showWarning(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool askYesNo(const std::string& caption, const std::string& text) {
  return MessageBoxW(nullptr, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(),
                     MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool openWebPage(const std::string& url) {
  // Above 32 is success; the value is a handle only in name.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", wideFromUtf8(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

Outcome<std::string> currentDirectory() {
  // The length asked for first includes the terminator; the directory may
  // change in between, so it is asked again until it fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return Outcome<std::string>::failed(systemErrorText(GetLastError()));
    if (length < buffer.size()) return withoutLongPathForm(utf8FromWide(buffer.data(), length));
    buffer.resize(length);
  }
}
