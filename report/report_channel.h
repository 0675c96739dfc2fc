#ifndef VEXIL_REPORT_REPORT_CHANNEL_H_
#define VEXIL_REPORT_REPORT_CHANNEL_H_

#include <string>

#include "report/failure.h"

/// Where a program shows its failure report.
enum class ReportChannel {
  kStandardOutput,  ///< the console programs: one line on standard output
  kMessageBox,      ///< the windowed program: a warning box captioned with the executable's path
};

/// Shows REPORT to the user through CHANNEL. A box asks whether to open
/// OFFERED_PAGE (a web page the report names; empty: none) and opens it when
/// the user says yes.
void showReport(ReportChannel channel, const std::string& report, const std::string& offeredPage = std::string());

/// While it lives, a failure on this thread that no guarded step can settle
/// is shown through CHANNEL and ends the process at once (report/failure.h).
class DirectReports {
 public:
  explicit DirectReports(ReportChannel channel);
  ~DirectReports();
  DirectReports(const DirectReports&) = delete;
  DirectReports& operator=(const DirectReports&) = delete;

 private:
  ReportChannel m_channel;
};

/// Runs BODY, the whole work of a program, and returns its exit code. A
/// failure is shown through CHANNEL and gives exit code 1 (one raised on this
/// thread outside every guarded step at once, one from elsewhere when it
/// leaves BODY); one that nothing has described is shown as the heading
/// alone.
template <typename Body>
int runReportingFailures(ReportChannel channel, Body&& body) {
  std::string report, page;
  try {
    const DirectReports direct(channel);
    return body();
  } catch (const Failure& failure) {
    report = failure.report();
    page = failure.offeredPage();
  } catch (...) {
    report = Failure().report();
  }
  showReport(channel, report, page);
  return 1;
}

#endif  // VEXIL_REPORT_REPORT_CHANNEL_H_
