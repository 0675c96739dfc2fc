#include "hosting/console_control.h"

#include <condition_variable>
#include <mutex>

#include "platform/console_events.h"

namespace {

// Whether events may reach the runtime, and how many are doing so now. Once
// the runtime is destroyed its library is freed: an event must not call into
// it from then on, nor be inside it when that happens.
struct ForwardingGate {
  std::mutex lock;
  std::condition_variable idle;
  bool open = false;
  int inside = 0;
  ExitRequestForwarder forward = nullptr;
};

ForwardingGate& gate() {
  // Shared with consoleCtrlHandler, which the system calls without a pointer
  // of ours. Never destroyed: an event thread may still be running when the
  // process exits.
  static ForwardingGate* const shared = new ForwardingGate;
  return *shared;
}

void forwardToHost() {
  ForwardingGate& forwarding = gate();
  ExitRequestForwarder forward;
  {
    std::lock_guard<std::mutex> hold(forwarding.lock);
    if (!forwarding.open || !forwarding.forward) return;
    forward = forwarding.forward;
    ++forwarding.inside;
  }
  // Not under the lock: a second event forwards at the same time as the first.
  forward();
  std::lock_guard<std::mutex> hold(forwarding.lock);
  if (--forwarding.inside == 0) forwarding.idle.notify_all();
}

}  // namespace

bool consoleCtrlHandler(int eventCode) {
  switch (eventCode) {
    case kCtrlCEvent:
    case kCtrlBreakEvent:
    case kCtrlCloseEvent:
    case kCtrlShutdownEvent:
      forwardToHost();
      return true;
    case kCtrlLogoffEvent:
      return true;
    default:
      return false;
  }
}

bool addConsoleCtrlHandler(ExitRequestForwarder forward) {
  ForwardingGate& forwarding = gate();
  {
    std::lock_guard<std::mutex> hold(forwarding.lock);
    forwarding.open = true;
    forwarding.forward = forward;
  }
  if (addConsoleEventHandler(consoleCtrlHandler)) return true;
  std::lock_guard<std::mutex> hold(forwarding.lock);
  forwarding.open = false;
  return false;
}

void stopForwardingExitRequests() {
  ForwardingGate& forwarding = gate();
  std::unique_lock<std::mutex> hold(forwarding.lock);
  forwarding.open = false;
  forwarding.idle.wait(hold, [&] { return forwarding.inside == 0; });
}

void removeConsoleCtrlHandler() { removeConsoleEventHandler(); }
