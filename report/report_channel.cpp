#include "report/report_channel.h"

#include "platform/process.h"
#include "platform/standard_io.h"

void showReport(ReportChannel channel, const std::string& report) {
  if (channel == ReportChannel::kMessageBox) {
    // The launcher has no window of its own: the box has no owner and carries
    // the executable's path as its caption.
    showWarning(executablePath(), report);
  } else {
    writeConsoleLine(report);
  }
}
