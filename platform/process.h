#ifndef VEXIL_PLATFORM_PROCESS_H_
#define VEXIL_PLATFORM_PROCESS_H_

#include <string>

/// Full path of the running executable, however long it is; empty when the
/// system cannot tell it.
std::string executablePath();

/// The same, or false with the system's reason in REASON when it cannot be
/// told (on Linux without /proc, for instance).
bool findExecutablePath(std::string* path, std::string* reason);

/// The process's current directory; empty when the system cannot tell it.
std::string currentDirectory();
/// The system's number for this process.
unsigned long currentProcessId();

/// Shows TEXT to the user as a warning: a modal message box with an OK button
/// and the exclamation icon where there is a window system, with CAPTION as
/// its title; elsewhere a line on standard error. Returns when it is closed.
void showWarning(const std::string& caption, const std::string& text);

/// Asks TEXT as a question: a modal box with Yes and No buttons and the
/// exclamation icon, titled CAPTION, where there is a window system (else a
/// line on standard error, answered no). True when the user chose Yes.
bool askYesNo(const std::string& caption, const std::string& text);

/// Opens the web page URL with the user's default browser; false when the
/// system could not.
bool openWebPage(const std::string& url);

#endif  // VEXIL_PLATFORM_PROCESS_H_
