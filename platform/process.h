#ifndef VEXIL_PLATFORM_PROCESS_H_
#define VEXIL_PLATFORM_PROCESS_H_

#include <string>

/// Full path of the running executable, however long it is.
std::string executablePath();

/// Shows TEXT to the user as a warning: a modal message box with an OK button
/// and the exclamation icon where there is a window system, with CAPTION as
/// its title; elsewhere a line on standard error. Returns when it is closed.
void showWarning(const std::string& caption, const std::string& text);

#endif  // VEXIL_PLATFORM_PROCESS_H_
