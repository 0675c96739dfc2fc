#ifndef VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_

// In-memory stand-ins for the operating-system services, so that unit tests
// and fuzzers run the portable code without touching the machine.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

/// Files and directories by exact path. Directory searches list the entries
/// whose parent is the searched directory, in name order (as NTFS yields).
/// Files are written as the hosts write them (a folder must hold them, a
/// folder cannot be overwritten), each write dated by the clock given and a
/// tick later than the one before; the files of addFile and addDirectory are
/// the user's alone until a test says otherwise.
class FakeFileSystem : public FileSystem, public FileUpdates {
 public:
  explicit FakeFileSystem(char separator = '\\') : m_separator(separator) {}
  /// Dates writes by CLOCK (which outlives this); without one, at 1970.
  void useClock(const Clock* clock) { m_clock = clock; }

  void addFile(const std::string& path, const std::string& contents = std::string());
  void addDirectory(const std::string& path);
  /// Marks PATH, added as a file or directory, as a symbolic link.
  void markAsLink(const std::string& path) { m_links.insert(path); }
  /// Makes reading PATH fail as FAILURE says.
  void makeUnreadable(const std::string& path, const FileReadFailure& failure) { m_unreadable[path] = failure; }
  /// Makes PATH a symbolic link to the absolute path TARGET, which need not
  /// exist: every query follows it, as the system's do.
  void addLink(const std::string& path, const std::string& target) { m_linkTargets[path] = target; }
  /// Paths that exist() was asked about, in order.
  const std::vector<std::string>& probes() const { return m_probes; }
  /// Sets the modification time of PATH, as a program may; its change time
  /// moves on, as on the hosts.
  void setModified(const std::string& path, std::int64_t nanoseconds);
  /// Makes PATH as large as SIZE without the bytes, as a sparse file is.
  void setSize(const std::string& path, std::uint64_t size);
  /// Lets other users write PATH (mode 0666, say).
  void letOthersWrite(const std::string& path);
  /// Gives PATH to another user.
  void giveToAnotherUser(const std::string& path);
  /// Makes PATH an empty file, for the user alone, unless there is one: as
  /// opening a file to lock it does. False when it cannot be made.
  bool makeIfMissing(const std::string& path);

  bool exists(const std::string& path) const override;
  bool readFile(const std::string& path, std::string* contents) const override;
  bool readFileWithReason(const std::string& path, std::string* contents, FileReadFailure* failure) const override;
  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override;
  bool isSymbolicLink(const std::string& path) const override {
    return m_links.count(path) != 0 || m_linkTargets.count(path) != 0;
  }
  bool canonicalPath(const std::string& path, std::string* canonical) const override;

  FileStamp stamp(const std::string& path) const override;
  bool isPrivateToUser(const std::string& path) const override;
  std::vector<std::string> filesIn(const std::string& folder) const override;
  Outcome<std::string> readSmallFile(const std::string& path, std::size_t limit) const override;
  Done makeFolders(const std::string& path) override;
  Done writeWholeFile(const std::string& path, const std::string& contents) override;
  Done restrictToUser(const std::string& path) override;
  Done touchFile(const std::string& path) override;
  Done replaceFile(const std::string& from, const std::string& to) override;
  Done removeFile(const std::string& path) override;

 private:
  /// What the hosts keep of a file or folder besides its bytes.
  struct Entry {
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::uint64_t fileId = 0;
    std::optional<std::uint64_t> size;  ///< set for a sparse file
    bool othersMayWrite = false;
    bool othersOwn = false;
  };
  /// A new time, later than every one before.
  std::int64_t tick();
  /// The entry of a new file or folder at PATH.
  void made(const std::string& path);
  bool folderHolds(const std::string& path) const;

  /// PATH with every link in it followed; false for a loop.
  bool resolve(const std::string& path, std::string* resolved) const;
  bool isDirectory(const std::string& resolved) const;

  char m_separator;
  std::set<std::string> m_links;
  std::map<std::string, std::string> m_linkTargets;
  std::map<std::string, std::string> m_files;
  std::map<std::string, FileReadFailure> m_unreadable;
  std::set<std::string> m_directories;
  mutable std::vector<std::string> m_probes;
  std::map<std::string, Entry> m_entries;
  const Clock* m_clock = nullptr;
  std::int64_t m_ticks = 0;
  std::uint64_t m_lastFileId = 0;
};

