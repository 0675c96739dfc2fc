#include <windows.h>

#include "platform/platform.h"
#include "platform/standard_io.h"

namespace {

class Win32FileSystem : public FileSystem {
 public:
  bool exists(const std::string& path) const override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool readFile(const std::string& path, std::string* contents) const override { return readWholeFile(path, contents); }
  bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) const override {
    return ::readFileStart(path, maxBytes, contents);
  }
  bool isSymbolicLink(const std::string& path) const override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
      entries.push_back(DirectoryEntry{data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return entries;
  }
};

class Win32Environment : public Environment {
 public:
  bool lookup(const std::string& name, std::string* value) const override {
    // Windows compares environment names without regard to case itself. Only
    // the hidden per-drive variables ("=C:") hold "=", and only in front.
    if (name.empty() || name.find('=', 1) != std::string::npos) return false;
    SetLastError(ERROR_SUCCESS);  // an empty value leaves the error untouched
    DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();
      return true;
    }
    std::string buffer(size, '\0');
    DWORD length = GetEnvironmentVariableA(name.c_str(), &buffer[0], size);
    if (length >= size) return false;  // changed between the two calls
    buffer.resize(length);
    *value = buffer;
    return true;
  }
};

}  // namespace

const Platform& hostPlatform() {
  static const Win32FileSystem fileSystem;
  static const Win32Environment environment;
  static const Platform platform{&hostConventions(), &fileSystem, &environment, &hostRegistry()};
  return platform;
}
