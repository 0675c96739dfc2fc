#include "jvm/sources/jvm_installation_scanner.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "jvm/sources/java_home.h"

void JvmInstallationScanner::addJdkJvms(std::vector<Jvm>& jvms) const { addJvms(kBundleSdk, jvms); }

void JvmInstallationScanner::addJreJvms(std::vector<Jvm>& jvms) const { addJvms(kBundleJre, jvms); }

void JvmInstallationScanner::addJvms(const char* bundle, std::vector<Jvm>& jvms) const {
  const Conventions& conventions = *m_platform.conventions;
  const FileSystem& fileSystem = *m_platform.fileSystem;
  const char separator = conventions.pathSeparator;
  const std::string javac = std::string(1, separator) + "bin" + separator + conventions.javaCompilerName;
  const bool wantSdk = std::string(bundle) == kBundleSdk;
  const std::vector<std::string>& parents = wantSdk ? conventions.sdkJvmParents : conventions.jreJvmParents;
  struct Candidate {
    bool isLink;
    size_t root;
    std::string name;
    Jvm jvm;
  };
  std::vector<Candidate> candidates;
  const std::vector<std::string>& roots = conventions.installationRoots;
  for (size_t root = 0; root < roots.size(); ++root) {
    for (const DirectoryEntry& entry : fileSystem.findFiles(roots[root] + separator + "*")) {
      // A listing names no entry without a name; a damaged one must not make
      // the root itself a home.
      if (!entry.isDirectory || entry.name.empty()) continue;
      std::string home = roots[root] + separator + entry.name;
      if (fileSystem.exists(home + javac) != wantSdk) continue;
      if (!holdsJvm(home, parents)) continue;
      Jvm jvm;
      jvm.setJavaBundle(bundle);
      jvm.setJavaHomePath(home);
      jvm.setVersion(versionOf(home, entry.name));
      jvm.setSource(roots[root]);
      candidates.push_back(Candidate{fileSystem.isSymbolicLink(home), root, entry.name, std::move(jvm)});
    }
  }
  // Real directories first, then links; each by root, then by name, so that
  // every launch on the machine sees the same order.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return std::tie(a.isLink, a.root, a.name) < std::tie(b.isLink, b.root, b.name);
  });
  for (Candidate& candidate : candidates) jvms.push_back(std::move(candidate.jvm));
}

std::string JvmInstallationScanner::versionOf(const std::string& home, const std::string& name) const {
  return releaseVersion(*m_platform.fileSystem, *m_platform.conventions, home).value_or(name);
}

bool JvmInstallationScanner::holdsJvm(const std::string& home, const std::vector<std::string>& parents) const {
  for (const std::string& parent : parents) {
    if (holdsJvmLibrary(*m_platform.fileSystem, *m_platform.conventions, home + parent)) return true;
  }
  return false;
}
