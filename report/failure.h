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

// A failure normally travels as an exception to the program's entry point
// (runReportingFailures in report/report_channel.h). On the thread of a
// program's whole work it ends the process sooner, once no guarded step can
// settle it any more: unwinding the rest of the way costs more than the rest
// of a failing launch's work (report/failure.cpp says how much). This is the
// one place that ends a program early.

/// Shows FAILURE and ends the process with exit code 1 when this thread runs
/// a program's whole work and no guarded step is open; otherwise returns.
void endIfUnguarded(const Failure& failure);

/// Counts a guarded step as running while it lives.
struct OpenStep {
  OpenStep();
  ~OpenStep();
  OpenStep(const OpenStep&) = delete;
  OpenStep& operator=(const OpenStep&) = delete;
};

[[noreturn]] inline void raise(const Failure& failure) {
  endIfUnguarded(failure);
  throw failure;
}

/// Runs BODY; a failure that leaves it unsettled is settled with its raised
/// words when PASS_WORDS and it has some, else with GENERIC_TEXT. A settled
/// one passes as it is.
template <typename Body>
decltype(auto) runGuarded(const char* genericText, bool passWords, Body&& body) {
  try {
    const OpenStep open;
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled()) {
      endIfUnguarded(failure);
      throw;
    }
    if (passWords && !failure.words().empty()) raise(Failure(failure.words(), true, failure.offeredPage()));
    raise(Failure(genericText, true));
  } catch (...) {
    raise(Failure(genericText, true));
  }
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
  return failure_route::runGuarded(genericText, false, std::forward<Body>(body));
}

/// Runs BODY; raised words are reported as they are, any other failure with
/// GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStepPassingPayload(const char* genericText, Body&& body) {
  return failure_route::runGuarded(genericText, true, std::forward<Body>(body));
}

#endif  // VEXIL_REPORT_FAILURE_H_
