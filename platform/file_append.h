#ifndef VEXIL_PLATFORM_FILE_APPEND_H_
#define VEXIL_PLATFORM_FILE_APPEND_H_

#include <string>

/// Appends LINE and the system's line end to the file at PATH, creating it
/// when missing and never truncating it, in one write: lines that other
/// processes append at the same time are never cut into or mixed with it. The
/// file is closed again before the call returns. False, with the system's
/// reason in REASON, when it cannot be written.
bool appendLineToFile(const std::string& path, const std::string& line, std::string* reason);

#endif  // VEXIL_PLATFORM_FILE_APPEND_H_
