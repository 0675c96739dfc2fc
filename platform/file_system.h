#ifndef VEXIL_PLATFORM_FILE_SYSTEM_H_
#define VEXIL_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <string>
#include <vector>

/// The largest file that readFile reads: far beyond any configuration or
/// runtime description, yet a file that never ends (a link to /dev/zero, say)
/// cannot fill the memory.
inline constexpr std::size_t kLargestFileRead = std::size_t{4} << 20;

/// Why a whole-file read gave nothing.
struct FileReadFailure {
  enum class Kind {
    kSystemError,  ///< the system refused it; SYSTEM_REASON has its words
    kFolder,
    kPipe,      ///< a named pipe (FIFO), which could keep the reader waiting forever
    kDevice,    ///< a character or block device, such as /dev/zero or CON
    kNotAFile,  ///< any other entry that is no regular file (a socket, say)
    kTooLarge,  ///< more than kLargestFileRead bytes
  };
  Kind kind = Kind::kSystemError;
  std::string systemReason;
};

/// One entry yielded by a directory search.
struct DirectoryEntry {
  std::string name;  ///< file name only, without the directory
  bool isDirectory = false;
};

/// The file-system queries the launcher makes. The host implementation talks
/// to the operating system; tests use an in-memory one.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// True when a file or a directory exists at exactly this path.
  virtual bool exists(const std::string& path) const = 0;

  /// Reads a whole file as bytes. False when it cannot be opened or read, and
  /// for anything but a regular file of at most kLargestFileRead bytes: the
  /// hosts never wait for a writer or read without end.
  virtual bool readFile(const std::string& path, std::string* contents) const = 0;

  /// The same, saying in FAILURE why it read nothing. A file system in memory
  /// may give no more than that the file is missing.
  virtual bool readFileWithReason(const std::string& path, std::string* contents, FileReadFailure* failure) const {
    if (readFile(path, contents)) return true;
    *failure = FileReadFailure{};
    return false;
  }

  /// Reads the first MAX_BYTES bytes of a file (all of a shorter one), for a
  /// look at its header. False when it cannot be opened or read, or is no
  /// regular file. The hosts read no further; a file system in memory may cut
  /// a whole read.
  virtual bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) const {
    if (!readFile(path, contents)) return false;
    if (contents->size() > maxBytes) contents->resize(maxBytes);
    return true;
  }

  /// Searches a directory with a wildcard pattern on the file name, such as
  /// "C:\App\lib\*.jar". Matching ignores case. Entries come in name order,
  /// so that launches are repeatable: the Linux host sorts what readdir yields
  /// in no order, Windows yields them sorted; a missing or unreadable
  /// directory yields nothing.
  virtual std::vector<DirectoryEntry> findFiles(const std::string& pattern) const = 0;
  /// True when the entry at exactly this path is a symbolic link itself.
  virtual bool isSymbolicLink(const std::string& path) const = 0;

  /// The absolute path of the entry that PATH leads to, with every symbolic
  /// link, junction, "." and ".." resolved: one text for all the paths that
  /// lead to one file or directory. False when PATH leads to nothing (a
  /// dangling link, a loop). The hosts ask the system; this default, for
  /// file systems without links, takes PATH as it is.
  virtual bool canonicalPath(const std::string& path, std::string* canonical) const {
    *canonical = path;
    return exists(path);
  }
};

/// The reads of both hosts' file systems, by the shared reader of
/// standard_io.h: runtime files are looked at in folders that anybody may
/// fill, so it takes only a regular file, and never waits for one.
class HostFileReads : public FileSystem {
 public:
  bool readFile(const std::string& path, std::string* contents) const override;
  bool readFileWithReason(const std::string& path, std::string* contents, FileReadFailure* failure) const override;
  bool readFileStart(const std::string& path, size_t maxBytes, std::string* contents) const override;
};

/// The running system's file system.
const FileSystem& hostFileSystem();

#endif  // VEXIL_PLATFORM_FILE_SYSTEM_H_
