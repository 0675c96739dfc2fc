#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/file_updates.h"

namespace {

// Writes all of DATA to FILE, going on after interruptions and short writes.
bool writeAll(int file, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(file, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.isDirectory = S_ISDIR(info.st_mode);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  stamp.volume = static_cast<std::uint64_t>(info.st_dev);
  stamp.fileId = static_cast<std::uint64_t>(info.st_ino);
  stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  return stamp;
}

bool isPrivateToUser(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  // Made for the user alone, whatever the umask: what lies below is the
  // user's own and must not be replaced by another user.
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  if (info.st_uid == geteuid() && (info.st_mode & 077) != 0) chmod(path.c_str(), 0700);
  return true;
}

bool makeEmptyFile(const std::string& path) { return writeWholeFile(path, std::string()); }

bool writeWholeFile(const std::string& path, const std::string& contents) {
  // O_NOFOLLOW: a link planted under the name does not redirect the write.
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (file < 0) return false;
  const bool written = fchmod(file, 0600) == 0 && writeAll(file, contents.data(), contents.size());
  return close(file) == 0 && written;
}

bool readSmallFile(const std::string& path, std::size_t limit, std::string* contents) {
  // O_NONBLOCK: a FIFO under the name does not hold the launch up.
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (file < 0) return false;
  struct stat info;
  bool read = fstat(file, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= limit;
  if (read) {
    contents->assign(static_cast<size_t>(info.st_size), '\0');
    size_t have = 0;
    while (have < contents->size()) {
      const ssize_t got = ::read(file, &(*contents)[have], contents->size() - have);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      have += static_cast<size_t>(got);
    }
    contents->resize(have);
  }
  close(file);
  return read;
}

bool restrictToUser(const std::string& path) { return chmod(path.c_str(), 0600) == 0; }

bool touchFile(const std::string& path) { return utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0; }

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
