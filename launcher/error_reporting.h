#ifndef VEXIL_LAUNCHER_ERROR_REPORTING_H_
#define VEXIL_LAUNCHER_ERROR_REPORTING_H_

#include <string>
#include <utility>

// How a failure reaches the user. A step that detects a failure itself raises
// the whole message as a std::string; the innermost guarded step around it
// turns what it catches into the one report of the run, shown through the
// build's channel, and the process ends with exit code 1.

/// "Error in Java launcher.": the first words of every report.
extern const std::string kErrorHeading;

/// Shows kErrorHeading, a space and MESSAGE, then ends the process with 1.
[[noreturn]] void exitWithError(const std::string& message);

/// Shows kErrorHeading alone, then ends the process with 1.
[[noreturn]] void exitWithGenericError();

/// Raises a failure whose payload is MESSAGE.
[[noreturn]] inline void raiseFailure(const std::string& message) { throw message; }

/// Thrown instead of ending the process when a report hook is installed
/// (unit tests and fuzzers), so that one process can observe many reports.
/// Guarded steps let it pass untouched.
struct FailureReported {
  std::string report;  ///< the whole text the user would have seen
};

/// Replaces the channel and the exit by HOOK, which must not return (it
/// throws FailureReported). Null restores the real behaviour.
using ReportHook = void (*)(const std::string& report);
void setReportHook(ReportHook hook);

/// Runs BODY; any failure inside it is reported with GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStep(const char* genericText, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const FailureReported&) {
    throw;
  } catch (...) {
    exitWithError(genericText);
  }
}

/// Runs BODY; a raised message is reported in its own words, any other
/// failure with GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStepPassingPayload(const char* genericText, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const FailureReported&) {
    throw;
  } catch (const std::string& payload) {
    exitWithError(payload);
  } catch (...) {
    exitWithError(genericText);
  }
}

/// Runs BODY; any failure inside it is reported as the heading alone.
template <typename Body>
decltype(auto) topLevelGuard(Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const FailureReported&) {
    throw;
  } catch (...) {
    exitWithGenericError();
  }
}

#endif  // VEXIL_LAUNCHER_ERROR_REPORTING_H_
