#include <windows.h>

#include "platform/file_updates.h"
#include "platform/windows_text.h"

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(systemPath(path).c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                             data.ftLastWriteTime.dwLowDateTime);
  return stamp;
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  // Every prefix that ends before a separator, then the whole path. Those
  // that exist, and a drive ("C:") or a share's server part, fail to be made;
  // only the outcome for the whole path counts.
  for (size_t cut = path.find_first_of("\\/", 1);; cut = path.find_first_of("\\/", cut + 1)) {
    CreateDirectoryW(systemPath(path.substr(0, cut)).c_str(), nullptr);
    if (cut == std::string::npos) break;
  }
  const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeEmptyFile(const std::string& path) {
  HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file != INVALID_HANDLE_VALUE && CloseHandle(file) != 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::string& path) {
  const std::wstring name = systemPath(path);
  // The runtime makes its archives read-only, which DeleteFile refuses.
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(name.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(systemPath(folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = utf8FromWide(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return names;
}
