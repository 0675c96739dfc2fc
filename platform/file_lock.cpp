// The host's locks over the system's functions: the same on every system.
#include "platform/file_lock.h"

namespace {

class HostFileLocks : public FileLocks {
 public:
  FileLock tryExclusive(const std::string& path) override {
    const std::optional<long long> handle = lockFileWithoutWaiting(path);
    return handle ? FileLock(this, *handle) : FileLock();
  }

 private:
  void release(long long handle) override { closeLockedFile(handle); }
};

}  // namespace

FileLocks& hostFileLocks() {
  static HostFileLocks locks;
  return locks;
}
