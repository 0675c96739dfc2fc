#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/standard_io.h"

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::string lastFileFailureReason() { return std::strerror(errno); }

void writeConsoleLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
