#ifndef VEXIL_TEXT_WILDCARD_H_
#define VEXIL_TEXT_WILDCARD_H_

#include <string>

/// Whether NAME matches PATTERN, where "*" stands for any run of characters
/// and "?" for one character, comparing letters A to Z without regard to case.
bool matchesWildcardIgnoringCase(const std::string& pattern, const std::string& name);

#endif  // VEXIL_TEXT_WILDCARD_H_
