#include "launcher/error_reporting.h"

#include <cstdlib>

#include "launcher/error_channel.h"

const std::string kErrorHeading = "Error in Java launcher.";

namespace {

ReportHook g_reportHook = nullptr;

[[noreturn]] void reportAndExit(const std::string& report) {
  if (g_reportHook) {
    g_reportHook(report);
    throw FailureReported{report};  // a hook that returns still must not go on
  }
  showReport(report);
  std::exit(1);
}

}  // namespace

void setReportHook(ReportHook hook) { g_reportHook = hook; }

void exitWithError(const std::string& message) { reportAndExit(kErrorHeading + " " + message); }

void exitWithGenericError() { reportAndExit(kErrorHeading); }
