#include <windows.h>

#include "platform/file_append.h"
#include "platform/windows_text.h"

Done appendLineToFile(const std::string& path, const std::string& line) {
  // A handle with append access only writes each WriteFile at the end of the
  // file as one piece, whatever other processes append at the same time.
  const std::string text = line + "\r\n";
  HANDLE file =
      CreateFileW(systemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Done::failed(systemErrorText(GetLastError()));
  DWORD error = 0;
  if (text.size() > MAXDWORD) {
    error = ERROR_ARITHMETIC_OVERFLOW;
  } else {
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
      error = GetLastError();
    } else if (written != text.size()) {
      error = ERROR_WRITE_FAULT;
    }
  }
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  return error == 0 ? Done() : Done::failed(systemErrorText(error));
}
