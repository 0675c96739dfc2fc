#include "platform/file_system.h"

#include "platform/standard_io.h"

bool HostFileReads::readFile(const std::string& path, std::string* contents) const {
  return readWholeFile(path, contents, nullptr);
}

bool HostFileReads::readFileWithReason(const std::string& path, std::string* contents, FileReadFailure* failure) const {
  return readWholeFile(path, contents, failure);
}

bool HostFileReads::readFileStart(const std::string& path, size_t maxBytes, std::string* contents) const {
  return ::readFileStart(path, maxBytes, contents);
}
