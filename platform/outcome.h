#ifndef VEXIL_PLATFORM_OUTCOME_H_
#define VEXIL_PLATFORM_OUTCOME_H_

// Header only: a small value type, wholly defined by its template.

#include <optional>
#include <string>
#include <utility>

/// What an operating-system service answers: the value it gave, or why it
/// gave none. WHY is the system's reason in its own words unless the service
/// tells its failures apart (reading a whole file, say); it may be empty where
/// the system said nothing. The floors above turn a reason they must report
/// into a Failure; the platform itself never raises and never ends the process.
template <typename T, typename Why = std::string>
class Outcome {
 public:
  /// A service that succeeded returns its value as it is.
  Outcome(T value) : m_value(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  static Outcome failed(Why why = Why()) { return Outcome(std::move(why), 0); }

  bool ok() const { return m_value.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *m_value; }
  T& value() & { return *m_value; }
  T&& value() && { return std::move(*m_value); }
  const T& operator*() const& { return *m_value; }
  T& operator*() & { return *m_value; }
  const T* operator->() const { return &*m_value; }
  T* operator->() { return &*m_value; }
  /// The value, or FALLBACK where the caller can go on without one.
  T valueOr(T fallback) const& { return m_value ? *m_value : std::move(fallback); }
  /// Why there is no value; empty (or as made) after a success.
  const Why& why() const { return m_why; }

 private:
  Outcome(Why why, int) : m_why(std::move(why)) {}
  std::optional<T> m_value;
  Why m_why{};
};

/// The answer of a service that gives no value: done, or why not.
template <typename Why>
class Outcome<void, Why> {
 public:
  Outcome() = default;
  static Outcome failed(Why why = Why()) {
    Outcome outcome;
    outcome.m_failed = true;
    outcome.m_why = std::move(why);
    return outcome;
  }

  bool ok() const { return !m_failed; }
  explicit operator bool() const { return ok(); }
  const Why& why() const { return m_why; }

 private:
  bool m_failed = false;
  Why m_why{};
};

/// A service's success without a value.
using Done = Outcome<void>;

#endif  // VEXIL_PLATFORM_OUTCOME_H_
