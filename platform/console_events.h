#ifndef VEXIL_PLATFORM_CONSOLE_EVENTS_H_
#define VEXIL_PLATFORM_CONSOLE_EVENTS_H_

// Free functions, not a service of the Platform record: the events are taken
// in a signal handler or a console handler of the system, and only the
// hosting of the real runtime listens for them.

/// Console-control events, numbered as Windows numbers them. Where there is no
/// Windows console they arrive as signals: SIGINT is Ctrl+C, SIGHUP the closing
/// of the terminal and SIGTERM the system's shut-down.
enum ConsoleEvent : int {
  kCtrlCEvent = 0,
  kCtrlBreakEvent = 1,
  kCtrlCloseEvent = 2,
  kCtrlLogoffEvent = 5,
  kCtrlShutdownEvent = 6,
};

/// Handles one console event, given its code; returns whether it is handled.
/// Runs on a thread made for that event, so several may run at once, beside
/// the process's other threads. On Windows an unhandled event goes on to the
/// handlers registered before; the signals of other systems always count as
/// handled.
using ConsoleEventCallback = bool (*)(int eventCode);

/// Puts CALLBACK ahead of whatever handles console events in the process now
/// (the Java runtime's handlers included). A signal that the process ignores
/// stays ignored, as the runtime itself leaves it (nohup, background jobs).
/// False when the system refuses; nothing is then changed.
bool addConsoleEventHandler(ConsoleEventCallback callback);

/// Takes the handler out again and restores what handled the events before;
/// nothing happens when none is registered. Where events are signals it also
/// waits until those that arrived while it was registered have been handled;
/// Windows gives no way to wait for a handler thread that has started, so the
/// callback must guard what it touches.
void removeConsoleEventHandler();

#endif  // VEXIL_PLATFORM_CONSOLE_EVENTS_H_
