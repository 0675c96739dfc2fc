#ifndef VEXIL_PLATFORM_FILE_UPDATES_H_
#define VEXIL_PLATFORM_FILE_UPDATES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/outcome.h"

/// What the launcher needs to know of a file to tell whether it changed.
struct FileStamp {
  bool exists = false;
  bool isDirectory = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  ///< in the system's own unit; only compared
  /// What a copy, a file renamed over it or an unpacked update cannot keep
  /// the same, even with the same size and modification time: the time its
  /// metadata last changed (which no program can set back), and which file
  /// of which volume it is.
  std::int64_t changed = 0;
  std::uint64_t volume = 0;
  std::uint64_t fileId = 0;
  std::int64_t modifiedSeconds = 0;  ///< since 1970, for ages
};

// The free functions below are the host's own: the host's FileUpdates answers
// with them, vexil-stamp calls them directly, and the background process's
// just-forked child calls the ones that allocate nothing.

/// The stamp of the file PATH (following links); exists is false when there
/// is none or it cannot be read. Allocates nothing.
FileStamp fileStamp(const std::string& path);

/// Whether two stamps are of the same file in the same state.
bool sameFileState(const FileStamp& a, const FileStamp& b);

/// Whether the file or folder PATH belongs to the user running this program
/// and no other user may write it (Linux: its owner and mode; Windows: its
/// owner and the write rights its access list grants). False when it cannot
/// be told.
bool isPrivateToUser(const std::string& path);

/// Makes the folder PATH and any missing parents, each for the user alone.
/// PATH itself, when it is the user's, loses any rights of others. True when
/// it exists after.
bool makeFolders(const std::string& path);

/// Makes PATH an empty file for the user alone, emptying one that is there.
/// False when it cannot be written.
bool makeEmptyFile(const std::string& path);

/// Writes CONTENTS to PATH, for the user alone, replacing what is there.
bool writeWholeFile(const std::string& path, const std::string& contents);

/// Reads the file PATH into CONTENTS when it is a regular file of at most
/// LIMIT bytes. False otherwise.
bool readSmallFile(const std::string& path, std::size_t limit, std::string* contents);

/// Takes the rights of other users away from the file PATH.
bool restrictToUser(const std::string& path);

/// Sets the modification time of PATH to now.
bool touchFile(const std::string& path);

/// Renames FROM to TO, replacing TO; in one step where the system allows.
bool replaceFile(const std::string& from, const std::string& to);

/// Removes the file PATH. False when it is still there (in use, no right).
bool removeFile(const std::string& path);

/// The names of the files directly in FOLDER; empty when it cannot be read.
std::vector<std::string> filesIn(const std::string& folder);

/// The text of a stamp file: one line, "vexil-stamp 1" and the stamp's
/// fields in decimal. Written into BUFFER (CAPACITY bytes) without
/// allocating, so that a process that has just forked may call it; returns
/// its length, 0 when it does not fit.
std::size_t formatFileStamp(const FileStamp& stamp, char* buffer, std::size_t capacity);

/// Reads what formatFileStamp wrote. False for anything else: a stamp file
/// is read from a folder that other programs may have written.
bool parseFileStamp(const std::string& text, FileStamp* stamp);

/// The files that portable code writes (the class-data cache), and what it
/// asks of them before it trusts one. The host's answers come from the
/// functions above; tests use a file system in memory.
class FileUpdates {
 public:
  virtual ~FileUpdates() = default;

  /// As fileStamp.
  virtual FileStamp stamp(const std::string& path) const = 0;
  /// As isPrivateToUser.
  virtual bool isPrivateToUser(const std::string& path) const = 0;
  /// The names of the entries directly in FOLDER, in no particular order;
  /// none when it cannot be read.
  virtual std::vector<std::string> filesIn(const std::string& folder) const = 0;
  /// The file PATH when it is a regular file of at most LIMIT bytes.
  virtual Outcome<std::string> readSmallFile(const std::string& path, std::size_t limit) const = 0;

  virtual Done makeFolders(const std::string& path) = 0;
  virtual Done writeWholeFile(const std::string& path, const std::string& contents) = 0;
  virtual Done restrictToUser(const std::string& path) = 0;
  virtual Done touchFile(const std::string& path) = 0;
  virtual Done replaceFile(const std::string& from, const std::string& to) = 0;
  /// Done also when there was no such file.
  virtual Done removeFile(const std::string& path) = 0;

  /// Makes PATH an empty file for the user alone, emptying one that is there.
  Done makeEmptyFile(const std::string& path) { return writeWholeFile(path, std::string()); }
  /// Records the stamp of the file PATH in the file STAMP_PATH (whole or not
  /// at all): written beside it, then renamed.
  Done recordFileStamp(const std::string& path, const std::string& stampPath);
};

/// The running system's files.
FileUpdates& hostFileUpdates();

#endif  // VEXIL_PLATFORM_FILE_UPDATES_H_
