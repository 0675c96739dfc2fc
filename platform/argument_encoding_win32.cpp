#include "platform/argument_encoding.h"
#include "text/modified_utf8.h"

// The arguments are read from the wide command line and kept in UTF-8.
std::string toModifiedUtf8(const std::string& text) { return modifiedUtf8FromUtf8(text); }
