#ifndef VEXIL_TEXT_ASCII_TEXT_H_
#define VEXIL_TEXT_ASCII_TEXT_H_

#include <string>
#include <vector>

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

/// Whether TEXT begins with PREFIX, byte for byte.
inline bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

/// Whether TEXT ends with SUFFIX, byte for byte.
inline bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

/// The pieces of TEXT between the SEPARATORs, empty ones included: one piece
/// for a TEXT without SEPARATOR, two empty ones for the SEPARATOR alone.
std::vector<std::string> split(const std::string& text, char separator);

/// TEXT without the bytes of BLANKS at either end.
std::string trimmed(const std::string& text, const char* blanks);

#endif  // VEXIL_TEXT_ASCII_TEXT_H_
