#include "tests/support/fake_platform.h"

#include <strings.h>

#include <algorithm>

#include "text/wildcard.h"

void FakeFileSystem::addFile(const std::string& path, const std::string& contents) {
  m_files[path] = contents;
  if (!m_entries.count(path)) return made(path);
  Entry& entry = m_entries[path];
  entry.modified = entry.changed = tick();
  entry.size.reset();
}

void FakeFileSystem::addDirectory(const std::string& path) {
  m_directories.insert(path);
  if (!m_entries.count(path)) made(path);
}

bool FakeFileSystem::resolve(const std::string& path, std::string* resolved) const {
  *resolved = path;
  if (m_linkTargets.empty()) return true;
  // As the systems do: a link in front is replaced by its target and the
  // walk starts again; after 40 links it is taken for a loop.
  for (int links = 0; links <= 40; ++links) {
    bool followed = false;
    for (size_t end = 1; end <= resolved->size() && !followed; ++end) {
      if (end != resolved->size() && (*resolved)[end] != m_separator) continue;
      auto link = m_linkTargets.find(resolved->substr(0, end));
      if (link == m_linkTargets.end()) continue;
      *resolved = link->second + resolved->substr(end);
      followed = true;
    }
    if (!followed) return true;
  }
  return false;
}

bool FakeFileSystem::isDirectory(const std::string& resolved) const {
  return m_directories.count(resolved) != 0 || std::any_of(m_files.begin(), m_files.end(), [&](const auto& file) {
           return file.first.size() > resolved.size() && file.first.compare(0, resolved.size(), resolved) == 0 &&
                  file.first[resolved.size()] == m_separator;
         });
}

bool FakeFileSystem::exists(const std::string& path) const {
  m_probes.push_back(path);
  std::string resolved;
  return resolve(path, &resolved) && (m_files.count(resolved) || m_directories.count(resolved));
}

bool FakeFileSystem::canonicalPath(const std::string& path, std::string* canonical) const {
  return resolve(path, canonical) && (m_files.count(*canonical) || isDirectory(*canonical));
}

bool FakeFileSystem::readFileWithReason(const std::string& path, std::string* contents,
                                        FileReadFailure* failure) const {
  auto unreadable = m_unreadable.find(path);
  if (unreadable != m_unreadable.end()) {
    *failure = unreadable->second;
    return false;
  }
  if (readFile(path, contents)) return true;
  *failure = FileReadFailure{
      m_directories.count(path) ? FileReadFailure::Kind::kFolder : FileReadFailure::Kind::kSystemError, std::string()};
  return false;
}

bool FakeFileSystem::readFile(const std::string& path, std::string* contents) const {
  if (m_unreadable.count(path)) return false;
  std::string resolved;
  if (!resolve(path, &resolved)) return false;
  auto it = m_files.find(resolved);
  if (it == m_files.end()) return false;
  *contents = it->second;
  return true;
}

std::vector<DirectoryEntry> FakeFileSystem::findFiles(const std::string& pattern) const {
  std::vector<DirectoryEntry> entries;
  size_t cut = pattern.rfind(m_separator);
  std::string directory = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  std::string namePattern = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  const std::string listed = directory;
  if (!directory.empty() && !resolve(listed.substr(0, listed.size() - 1), &directory)) return entries;
  if (!listed.empty()) directory += m_separator;
  std::map<std::string, bool> found;  // name -> is a directory, in name order
  auto consider = [&](const std::string& path, bool isDirectory) {
    if (path.size() <= directory.size() || path.compare(0, directory.size(), directory) != 0) return;
    std::string name = path.substr(directory.size());
    // A deeper entry implies the folder it lies in.
    const size_t deeper = name.find(m_separator);
    if (deeper != std::string::npos) {
      name.erase(deeper);
      isDirectory = true;
    }
    if (matchesWildcardIgnoringCase(namePattern, name)) found[name] = found[name] || isDirectory;
  };
  for (const auto& file : m_files) consider(file.first, false);
  for (const auto& dir : m_directories) consider(dir, true);
  // A link lists as what it leads to; a dangling one as a file.
  for (const auto& link : m_linkTargets) {
    std::string target;
    consider(link.first, resolve(link.first, &target) && isDirectory(target));
  }
  for (const auto& entry : found) entries.push_back(DirectoryEntry{entry.first, entry.second});
  return entries;
}

