#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
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

std::FILE* openRegularFile(const std::string& path, FileReadFailure* failure) {
  const std::wstring name = systemPath(path);
  // A folder cannot be opened as a file: its attributes say why.
  DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *failure = FileReadFailure{FileReadFailure::Kind::kFolder, std::string()};
    return nullptr;
  }
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *failure = FileReadFailure{FileReadFailure::Kind::kSystemError, systemErrorText(GetLastError())};
    return nullptr;
  }
  // A device (CON, COM1) or a named pipe opens at once, but reading it can
  // wait for ever.
  FileReadFailure::Kind kind = FileReadFailure::Kind::kNotAFile;
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: {
      int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
      std::FILE* stream = descriptor >= 0 ? _fdopen(descriptor, "rb") : nullptr;
      if (stream) return stream;
      *failure = FileReadFailure{FileReadFailure::Kind::kSystemError, std::strerror(errno)};
      if (descriptor >= 0) {
        _close(descriptor);  // closes the handle too
      } else {
        CloseHandle(handle);
      }
      return nullptr;
    }
    case FILE_TYPE_CHAR:
      kind = FileReadFailure::Kind::kDevice;
      break;
    case FILE_TYPE_PIPE:
      kind = FileReadFailure::Kind::kPipe;
      break;
    default:
      break;
  }
  CloseHandle(handle);
  *failure = FileReadFailure{kind, std::string()};
  return nullptr;
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
