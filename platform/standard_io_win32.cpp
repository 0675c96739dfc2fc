#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/standard_io.h"
#include "platform/windows_text.h"

std::FILE* openFile(const std::string& path, const char* mode) {
  // The C library keeps the system's own error code beside errno, but only
  // sets it when a system call failed.
  _doserrno = 0;
  return _wfopen(systemPath(path).c_str(), wideFromUtf8(mode).c_str());
}

std::string lastFileFailureReason() {
  const unsigned long error = _doserrno;
  return error != 0 ? systemErrorMessage(error) : std::strerror(errno);
}

void writeConsoleLine(const std::string& text) {
  std::fflush(stdout);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode;
  if (output != nullptr && output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode)) {
    // A console window shows UTF-16 whatever its code page.
    std::wstring line = wideFromUtf8(text) + L"\r\n";
    const wchar_t* rest = line.data();
    DWORD left = static_cast<DWORD>(line.size());
    DWORD written = 0;
    while (left > 0 && WriteConsoleW(output, rest, left, &written, nullptr) && written > 0) {
      rest += written;
      left -= written;
    }
    return;
  }
  // A file or a pipe gets the UTF-8 bytes; stdout is in text mode, so the
  // line end is written as CR LF.
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
