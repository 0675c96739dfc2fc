// Whole-file reads, the same on every system once the file is open.

#include "platform/standard_io.h"

#include <cerrno>
#include <cstdio>

bool readWholeFile(const std::string& path, std::string* contents) {
  std::FILE* file = openFile(path, "rb");
  if (!file) return false;
  contents->clear();
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents->append(buffer, count);
  bool ok = !std::ferror(file);
  // Why the read failed, not what closing made of errno.
  const int error = errno;
  std::fclose(file);
  if (!ok) errno = error;
  return ok;
}

bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) {
  std::FILE* file = openFile(path, "rb");
  if (!file) return false;
  contents->assign(maxBytes, '\0');
  contents->resize(std::fread(&(*contents)[0], 1, maxBytes, file));
  const bool ok = !std::ferror(file);
  const int error = errno;
  std::fclose(file);
  if (!ok) errno = error;
  return ok;
}
