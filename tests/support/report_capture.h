#ifndef VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_
#define VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_

// Header only: one template.

#include <string>

#include "report/failure.h"
#include "report/messages.h"

/// The report BODY ends with, as the launch sequence would show it, or
/// "<no report>" when it completes.
template <typename Body>
std::string reportOf(Body&& body) {
  try {
    body();
  } catch (const Failure& failure) {
    return failure.report();
  }
  return "<no report>";
}

#endif  // VEXIL_TESTS_SUPPORT_REPORT_CAPTURE_H_
