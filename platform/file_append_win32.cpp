#include <windows.h>

#include "platform/file_append.h"
#include "platform/windows_text.h"

namespace {

std::string systemMessage(DWORD error) {
  char* text = nullptr;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text ? utf8FromAnsi(std::string(text, length)) : "error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

bool appendLineToFile(const std::string& path, const std::string& line, std::string* reason) {
  // A handle with append access only writes each WriteFile at the end of the
  // file as one piece, whatever other processes append at the same time.
  const std::string text = line + "\r\n";
  HANDLE file =
      CreateFileW(systemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = systemMessage(GetLastError());
    return false;
  }
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
  if (error != 0) *reason = systemMessage(error);
  return error == 0;
}
