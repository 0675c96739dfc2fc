#ifndef VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_

// In-memory stand-ins for the operating-system services, so that unit tests
// and fuzzers run the portable code without touching the machine.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

/// Files and directories by exact path. Directory searches list the entries
/// whose parent is the searched directory, in name order (as NTFS yields).
class FakeFileSystem : public FileSystem {
 public:
  explicit FakeFileSystem(char separator = '\\') : m_separator(separator) {}

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

  bool exists(const std::string& path) const override;
  bool readFile(const std::string& path, std::string* contents) const override;
  bool readFileWithReason(const std::string& path, std::string* contents, FileReadFailure* failure) const override;
  std::vector<DirectoryEntry> findFiles(const std::string& pattern) const override;
  bool isSymbolicLink(const std::string& path) const override {
    return m_links.count(path) != 0 || m_linkTargets.count(path) != 0;
  }
  bool canonicalPath(const std::string& path, std::string* canonical) const override;

 private:
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
        platform{&conventions, &fileSystem, &environment, &registry} {}
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeFileSystem fileSystem;
  FakeEnvironment environment;
  FakeRegistry registry;
  Platform platform;
};

#endif  // VEXIL_TESTS_SUPPORT_FAKE_PLATFORM_H_
