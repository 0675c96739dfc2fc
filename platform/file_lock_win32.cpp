#include <windows.h>

#include "platform/file_lock.h"
#include "platform/windows_text.h"

std::optional<long long> lockFileWithoutWaiting(const std::string& path) {
  HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  OVERLAPPED whole = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(file);
    return std::nullopt;
  }
  return reinterpret_cast<long long>(file);
}

void closeLockedFile(long long handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
