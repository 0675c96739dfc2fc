#include <cstdio>

#include "platform/standard_io.h"

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void writeConsoleLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
