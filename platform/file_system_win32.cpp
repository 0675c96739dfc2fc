#include <windows.h>

#include <vector>

#include "platform/file_system.h"
#include "platform/windows_text.h"

namespace {

class Win32FileSystem : public HostFileReads {
 public:
  bool exists(const std::string& path) const override {
    return GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool canonicalPath(const std::string& path, std::string* canonical) const override {
    // The system's own name of the file that the path opens, through every
    // junction and symbolic link; backup semantics open folders too.
    HANDLE file = CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
      buffer.resize(length + 1);
      length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    CloseHandle(file);
    if (length == 0 || length >= buffer.size()) return false;
    *canonical = withoutLongPathForm(utf8FromWide(buffer.data(), length));
    return true;
  }
  bool isSymbolicLink(const std::string& path) const override {
    DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(systemPath(pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
      entries.push_back(
          DirectoryEntry{utf8FromWide(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return entries;
  }
};

}  // namespace

const FileSystem& hostFileSystem() {
  static const Win32FileSystem fileSystem;
  return fileSystem;
}
