#ifndef VEXIL_PLATFORM_ARGUMENT_ENCODING_H_
#define VEXIL_PLATFORM_ARGUMENT_ENCODING_H_

// A free function, not a service of the Platform record: a conversion of text,
// the same under test as in use, for the hosting of the real runtime and a
// tool.

#include <string>

/// TEXT, an argument as the launcher keeps it (Windows: UTF-8, read from the
/// wide command line; elsewhere: the character encoding of the user's
/// locale), in the modified UTF-8 that the Java runtime reads, so that a Java
/// string holds the characters the user typed. Bytes that the encoding
/// cannot decode become U+FFFD.
std::string toModifiedUtf8(const std::string& text);

#endif  // VEXIL_PLATFORM_ARGUMENT_ENCODING_H_
