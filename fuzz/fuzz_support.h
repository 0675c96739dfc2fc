#ifndef VEXIL_FUZZ_FUZZ_SUPPORT_H_
#define VEXIL_FUZZ_FUZZ_SUPPORT_H_

// Shared by the fuzz targets. A failure report is an ordinary outcome for
// hostile input: the hook turns it into an exception that the target catches,
// so that only crashes, hangs and sanitizer reports count as findings.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/error_reporting.h"

namespace fuzz {

/// Installs the report hook once per process.
inline void captureReports() {
  static const bool installed = [] {
    setReportHook([](const std::string& report) { throw FailureReported{report}; });
    return true;
  }();
  (void)installed;
}

/// Runs BODY; true when it completed, false when it ended in a report.
template <typename Body>
bool completes(Body&& body) {
  captureReports();
  try {
    body();
    return true;
  } catch (const FailureReported& failure) {
    // Every report begins with the heading; anything else is a broken report.
    if (failure.report.compare(0, kErrorHeading.size(), kErrorHeading) != 0) {
      std::fprintf(stderr, "malformed report: %s\n", failure.report.c_str());
      std::abort();
    }
    return false;
  }
}

/// Stops the run with MESSAGE when CONDITION is false: a broken invariant is
/// a finding like a crash.
inline void require(bool condition, const char* message) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", message);
    std::abort();
  }
}

}  // namespace fuzz

#endif  // VEXIL_FUZZ_FUZZ_SUPPORT_H_
