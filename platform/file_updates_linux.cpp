#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/file_updates.h"

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.isDirectory = S_ISDIR(info.st_mode);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeEmptyFile(const std::string& path) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return file >= 0 && close(file) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}
