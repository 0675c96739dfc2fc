#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/file_lock.h"

FileLock FileLock::tryExclusive(const std::string& path) {
  // Close-on-exec: a program started while the lock is held does not hold it.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return FileLock();
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return FileLock();
  }
  return FileLock(fd);
}

void FileLock::release() {
  if (m_handle == kNone) return;
  // A child that inherited the descriptor keeps the lock until it ends.
  close(static_cast<int>(m_handle));
  m_handle = kNone;
}
