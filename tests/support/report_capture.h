#ifndef VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_
#define VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_

#include <string>

#include "launcher/error_reporting.h"

/// While alive, failure reports throw FailureReported instead of ending the
/// process.
class ScopedReportCapture {
 public:
  ScopedReportCapture();
  ~ScopedReportCapture();
  ScopedReportCapture(const ScopedReportCapture&) = delete;
  ScopedReportCapture& operator=(const ScopedReportCapture&) = delete;
};

/// The report BODY ends with, or "<no report>" when it completes.
template <typename Body>
std::string reportOf(Body&& body) {
  ScopedReportCapture capture;
  try {
    body();
  } catch (const FailureReported& failure) {
    return failure.report;
  }
  return "<no report>";
}

/// The report a failure with MESSAGE gives: the heading, a space, MESSAGE.
inline std::string reportText(const std::string& message) { return kErrorHeading + " " + message; }

#endif  // VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_
