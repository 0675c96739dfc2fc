#ifndef VEXIL_FUZZ_FUZZ_SUPPORT_H_
#define VEXIL_FUZZ_FUZZ_SUPPORT_H_

// Header only: small helpers inlined into each fuzz target.

// Shared by the fuzz targets. A failure report is an ordinary outcome for
// hostile input: the target catches the failure, so that only crashes, hangs
// and sanitizer reports count as findings.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/failure.h"
#include "report/messages.h"

namespace fuzz {

/// Runs BODY; true when it completed, false when it ended in a report.
template <typename Body>
bool completes(Body&& body) {
  try {
    body();
    return true;
  } catch (const Failure& failure) {
    // Every report begins with the heading; anything else is a broken report.
    const std::string report = failure.report();
    if (report.compare(0, sizeof message::kHeading - 1, message::kHeading) != 0) {
      std::fprintf(stderr, "malformed report: %s\n", report.c_str());
      std::abort();
    }
    return false;
  }
}

/// TEXT without the blanks the configuration trims (space, tab, line feed)
/// at either end; written out here, not taken from the code under test, so
/// that the targets check it.
inline std::string trimmed(const std::string& text) {
  const char blanks[] = " \t\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) + 1 - first);
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
