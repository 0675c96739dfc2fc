#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/standard_io.h"

namespace {

/// Why an entry of MODE is no regular file.
FileReadFailure::Kind kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return FileReadFailure::Kind::kFolder;
  if (S_ISFIFO(mode)) return FileReadFailure::Kind::kPipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileReadFailure::Kind::kDevice;
  return FileReadFailure::Kind::kNotAFile;
}

std::FILE* refuse(FileReadFailure* failure, FileReadFailure::Kind kind, int error = 0) {
  *failure = FileReadFailure{kind, error != 0 ? std::strerror(error) : std::string()};
  return nullptr;
}

}  // namespace

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* openRegularFile(const std::string& path, FileReadFailure* failure) {
  // Looked at before it is opened: opening a device can do something (a tape
  // rewinds, a modem line rises).
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return refuse(failure, FileReadFailure::Kind::kSystemError, errno);
  if (!S_ISREG(info.st_mode)) return refuse(failure, kindOf(info.st_mode));
  // Without O_NONBLOCK, opening a named pipe that took the place of the file
  // since waits for a writer; what was opened is looked at again.
  int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file < 0) return refuse(failure, FileReadFailure::Kind::kSystemError, errno);
  int error = 0;
  FileReadFailure::Kind kind = FileReadFailure::Kind::kSystemError;
  int flags = 0;
  if (fstat(file, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    kind = kindOf(info.st_mode);
  } else if ((flags = fcntl(file, F_GETFL)) < 0 || fcntl(file, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    error = errno;
  } else if (std::FILE* stream = fdopen(file, "rb")) {
    return stream;
  } else {
    error = errno;
  }
  close(file);
  return refuse(failure, kind, error);
}

void writeConsoleLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
