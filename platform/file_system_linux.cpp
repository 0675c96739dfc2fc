#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "text/wildcard.h"

namespace {

class LinuxFileSystem : public HostFileReads {
 public:
  bool exists(const std::string& path) const override {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
  }

  bool canonicalPath(const std::string& path, std::string* canonical) const override {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return false;
    *canonical = resolved;
    std::free(resolved);
    return true;
  }
  bool isSymbolicLink(const std::string& path) const override {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
  }

  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override {
    std::vector<DirectoryEntry> entries;
    size_t slash = pattern.rfind('/');
    std::string directory = slash == std::string::npos ? "./" : pattern.substr(0, slash + 1);
    std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    DIR* dir = opendir(directory.c_str());
    if (!dir) return entries;
    while (struct dirent* entry = readdir(dir)) {
      const char* name = entry->d_name;
      if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
      if (!matchesWildcardIgnoringCase(namePattern, name)) continue;
      // The entry's own type spares a stat per jar; links and file systems
      // that give no type are asked with stat, which follows links: a link to
      // a directory counts as a directory.
      bool isDirectory = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
        struct stat info;
        std::string full = directory + name;
        isDirectory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
      }
      entries.push_back(DirectoryEntry{name, isDirectory});
    }
    closedir(dir);
    // readdir's order is arbitrary; name order makes launches repeatable.
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
  }
};

}  // namespace

const FileSystem& hostFileSystem() {
  static const LinuxFileSystem fileSystem;
  return fileSystem;
}
