#include "platform/registry_installations.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

const char kJdkTree[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kJreTree[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJavaHomeValue[] = "JavaHome";
const char kVersionKey[] = "JAVA_VERSION=";

/// The bundle word of a tree key path, or null for any other path.
const char* bundleOfTree(const std::string& path) {
  if (path == kJdkTree) return "sdk";
  if (path == kJreTree) return "jre";
  return nullptr;
}

std::string trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

struct InstallationRegistry::OpenKey {
  std::string tree;
  bool isTree = false;
  std::vector<Installation> installations;  // of a tree key, fixed when it was opened
  Installation installation;                // of an installation key
};

InstallationRegistry::InstallationRegistry(const FileSystem& fileSystem, const Conventions& conventions,
                                           std::vector<std::string> roots, LinkTest isLink)
    : m_fileSystem(fileSystem),
      m_conventions(conventions),
      m_roots(std::move(roots)),
      m_isLink(std::move(isLink)) {}

bool InstallationRegistry::openKey(const std::string& path, Key* key) {
  if (const char* bundle = bundleOfTree(path)) {
    OpenKey* open = new OpenKey;
    open->tree = path;
    open->isTree = true;
    open->installations = list(bundle);
    *key = open;
    return true;
  }
  // The name is everything after the tree: a version read from a file may
  // hold any character, a backslash too.
  std::string tree;
  for (const char* candidate : {kJdkTree, kJreTree}) {
    std::string prefix = std::string(candidate) + '\\';
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0) tree = candidate;
  }
  if (tree.empty()) return false;
  const char* bundle = bundleOfTree(tree);
  std::string name = path.substr(tree.size() + 1);

  const Installation* found = nullptr;
  auto last = m_lastEnumerated.find(tree);
  if (last != m_lastEnumerated.end() && last->second.version == name) found = &last->second;
  std::vector<Installation> installations;
  if (!found) {
    installations = list(bundle);
    for (const Installation& installation : installations) {
      if (installation.version == name) {
        found = &installation;
        break;
      }
    }
  }
  if (!found) return false;
  OpenKey* open = new OpenKey;
  open->tree = tree;
  open->installation = *found;
  *key = open;
  return true;
}

bool InstallationRegistry::enumerateSubkey(Key key, unsigned long index, std::string* name) {
  const OpenKey* open = static_cast<const OpenKey*>(key);
  if (!open->isTree || index >= open->installations.size()) return false;
  const Installation& installation = open->installations[index];
  m_lastEnumerated[open->tree] = installation;
  *name = installation.version;
  return true;
}

bool InstallationRegistry::queryStringValue(Key key, const std::string& valueName, std::string* value) {
  const OpenKey* open = static_cast<const OpenKey*>(key);
  if (open->isTree || valueName != kJavaHomeValue) return false;
  *value = open->installation.home;
  return true;
}

void InstallationRegistry::closeKey(Key key) { delete static_cast<OpenKey*>(key); }

std::vector<InstallationRegistry::Installation> InstallationRegistry::list(const std::string& bundle) const {
  const char separator = m_conventions.pathSeparator;
  const std::string javac = std::string(1, separator) + "bin" + separator + "javac";
  const std::vector<std::string>& parents = bundle == "sdk" ? m_conventions.sdkJvmParents : m_conventions.jreJvmParents;

  struct Candidate {
    bool isLink;
    size_t root;
    std::string name;
    Installation installation;
  };
  std::vector<Candidate> candidates;
  for (size_t root = 0; root < m_roots.size(); ++root) {
    for (const DirectoryEntry& entry : m_fileSystem.findFiles(m_roots[root] + separator + "*")) {
      if (!entry.isDirectory) continue;
      std::string home = m_roots[root] + separator + entry.name;
      bool isSdk = m_fileSystem.exists(home + javac);
      if ((bundle == "sdk") != isSdk) continue;
      if (!holdsJvm(home, parents)) continue;
      candidates.push_back(
          Candidate{m_isLink(home), root, entry.name, Installation{versionOf(home, entry.name), home}});
    }
  }
  // Real directories first, then links; each by root, then by name, so that
  // every launch on the machine sees the same order.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return std::tie(a.isLink, a.root, a.name) < std::tie(b.isLink, b.root, b.name);
  });
  std::vector<Installation> installations;
  for (Candidate& candidate : candidates) installations.push_back(std::move(candidate.installation));
  return installations;
}

std::string InstallationRegistry::versionOf(const std::string& home, const std::string& name) const {
  std::string release;
  if (m_fileSystem.readFile(home + m_conventions.pathSeparator + "release", &release)) {
    size_t start = 0;
    while (start < release.size()) {
      size_t end = release.find('\n', start);
      if (end == std::string::npos) end = release.size();
      std::string line = trimmed(release.substr(start, end - start));
      start = end + 1;
      if (line.compare(0, sizeof kVersionKey - 1, kVersionKey) != 0) continue;
      std::string version = trimmed(line.substr(sizeof kVersionKey - 1));
      if (version.size() >= 2 && version.front() == '"' && version.back() == '"') {
        version = version.substr(1, version.size() - 2);
      }
      if (!version.empty()) return version;
      break;
    }
  }
  return name;
}

bool InstallationRegistry::holdsJvm(const std::string& home, const std::vector<std::string>& parents) const {
  for (const std::string& parent : parents) {
    for (const char* jvmDir : {"client", "server"}) {
      if (m_fileSystem.exists(home + parent + jvmDir + m_conventions.pathSeparator + m_conventions.jvmLibraryName)) {
        return true;
      }
    }
  }
  return false;
}
