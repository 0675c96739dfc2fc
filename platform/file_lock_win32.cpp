#include <windows.h>

#include "platform/file_lock.h"
#include "platform/windows_text.h"

FileLock FileLock::tryExclusive(const std::string& path) {
  HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileLock();
  OVERLAPPED whole = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(file);
    return FileLock();
  }
  return FileLock(reinterpret_cast<long long>(file));
}

void FileLock::release() {
  if (m_handle == kNone) return;
  CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNone;
}
