#ifndef VEXIL_PLATFORM_BACKGROUND_PROCESS_H_
#define VEXIL_PLATFORM_BACKGROUND_PROCESS_H_

#include <string>
#include <vector>

#include "platform/file_lock.h"

/// Runs the program ARGV[0] with ARGV, without a console, with its standard
/// streams closed and (Linux) at a lower priority, and when it ends with exit code 0 renames the
/// file MADE to INSTALLED. LOCK is held until then and released after.
/// False when the program cannot be started (LOCK is then released).
///
/// Linux: in the background; this call returns at once, and the process can
/// end while the program runs. Windows: the call waits for the program, as
/// nothing would be left to rename the file once the process has ended.
bool runThenInstall(const std::vector<std::string>& argv, const std::string& made, const std::string& installed,
                    FileLock lock);

#endif  // VEXIL_PLATFORM_BACKGROUND_PROCESS_H_
