#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/file_lock.h"

namespace {

class LinuxFileLocks : public FileLocks {
 public:
  FileLock tryExclusive(const std::string& path) override {
    // Close-on-exec: a program started while the lock is held does not hold it.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return FileLock();
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return FileLock();
    }
    return FileLock(this, fd);
  }

 private:
  // A child that inherited the descriptor keeps the lock until it ends.
  void release(long long handle) override { close(static_cast<int>(handle)); }
};

}  // namespace

FileLocks& hostFileLocks() {
  static LinuxFileLocks locks;
  return locks;
}
