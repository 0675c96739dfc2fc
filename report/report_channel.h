#ifndef VEXIL_REPORT_REPORT_CHANNEL_H_
#define VEXIL_REPORT_REPORT_CHANNEL_H_

#include <string>

#include "report/failure.h"

/// Where a program shows its failure report.
enum class ReportChannel {
  kStandardOutput,  ///< the console programs: one line on standard output
  kMessageBox,      ///< the windowed program: a warning box captioned with the executable's path
};

/// Shows REPORT to the user through CHANNEL.
void showReport(ReportChannel channel, const std::string& report);

/// Runs BODY, the whole work of a program, and returns its exit code. A
/// failure that leaves it is shown through CHANNEL and gives exit code 1.
template <typename Body>
int runReportingFailures(ReportChannel channel, Body&& body) {
  std::string report;
  try {
    return topLevelGuard(body);
  } catch (const Failure& failure) {
    report = failure.report();
  } catch (...) {
    report = Failure().report();
  }
  showReport(channel, report);
  return 1;
}

#endif  // VEXIL_REPORT_REPORT_CHANNEL_H_
