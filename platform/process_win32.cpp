#include <windows.h>

#include <vector>

#include "platform/process.h"
#include "platform/windows_text.h"

unsigned long currentProcessId() { return GetCurrentProcessId(); }

std::string executablePath() {
  // GetModuleFileNameW cuts a long path short and says so only through the
  // length it returns: grow the buffer until the whole path fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size() || buffer.size() >= 32768) {
      // Started through a \\?\ path, the system reports it in that form.
      return withoutLongPathForm(utf8FromWide(buffer.data(), length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool findExecutablePath(std::string* path, std::string* reason) {
  *path = executablePath();
  if (path->empty()) *reason = "GetModuleFileName failed with error " + std::to_string(GetLastError());
  return !path->empty();
}

void showWarning(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}
