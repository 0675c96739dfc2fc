#ifndef VEXIL_PLATFORM_FILE_APPEND_H_
#define VEXIL_PLATFORM_FILE_APPEND_H_

// Free function, not a service of the Platform record: only the debug file
// appends, from wherever a launch is, with no platform record at hand.

#include <string>

#include "platform/outcome.h"

/// Appends LINE and the system's line end to the file at PATH, creating it
/// when missing and never truncating it, in one write: lines that other
/// processes append at the same time are never cut into or mixed with it. The
/// file is closed again before the call returns. Fails with the system's
/// reason when it cannot be written.
Done appendLineToFile(const std::string& path, const std::string& line);

#endif  // VEXIL_PLATFORM_FILE_APPEND_H_
