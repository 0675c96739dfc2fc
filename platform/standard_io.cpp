// Whole-file reads, the same on every system once the file is open.

#include "platform/standard_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool readWholeFile(const std::string& path, std::string* contents, FileReadFailure* failure) {
  FileReadFailure ignored;
  if (!failure) failure = &ignored;
  contents->clear();
  std::FILE* file = openRegularFile(path, failure);
  if (!file) return false;
  char buffer[65536];
  size_t count;
  // A byte beyond the limit is enough to tell: the file may grow while it is
  // read, or say it has no size at all (the files of /proc).
  while (contents->size() <= kLargestFileRead && (count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    contents->append(buffer, count);
  }
  bool ok = !std::ferror(file);
  if (!ok) *failure = FileReadFailure{FileReadFailure::Kind::kSystemError, std::strerror(errno)};
  std::fclose(file);
  if (ok && contents->size() > kLargestFileRead) {
    *failure = FileReadFailure{FileReadFailure::Kind::kTooLarge, std::string()};
    ok = false;
  }
  if (!ok) contents->clear();
  return ok;
}

bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) {
  FileReadFailure failure;
  std::FILE* file = openRegularFile(path, &failure);
  if (!file) return false;
  contents->assign(maxBytes, '\0');
  contents->resize(std::fread(&(*contents)[0], 1, maxBytes, file));
  const bool ok = !std::ferror(file);
  const int error = errno;
  std::fclose(file);
  if (!ok) errno = error;
  return ok;
}
