#ifndef VEXIL_PLATFORM_PROCESS_H_
#define VEXIL_PLATFORM_PROCESS_H_

// The free functions below, besides Processes, are not services of the Platform
// record: the entry points, the report channel and the debug file use them on
// the real system, wherever a launch is, with no platform record at hand.

#include <string>

#include "platform/background_process.h"
#include "platform/outcome.h"

/// Full path of the running executable, however long it is, or the system's
/// reason when it cannot be told (on Linux without /proc, for instance).
Outcome<std::string> executablePath();

/// The process's current directory, or the system's reason when it cannot be
/// told.
Outcome<std::string> currentDirectory();
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

/// What portable code (the class-data cache) asks of processes: the host's
/// answers come from the functions above and runThenInstall; tests use a
/// stand-in that runs nothing.
class Processes {
 public:
  virtual ~Processes() = default;

  /// As currentProcessId.
  virtual unsigned long currentId() const = 0;
  /// As runThenInstall: fails when the program cannot be started.
  virtual Done runThenInstall(const BackgroundInstall& work, FileLock lock) = 0;
};

/// The running system's processes.
Processes& hostProcesses();

#endif  // VEXIL_PLATFORM_PROCESS_H_