/// Locks between the launches of one test: a path is held until its lock is
/// released; releaseAll lets go of all, as the system does for a process
/// that ends.
class FakeFileLocks : public FileLocks {
 public:
  explicit FakeFileLocks(FakeFileSystem& files) : m_files(files) {}
  FileLock tryExclusive(const std::string& path) override;
  void releaseAll() { m_held.clear(); }

 private:
  void release(long long handle) override { m_held.erase(handle); }

  FakeFileSystem& m_files;
  std::map<long long, std::string> m_held;
  long long m_lastHandle = 0;
};

/// Runs a program as a function of its arguments, at once, and installs or
/// drops its file in the fake file system as the hosts do.
class FakeProcesses : public Processes {
 public:
  /// Runs a program; returns its exit code.
  using Program = std::function<int(const std::vector<std::string>& argv)>;

  explicit FakeProcesses(FakeFileSystem& files) : m_files(files) {}
  /// The program every start runs; without one, nothing starts.
  void setProgram(Program program) { m_program = std::move(program); }

  unsigned long currentId() const override { return 4242; }
  Done runThenInstall(const BackgroundInstall& work, FileLock lock) override;

 private:
  FakeFileSystem& m_files;
  Program m_program;
};

/// A clock that stands still until a test moves it.
class FakeClock : public Clock {
 public:
  std::int64_t nowSeconds() const override { return m_now; }
  void advance(std::int64_t seconds) { m_now += seconds; }

 private:
  std::int64_t m_now = 1750000000;  // mid-2025
};

/// The user's cache folder; none until a test names one.
class FakeUserCacheFolder : public UserCacheFolder {
 public:
  void set(std::optional<std::string> folder) { m_folder = std::move(folder); }
  Outcome<std::string> path() const override {
    return m_folder ? Outcome<std::string>(*m_folder) : Outcome<std::string>::failed();
  }

 private:
  std::optional<std::string> m_folder;
};

class FakeEnvironment : public Environment {
 public:
  void set(const std::string& name, const std::string& value) { m_variables.emplace_back(name, value); }
  /// Exact name first, then the first name that differs only in case.
  bool lookup(const std::string& name, std::string* value) const override;

 private:
  std::vector<std::pair<std::string, std::string>> m_variables;
};

/// Keys below HKEY_LOCAL_MACHINE, with subkeys in the order they were added.
class FakeRegistry : public Registry {
 public:
  /// Creates the key at PATH and its parents.
  void addKey(const std::string& path);
  void setValue(const std::string& path, const std::string& name, const std::string& value);
  /// The same below ROOT in VIEW. As on 64-bit Windows, the machine's 64-bit
  /// view is the one setValue and openKey use, its 32-bit view is a tree of
  /// its own, and the user's tree is the same in every view.
  void setValueIn(RegistryRoot root, RegistryView view, const std::string& path, const std::string& name,
                  const std::string& value);
  /// Keys that fail to open although they are listed by their parent.
  void makeUnreadable(const std::string& path) { m_unreadable.insert(path); }
  int openKeys() const { return m_openKeys; }

  bool openKey(const std::string& path, Key* key) override;
  bool openKeyIn(RegistryRoot root, RegistryView view, const std::string& path, Key* key) override;
  bool enumerateSubkey(Key key, unsigned long index, std::string* name) override;
  bool queryStringValue(Key key, const std::string& valueName, std::string* value) override;
  void closeKey(Key key) override;

 private:
  struct Node {
    std::vector<std::string> subkeys;
    std::map<std::string, std::string> values;
  };
  std::map<std::string, std::unique_ptr<Node>> m_nodes;
  std::set<std::string> m_unreadable;
  int m_openKeys = 0;
};

/// A complete set of fakes with the given conventions (Windows by default).
struct FakePlatform {
  explicit FakePlatform(const Conventions& conventions = windowsConventions())
      : fileSystem(conventions.pathSeparator),
        locks(fileSystem),
        processes(fileSystem),
        platform{&conventions, &fileSystem, &environment, &registry,   &fileSystem,
                 &locks,       &processes,  &clock,       &cacheFolder} {
    fileSystem.useClock(&clock);
  }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeFileSystem fileSystem;
  FakeEnvironment environment;
  FakeRegistry registry;
  FakeClock clock;
  FakeFileLocks locks;
  FakeProcesses processes;
  FakeUserCacheFolder cacheFolder;
  Platform platform;
};

#endif  // VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_
