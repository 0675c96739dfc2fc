#ifndef VEXIL_HOSTING_CONSOLE_CONTROL_H_
#define VEXIL_HOSTING_CONSOLE_CONTROL_H_

// Console-control trapping: console events (Ctrl+C, Ctrl+Break, closing the
// console, shut-down; on POSIX systems SIGINT, SIGHUP and SIGTERM) become a
// call of the main class's static initiateExit(int) with 0, so that the Java
// application can end itself in order.

/// What one console event does. Ctrl+C, Ctrl+Break, closing the console and
/// shut-down (codes 0, 1, 2, 6) ask the running application to end itself
/// through the forwarder given to addConsoleCtrlHandler; log-off (5) is swallowed. Returns whether the event counts as
/// handled: true for those five, whatever came of the request; false for any
/// other code. Called on a thread of the event's own.
bool consoleCtrlHandler(int eventCode);

/// Asks the running application to end itself; called on an event's thread.
using ExitRequestForwarder = void (*)();

/// Lets consoleCtrlHandler forward to FORWARD and registers it ahead of every
/// console handler that exists, the runtime's included. False when the system
/// refuses.
bool addConsoleCtrlHandler(ExitRequestForwarder forward);

/// From now on no event touches the runtime. Waits for requests already being
/// forwarded, so call it after the runtime has been destroyed and before its
/// library is freed.
void stopForwardingExitRequests();

/// Takes the handler out; nothing happens when none is registered.
void removeConsoleCtrlHandler();

#endif  // VEXIL_HOSTING_CONSOLE_CONTROL_H_
