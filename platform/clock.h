#ifndef VEXIL_PLATFORM_CLOCK_H_
#define VEXIL_PLATFORM_CLOCK_H_

#include <cstdint>

/// The time of day, for the ages of files: the host's is the system's, a
/// test's is set by the test.
class Clock {
 public:
  virtual ~Clock() = default;

  /// Seconds since 1970, as FileStamp::modifiedSeconds counts them.
  virtual std::int64_t nowSeconds() const = 0;
};

/// The running system's clock.
const Clock& hostClock();

#endif  // VEXIL_PLATFORM_CLOCK_H_
