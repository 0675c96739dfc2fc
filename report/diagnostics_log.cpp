#include "report/diagnostics_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/process.h"
#include "platform/standard_io.h"
#include "report/messages.h"

namespace {

void warnAboutFile(const std::string& path, int error) {
  std::string text = message::kCannotWriteDebugFile + path;
  if (error != 0) text += ": " + std::string(std::strerror(error));
  showWarning(executablePath(), text);
}

}  // namespace

void appendLogLine(const std::string& path, const std::string& line) {
  try {
    // Append mode creates a missing file, keeps what the file holds and puts
    // every write at its end; text mode turns the line end into CR LF where
    // that is the system's line end. The runtime's fopen shares the file.
    errno = 0;
    std::FILE* file = openFile(path, "a");
    if (!file) {
      warnAboutFile(path, errno);
      return;
    }
    errno = 0;
    bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size() && std::fputc('\n', file) != EOF;
    int writeError = errno;
    bool flushed = std::fflush(file) == 0;
    int flushError = errno;
    bool closed = std::fclose(file) == 0;
    int closeError = errno;
    if (!written) {
      warnAboutFile(path, writeError);
    } else if (!flushed) {
      warnAboutFile(path, flushError);
    } else if (!closed) {
      warnAboutFile(path, closeError);
    }
  } catch (...) {
    // Out of memory while building the warning: the line is lost, the
    // launch goes on.
  }
}
