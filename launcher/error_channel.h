#ifndef VEXIL_LAUNCHER_ERROR_CHANNEL_H_
#define VEXIL_LAUNCHER_ERROR_CHANNEL_H_

#include <string>

/// Shows a failure report to the user. Each program links exactly one
/// implementation: a message box (windowed) or standard output (console).
void showReport(const std::string& report);

#endif  // VEXIL_LAUNCHER_ERROR_CHANNEL_H_
