// The host's processes over the system's functions: the same on every system.
#include "platform/process.h"

namespace {

class HostProcesses : public Processes {
 public:
  unsigned long currentId() const override { return currentProcessId(); }
  Done runThenInstall(const BackgroundInstall& work, FileLock lock) override {
    return ::runThenInstall(work, std::move(lock)) ? Done() : Done::failed();
  }
};

}  // namespace

Processes& hostProcesses() {
  static HostProcesses processes;
  return processes;
}
