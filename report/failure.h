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
  explicit Failure(std::string words = std::string(), bool settled = false)
      : m_words(std::move(words)),
        m_settled(settled) {}

  /// The words after the heading; empty for the heading alone.
  const std::string& words() const { return m_words; }
  /// Whether a guarded step has decided the words.
  bool isSettled() const { return m_settled; }
  /// The whole text the user sees.
  std::string report() const;

 private:
  std::string m_words;
  bool m_settled;
};

/// Raises a failure whose report is the heading and WORDS.
[[noreturn]] inline void raiseFailure(const std::string& words) { throw Failure(words); }

/// Raises a failure that the step around it describes with its generic text.
[[noreturn]] inline void raiseUnexplainedFailure() { throw Failure(); }

/// Ends a step with the report of the heading and WORDS, settled.
[[noreturn]] inline void failWithReport(const std::string& words) { throw Failure(words, true); }

/// Runs BODY; any failure inside it is reported with GENERIC_TEXT.
template <typename Body>
decltype(auto) guardedStep(const char* genericText, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled()) throw;
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
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled()) throw;
    failWithReport(failure.words().empty() ? std::string(genericText) : failure.words());
  } catch (...) {
    failWithReport(genericText);
  }
}

/// Runs BODY; a failure that nothing has described is reported as the
/// heading alone.
template <typename Body>
decltype(auto) topLevelGuard(Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const Failure& failure) {
    if (failure.isSettled() || !failure.words().empty()) throw;
    throw Failure(std::string(), true);
  } catch (...) {
    throw Failure(std::string(), true);
  }
}

#endif  // VEXIL_REPORT_FAILURE_H_
