#include <windows.h>

#include <atomic>

#include "platform/console_events.h"

namespace {

std::atomic<ConsoleEventCallback> g_callback{nullptr};
bool g_registered = false;

// Windows calls this on a thread it makes for each event, last registered first.
BOOL WINAPI handlerRoutine(DWORD eventCode) {
  ConsoleEventCallback callback = g_callback.load();
  return callback && callback(static_cast<int>(eventCode)) ? TRUE : FALSE;
}

}  // namespace

bool addConsoleEventHandler(ConsoleEventCallback callback) {
  g_callback.store(callback);
  if (g_registered) return true;
  g_registered = SetConsoleCtrlHandler(handlerRoutine, TRUE) != FALSE;
  return g_registered;
}

void removeConsoleEventHandler() {
  // The result is of no use: removing fails only when nothing was registered.
  SetConsoleCtrlHandler(handlerRoutine, FALSE);
  g_registered = false;
}
