#ifndef VEXIL_REPORT_FAILURE_H_
#define VEXIL_REPORT_FAILURE_H_

#include <string>
#include <utility>

// How a failure reaches the user. A step that detects a failure raises a
// Failure carrying the words of its report. A guarded step settles the
// failures that leave it: with its own generic text, or, where it passes the
// raised words on, with those. The first step to settle a failure decides its
// words; the steps around it let it pass untouched. The launch sequence shows
// the report once, through its program's channel (report/report_channel.h),
// and the process ends with exit code 1.

/// The one failure of a run.
class Failure {
 public:
  /// A failure whose report is the heading alone, or the heading and WORDS.
  explicit Failure(std::string words = std::string(), bool settled = false, std::string offeredPage = std::string())
      : m_words(std::move(words)),
        m_settled(settled),
        m_offeredPage(std::move(offeredPage)) {}

  /// The words after the heading; empty for the heading alone.
  const std::string& words() const { return m_words; }
  /// Whether a guarded step has decided the words.
  bool isSettled() const { return m_settled; }
  /// A web page that the words name and a windowed program offers to open;
  /// empty for none. It goes with the words.
  const std::string& offeredPage() const { return m_offeredPage; }
  /// The whole text the user sees.
  std::string report() const;

 private:
  std::string m_words;
  bool m_settled;
  std::string m_offeredPage;
};

namespace failure_route {

/// While a program's whole work runs on this thread (runReportingFailures in
/// report/report_channel.h): shows a report through the program's channel and
/// ends the process with exit code 1. Null on other threads and in tests,
/// where every failure travels as an exception.
extern thread_local void (*t_showAndExit)(const Failure& failure);
/// The guarded steps running on this thread.
extern thread_local int t_openSteps;

/// A failure that no guarded step can settle any more is shown at once and
/// ends the process, as the JDK's own launcher does: unwinding to the top
/// would lead to the same report, at a cost larger than the rest of a failing
/// launch's work. Otherwise it goes on as an exception.
inline void endIfUnguarded(const Failure& failure) {
  if (t_showAndExit && t_openSteps == 0) t_showAndExit(failure);
}

/// Counts a guarded step as running while it lives.
struct OpenStep {
  OpenStep() { ++t_openSteps; }
  ~OpenStep() { --t_openSteps; }
  OpenStep(const OpenStep&) = delete;
  OpenStep& operator=(const OpenStep&) = delete;
};

[[noreturn]] inline void raise(const Failure& failure) {
  endIfUnguarded(failure);
  throw failure;
}

/// Lets the failure being handled pass on, settled as it is.
[[noreturn]] inline void passOn(const Failure& failure) {
  endIfUnguarded(failure);
  throw;
}

}  // namespace failure_route

/// Raises a failure whose report is the heading and WORDS.
[[noreturn]] inline void raiseFailure(const std::string& words) { failure_route::raise(Failure(words)); }

/// Raises a failure whose report is the heading and WORDS, which name PAGE.
[[noreturn]] inline void raiseFailureOfferingPage(const std::string& words, const std::string& page) {
  failure_route::raise(Failure(words, false, page));
}

/// Raises a failure that the step around it describes with its generic text.
[[noreturn]] inline void raiseUnexplainedFailure() { failure_route::raise(Failure()); }

/// Ends a step with the report of the heading and WORDS, settled.
[[noreturn]] inline void failWithReport(const std::string& words) { failure_route::raise(Failure(words, true)); }

/// Runs BODY; any failure inside it is reported with GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStep(const char* genericText, Body&& body) {
  try {
    const failure_route::OpenStep open;
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled()) failure_route::passOn(failure);
    failWithReport(genericText);
  } catch (...) {
    failWithReport(genericText);
  }
}

/// Runs BODY; raised words are reported as they are, any other failure with
/// GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStepPassingPayload(const char* genericText, Body&& body) {
  try {
    const failure_route::OpenStep open;
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled()) failure_route::passOn(failure);
    if (failure.words().empty()) failWithReport(genericText);
    failure_route::raise(Failure(failure.words(), true, failure.offeredPage()));
  } catch (...) {
    failWithReport(genericText);
  }
}

#endif  // VEXIL_REPORT_FAILURE_H_
