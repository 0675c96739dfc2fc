#include <windows.h>

#include "platform/file_lock.h"
#include "platform/windows_text.h"

namespace {

class Win32FileLocks : public FileLocks {
 public:
  FileLock tryExclusive(const std::string& path) override {
    HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FileLock();
    OVERLAPPED whole = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
      CloseHandle(file);
      return FileLock();
    }
    return FileLock(this, reinterpret_cast<long long>(file));
  }

 private:
  void release(long long handle) override { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
};

}  // namespace

FileLocks& hostFileLocks() {
  static Win32FileLocks locks;
  return locks;
}
