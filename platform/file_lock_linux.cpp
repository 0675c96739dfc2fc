#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/file_lock.h"

std::optional<long long> lockFileWithoutWaiting(const std::string& path) {
  // Close-on-exec: a program started while the lock is held does not hold it.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return std::nullopt;
  }
  return fd;
}

// A child that inherited the descriptor keeps the lock until it ends.
void closeLockedFile(long long handle) { close(static_cast<int>(handle)); }
