#ifndef VEXIL_PLATFORM_FILE_UPDATES_H_
#define VEXIL_PLATFORM_FILE_UPDATES_H_

#include <cstdint>
#include <string>
#include <vector>

/// What the launcher needs to know of a file to tell whether it changed.
struct FileStamp {
  bool exists = false;
  bool isDirectory = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  ///< in the system's own unit; only compared
};

/// The stamp of the file PATH (following links); exists is false when there
/// is none or it cannot be read.
FileStamp fileStamp(const std::string& path);

/// Makes the folder PATH and any missing parents. True when it exists after.
bool makeFolders(const std::string& path);

/// Makes PATH an empty file, emptying one that is there. False when it
/// cannot be written.
bool makeEmptyFile(const std::string& path);

/// Renames FROM to TO, replacing TO; in one step where the system allows.
bool replaceFile(const std::string& from, const std::string& to);

/// Removes the file PATH. False when it is still there (in use, no right).
bool removeFile(const std::string& path);

/// The names of the files directly in FOLDER; empty when it cannot be read.
std::vector<std::string> filesIn(const std::string& folder);

#endif  // VEXIL_PLATFORM_FILE_UPDATES_H_
