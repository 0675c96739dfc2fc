#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_append.h"

Done appendLineToFile(const std::string& path, const std::string& line) {
  // The whole line goes to the kernel in one write on a file opened for
  // appending: the kernel puts it at the end in one piece. Through the C
  // library a long line would leave in several writes, between which another
  // process's line can land.
  // O_NONBLOCK: a named pipe that nothing reads refuses the open at once
  // (ENXIO), and one whose reader stops refuses the write (EAGAIN), instead
  // of holding up the launch; a regular file does not notice it.
  const std::string text = line + "\n";
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (file < 0) return Done::failed(std::strerror(errno));
  std::size_t written = 0;
  int error = 0;
  while (written < text.size()) {
    ssize_t count = write(file, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      error = count < 0 ? errno : EIO;
      break;
    }
    written += static_cast<std::size_t>(count);
  }
  if (close(file) != 0 && error == 0) error = errno;
  return error == 0 ? Done() : Done::failed(std::strerror(error));
}
