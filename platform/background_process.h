#ifndef VEXIL_PLATFORM_BACKGROUND_PROCESS_H_
#define VEXIL_PLATFORM_BACKGROUND_PROCESS_H_

// A free function, not a service of the Platform record: portable code reaches
// it through Processes (process.h), whose host answer calls it.

#include <string>
#include <vector>

#include "platform/file_lock.h"

/// A program that makes a file, and what becomes of the file after it.
struct BackgroundInstall {
  std::vector<std::string> argv;  ///< the program and its arguments
  std::string made;               ///< the file the program writes
  /// MADE's name once the program has ended with exit code 0; it is then the
  /// user's alone, and its stamp (file_updates.h) is recorded in STAMP.
  std::string installed;
  std::string stamp;
  /// Made, empty, when the program ends with another exit code or its file
  /// cannot be installed: a try not to repeat. A program killed by a signal
  /// leaves nothing to remember.
  std::string failed;
  std::string input;  ///< removed once the program has ended, as is MADE when not installed
};

/// The host's Processes (process.h) starts its finisher with this.
/// Runs WORK's program without a console, with its standard streams closed
/// and (Linux) at a lower priority, then installs or drops its file as WORK
/// says. LOCK is held until then and released after. False when the program
/// cannot be started (LOCK is then released, WORK's input removed).
///
/// Linux: in the background; this call returns at once, and the process can
/// end while the program runs. Windows: the call waits for the program, as
/// nothing would be left to rename the file once the process has ended.
bool runThenInstall(const BackgroundInstall& work, FileLock lock);

#endif  // VEXIL_PLATFORM_BACKGROUND_PROCESS_H_