bool FakeEnvironment::lookup(const std::string& name, std::string* value) const {
  for (const auto& variable : m_variables) {
    if (variable.first == name) {
      *value = variable.second;
      return true;
    }
  }
  for (const auto& variable : m_variables) {
    if (strcasecmp(variable.first.c_str(), name.c_str()) == 0) {
      *value = variable.second;
      return true;
    }
  }
  return false;
}

void FakeRegistry::addKey(const std::string& path) {
  if (m_nodes.count(path)) return;
  m_nodes[path] = std::make_unique<Node>();
  size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return;
  std::string parent = path.substr(0, cut);
  addKey(parent);
  m_nodes[parent]->subkeys.push_back(path.substr(cut + 1));
}

void FakeRegistry::setValue(const std::string& path, const std::string& name, const std::string& value) {
  addKey(path);
  m_nodes[path]->values[name] = value;
}

namespace {

// Where the fake keeps the keys of a root and view, before their path.
std::string locationPrefix(RegistryRoot root, RegistryView view) {
  if (root == RegistryRoot::CurrentUser) return "HKCU|";
  return view == RegistryView::Bits32 ? "HKLM32|" : "";
}

}  // namespace

void FakeRegistry::setValueIn(RegistryRoot root, RegistryView view, const std::string& path, const std::string& name,
                              const std::string& value) {
  setValue(locationPrefix(root, view) + path, name, value);
}

bool FakeRegistry::openKeyIn(RegistryRoot root, RegistryView view, const std::string& path, Key* key) {
  return openKey(locationPrefix(root, view) + path, key);
}

bool FakeRegistry::openKey(const std::string& path, Key* key) {
  auto it = m_nodes.find(path);
  if (it == m_nodes.end() || m_unreadable.count(path)) return false;
  *key = it->second.get();
  ++m_openKeys;
  return true;
}

bool FakeRegistry::enumerateSubkey(Key key, unsigned long index, std::string* name) {
  const Node* node = static_cast<const Node*>(key);
  if (index >= node->subkeys.size()) return false;
  *name = node->subkeys[index];
  return true;
}

bool FakeRegistry::queryStringValue(Key key, const std::string& valueName, std::string* value) {
  const Node* node = static_cast<const Node*>(key);
  auto it = node->values.find(valueName);
  if (it == node->values.end()) return false;
  // Like the registry's text values: the text ends at its first NUL byte.
  *value = it->second.substr(0, it->second.find('\0'));
  return true;
}

void FakeRegistry::closeKey(Key) { --m_openKeys; }

std::int64_t FakeFileSystem::tick() {
  const std::int64_t seconds = m_clock ? m_clock->nowSeconds() : 0;
  return seconds * 1000000000 + ++m_ticks;
}

void FakeFileSystem::made(const std::string& path) {
  Entry entry;
  entry.modified = entry.changed = tick();
  entry.fileId = ++m_lastFileId;
  m_entries[path] = entry;
}

bool FakeFileSystem::folderHolds(const std::string& path) const {
  const size_t cut = path.rfind(m_separator);
  return cut == std::string::npos || cut == 0 || isDirectory(path.substr(0, cut));
}

void FakeFileSystem::setModified(const std::string& path, std::int64_t nanoseconds) {
  Entry& entry = m_entries[path];
  entry.modified = nanoseconds;
  entry.changed = tick();
}

void FakeFileSystem::setSize(const std::string& path, std::uint64_t size) { m_entries[path].size = size; }

void FakeFileSystem::letOthersWrite(const std::string& path) {
  Entry& entry = m_entries[path];
  entry.othersMayWrite = true;
  entry.changed = tick();
}

void FakeFileSystem::giveToAnotherUser(const std::string& path) { m_entries[path].othersOwn = true; }

bool FakeFileSystem::makeIfMissing(const std::string& path) {
  if (m_files.count(path)) return true;
  if (isDirectory(path) || !folderHolds(path)) return false;
  m_files[path] = std::string();
  made(path);
  return true;
}

FileStamp FakeFileSystem::stamp(const std::string& path) const {
  FileStamp stamp;
  std::string resolved;
  if (!resolve(path, &resolved)) return stamp;
  const auto file = m_files.find(resolved);
  if (file == m_files.end() && !isDirectory(resolved)) return stamp;
  stamp.exists = true;
  stamp.isDirectory = file == m_files.end();
  stamp.size = stamp.isDirectory ? 0 : file->second.size();
  const auto entry = m_entries.find(resolved);
  if (entry == m_entries.end()) return stamp;
  stamp.size = entry->second.size.value_or(stamp.size);
  stamp.modified = entry->second.modified;
  stamp.changed = entry->second.changed;
  stamp.volume = 1;
  stamp.fileId = entry->second.fileId;
  stamp.modifiedSeconds = entry->second.modified / 1000000000;
  return stamp;
}

