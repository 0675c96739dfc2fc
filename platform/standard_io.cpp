// What the C library does alike on every system: whole-file reads and the
// console's standard output.

#include "platform/standard_io.h"

#include <cstdio>

bool readWholeFile(const std::string& path, std::string* contents) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  contents->clear();
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents->append(buffer, count);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  contents->assign(maxBytes, '\0');
  contents->resize(std::fread(&(*contents)[0], 1, maxBytes, file));
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

void writeConsoleLine(const std::string& text) {
  // On Windows stdout is in text mode: the line end is written as CR LF.
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
