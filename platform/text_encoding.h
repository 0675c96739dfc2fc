#ifndef VEXIL_PLATFORM_TEXT_ENCODING_H_
#define VEXIL_PLATFORM_TEXT_ENCODING_H_

// Free functions, not a service of the Platform record: conversions of text,
// the same under test as in use, with nothing to stand in for.

#include <string>

/// The text of a file a user wrote (the configuration file), in the encoding
/// the launcher keeps text in. On Windows that is UTF-8: BYTES that are
/// well-formed UTF-8 are taken as they are, any others are decoded in the
/// system's ANSI code page (files saved by older editors in code page 1252,
/// say). Elsewhere the bytes are taken as they are.
std::string textOfUserFile(const std::string& bytes);

/// TEXT in the encoding the in-process Java runtime reads its options in:
/// the process's code page. On Windows that is UTF-8 where the programs'
/// manifest is in force; where it is not (Windows before version 1903), a
/// legacy code page that may lack some characters of TEXT: then false, and
/// nothing that the runtime would misread as another path is made.
/// Elsewhere TEXT is taken as it is.
bool toRuntimeOptionEncoding(const std::string& text, std::string* encoded);

/// The number of the process's code page, for a report ("1252"); empty
/// where there is none to name.
std::string processCodePageName();

#endif  // VEXIL_PLATFORM_TEXT_ENCODING_H_