bool FakeFileSystem::isPrivateToUser(const std::string& path) const {
  const auto entry = m_entries.find(path);
  return stamp(path).exists &&
         (entry == m_entries.end() || (!entry->second.othersOwn && !entry->second.othersMayWrite));
}

std::vector<std::string> FakeFileSystem::filesIn(const std::string& folder) const {
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : findFiles(folder + m_separator + "*")) names.push_back(entry.name);
  return names;
}

Outcome<std::string> FakeFileSystem::readSmallFile(const std::string& path, std::size_t limit) const {
  const auto file = m_files.find(path);
  if (file == m_files.end() || stamp(path).size > limit) return Outcome<std::string>::failed();
  return file->second;
}

Done FakeFileSystem::makeFolders(const std::string& path) {
  if (path.empty()) return Done::failed();
  for (size_t cut = path.find(m_separator, 1);; cut = path.find(m_separator, cut + 1)) {
    const std::string part = path.substr(0, cut);
    if (m_files.count(part)) return Done::failed("not a folder: " + part);
    if (!m_directories.count(part)) {
      m_directories.insert(part);
      if (!m_entries.count(part)) made(part);
    }
    if (cut == std::string::npos) break;
  }
  // As the hosts do: the folder itself, when it is the user's, becomes the user's alone.
  Entry& folder = m_entries[path];
  if (!folder.othersOwn) folder.othersMayWrite = false;
  return Done();
}

Done FakeFileSystem::writeWholeFile(const std::string& path, const std::string& contents) {
  if (isDirectory(path) || !folderHolds(path)) return Done::failed("cannot be written: " + path);
  if (!m_files.count(path)) made(path);
  m_files[path] = contents;
  Entry& entry = m_entries[path];
  entry.modified = entry.changed = tick();
  entry.size.reset();
  entry.othersMayWrite = false;
  return Done();
}

Done FakeFileSystem::restrictToUser(const std::string& path) {
  if (!m_files.count(path)) return Done::failed("no such file: " + path);
  Entry& entry = m_entries[path];
  entry.othersMayWrite = false;
  entry.changed = tick();
  return Done();
}

Done FakeFileSystem::touchFile(const std::string& path) {
  if (!m_files.count(path)) return Done::failed("no such file: " + path);
  Entry& entry = m_entries[path];
  entry.modified = entry.changed = tick();
  return Done();
}

Done FakeFileSystem::replaceFile(const std::string& from, const std::string& to) {
  if (!m_files.count(from) || isDirectory(to) || !folderHolds(to)) return Done::failed("cannot rename " + from);
  m_files[to] = m_files[from];
  m_entries[to] = m_entries[from];
  m_entries[to].changed = tick();
  m_files.erase(from);
  m_entries.erase(from);
  return Done();
}

Done FakeFileSystem::removeFile(const std::string& path) {
  if (isDirectory(path)) return Done::failed("a folder: " + path);
  m_files.erase(path);
  m_entries.erase(path);
  return Done();
}

FileLock FakeFileLocks::tryExclusive(const std::string& path) {
  if (!m_files.makeIfMissing(path)) return FileLock();
  for (const auto& held : m_held) {
    if (held.second == path) return FileLock();
  }
  m_held[++m_lastHandle] = path;
  return FileLock(this, m_lastHandle);
}

Done FakeProcesses::runThenInstall(const BackgroundInstall& work, FileLock lock) {
  if (!m_program || work.argv.empty()) {
    m_files.removeFile(work.input);
    return Done::failed("cannot be started: " + (work.argv.empty() ? std::string() : work.argv[0]));
  }
  const int exitCode = m_program(work.argv);
  const bool renamed =
      exitCode == 0 && m_files.restrictToUser(work.made) && m_files.replaceFile(work.made, work.installed);
  if (!renamed || !m_files.recordFileStamp(work.installed, work.stamp)) {
    m_files.removeFile(work.made);
    if (renamed) m_files.removeFile(work.installed);
    if (!work.failed.empty()) m_files.makeEmptyFile(work.failed);
  }
  m_files.removeFile(work.input);
  lock.release();
  return Done();
}
