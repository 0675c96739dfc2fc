#include "report/report_channel.h"

#include <cstdlib>

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

namespace {

thread_local ReportChannel t_channel = ReportChannel::kStandardOutput;

[[noreturn]] void showAndExit(const std::string& report) {
  showReport(t_channel, report);
  std::exit(1);
}

}  // namespace

DirectReports::DirectReports(ReportChannel channel) {
  t_channel = channel;
  failure_route::t_showAndExit = &showAndExit;
}

DirectReports::~DirectReports() { failure_route::t_showAndExit = nullptr; }
