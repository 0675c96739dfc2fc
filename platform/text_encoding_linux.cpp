#include "platform/text_encoding.h"

std::string textOfUserFile(const std::string& bytes) { return bytes; }

bool toRuntimeOptionEncoding(const std::string& text, std::string* encoded) {
  *encoded = text;
  return true;
}

std::string processCodePageName() { return std::string(); }
