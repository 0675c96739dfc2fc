#ifndef VEXIL_PLATFORM_STANDARD_IO_H_
#define VEXIL_PLATFORM_STANDARD_IO_H_

// Free functions, not a service of the Platform record: they serve the host's
// file system (file_system.cpp), the report channel, which writes wherever a
// failure ends a launch with no platform record at hand, and a tool.

#include <cstdio>
#include <string>

#include "platform/file_system.h"

/// Opens the file at PATH with the C library's MODE ("rb", "a", ...). On
/// Windows PATH is UTF-8 and may be of any length. Null when it cannot be
/// opened; errno then says why.
std::FILE* openFile(const std::string& path, const char* mode);

/// Opens the file at PATH for reading bytes when it is a regular file, without
/// waiting for anything (a named pipe without a writer, a device). Null, with
/// why in FAILURE, when it cannot be opened or is no regular file.
std::FILE* openRegularFile(const std::string& path, FileReadFailure* failure);

/// Reads a whole regular file of at most kLargestFileRead bytes. False, with
/// why in FAILURE (which may be null), when it cannot.
bool readWholeFile(const std::string& path, std::string* contents, FileReadFailure* failure);

/// Reads the first MAX_BYTES bytes of a regular file, or all of a shorter one.
bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents);

/// Writes TEXT and a line end to standard output and flushes it.
void writeConsoleLine(const std::string& text);

#endif  // VEXIL_PLATFORM_STANDARD_IO_H_
