#ifndef VEXIL_PLATFORM_STANDARD_IO_H_
#define VEXIL_PLATFORM_STANDARD_IO_H_

#include <cstdio>
#include <string>

/// Opens the file at PATH with the C library's MODE ("rb", "a", ...). On
/// Windows PATH is UTF-8 and may be of any length. Null when it cannot be
/// opened; errno then says why.
std::FILE* openFile(const std::string& path, const char* mode);

/// Reads a whole file as bytes. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string* contents);

/// Reads the first MAX_BYTES bytes of a file, or all of a shorter one.
bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents);

/// The system's words for why the last openFile, readWholeFile or
/// readFileStart of this thread failed (strerror, or on Windows the system's
/// message for its error code), without a final line end.
std::string lastFileFailureReason();

/// Writes TEXT and a line end to standard output and flushes it.
void writeConsoleLine(const std::string& text);

#endif  // VEXIL_PLATFORM_STANDARD_IO_H_
