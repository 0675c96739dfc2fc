#ifndef VEXIL_PLATFORM_ASCII_TEXT_H_
#define VEXIL_PLATFORM_ASCII_TEXT_H_

#include <string>

// Case and blanks of byte text as the launcher compares it: only the letters
// A to Z have a case, whatever the code page; other bytes compare as they are.

/// C with A to Z turned into a to z.
char lowerAscii(char c);
/// TEXT with A to Z turned into a to z.
std::string lowerCasedAscii(std::string text);
/// TEXT with a to z turned into A to Z.
std::string upperCasedAscii(std::string text);
/// Whether the LENGTH bytes at A and at B are equal but for the case of A to Z.
bool equalIgnoringAsciiCase(const char* a, const char* b, size_t length);

/// TEXT without the bytes of BLANKS at either end.
std::string trimmed(const std::string& text, const char* blanks);

#endif  // VEXIL_PLATFORM_ASCII_TEXT_H_
