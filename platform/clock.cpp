#include "platform/clock.h"

#include <ctime>

namespace {

class HostClock : public Clock {
 public:
  std::int64_t nowSeconds() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

}  // namespace

const Clock& hostClock() {
  static const HostClock clock;
  return clock;
}
