#include "report/diagnostics_log.h"

#include "platform/file_append.h"
#include "platform/process.h"
#include "report/messages.h"

void appendLogLine(const std::string& path, const std::string& line) {
  try {
    const Done appended = appendLineToFile(path, line);
    if (!appended) {
      showWarning(executablePath().valueOr(std::string()),
                  message::kCannotWriteDebugFile + path + ": " + appended.why());
    }
  } catch (...) {
    // Out of memory while building the line or the warning: the line is
    // lost, the launch goes on.
  }
}
