#include "jvm/jvm_selector.h"

#include <algorithm>
#include <utility>

#include "jvm/jvm_installation_scanner.h"
#include "jvm/jvm_registry_reader.h"
#include "report/failure.h"
#include "report/messages.h"

Jvm JvmSelector::getMostAppropriateJvm() const {
  if (std::optional<Jvm> jvm = getJvmFromCustomJvmPath()) return std::move(*jvm);
  if (std::optional<Jvm> jvm = getJvmFromCustomJavaHome()) return std::move(*jvm);

  std::vector<Jvm> jvms;
  locateJvms(jvms);
  separateClientAndServerJvms(jvms);
  determineVersions(jvms);
  removeUnacceptableJvms(jvms);
  if (jvms.empty()) raiseFailure(message::kNoAcceptableJvm);

  // Of equal comparable versions the first in the list wins.
  size_t best = 0;
  for (size_t i = 1; i < jvms.size(); ++i) {
    if (jvms[i].getComparableVersion() > jvms[best].getComparableVersion()) best = i;
  }
  return std::move(jvms[best]);
}

std::optional<Jvm> JvmSelector::getJvmFromCustomJvmPath() const {
  const std::string& path = m_settings.jvmPath;
  if (path.empty()) return std::nullopt;
  if (!m_platform.fileSystem->exists(path)) raiseFailure(message::kJvmFileNotFound + path);
  Jvm jvm;
  jvm.setJvmPath(path);
  return jvm;
}

std::optional<Jvm> JvmSelector::getJvmFromCustomJavaHome() const {
  const std::string& home = m_settings.javaHomePath;
  if (home.empty()) return std::nullopt;
  std::vector<const char*> jvmDirs;
  const char* notFound;
  switch (m_settings.jvmType) {
    case Wish::kRequireSecond:
      jvmDirs = {kJvmDirServer};
      notFound = message::kServerJvmNotFound;
      break;
    case Wish::kRequireFirst:
      jvmDirs = {kJvmDirClient};
      notFound = message::kClientJvmNotFound;
      break;
    case Wish::kPreferSecond:
      jvmDirs = {kJvmDirServer, kJvmDirClient};
      notFound = message::kNoJvmForJavaHome;
      break;
    default:
      // Also an unknown wish: no error here.
      jvmDirs = {kJvmDirClient, kJvmDirServer};
      notFound = message::kNoJvmForJavaHome;
  }
  for (const char* jvmDir : jvmDirs) {
    if (std::optional<Jvm> jvm = getJvmFromJavaHome(home, jvmDir)) return jvm;
  }
  raiseFailure(notFound + home);
}

std::optional<Jvm> JvmSelector::getJvmFromJavaHome(const std::string& home, const std::string& jvmDir) const {
  const Conventions& conventions = *m_platform.conventions;
  for (const std::string& parent : conventions.javaHomeJvmParents) {
    std::string path = home + parent + jvmDir + conventions.pathSeparator + conventions.jvmLibraryName;
    if (m_platform.fileSystem->exists(path)) {
      Jvm jvm;
      jvm.setJvmPath(path);
      return jvm;
    }
  }
  return std::nullopt;
}

void JvmSelector::locateJvms(std::vector<Jvm>& jvms) const {
  JvmRegistryReader reader(*m_platform.registry);
  reader.addJdkJvms(jvms);
  reader.addJreJvms(jvms);
  JvmInstallationScanner scanner(m_platform);
  scanner.addJdkJvms(jvms);
  scanner.addJreJvms(jvms);
}

void JvmSelector::separateClientAndServerJvms(std::vector<Jvm>& jvms) const {
  std::vector<Jvm> servers;
  for (size_t i = jvms.size(); i-- > 0;) {
    Jvm& jvm = jvms[i];
    const bool client = jvm.jvmDllExists(m_platform, kJvmDirClient);
    const bool server = jvm.jvmDllExists(m_platform, kJvmDirServer);
    if (client && server) {
      Jvm serverJvm = jvm.duplicate();
      serverJvm.setBinJvmDir(kJvmDirServer);
      serverJvm.setJvmPath(serverJvm.getJvmDllPath(m_platform, kJvmDirServer));
      servers.push_back(std::move(serverJvm));
    }
    if (client || server) {
      const char* jvmDir = client ? kJvmDirClient : kJvmDirServer;
      jvm.setBinJvmDir(jvmDir);
      jvm.setJvmPath(jvm.getJvmDllPath(m_platform, jvmDir));
    }
  }
  // Records without a JVM library have no directory; dropped in one pass,
  // as erasing them one by one costs quadratic time in a long list.
  jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const Jvm& jvm) { return jvm.getBinJvmDir().empty(); }),
             jvms.end());
  jvms.insert(jvms.end(), servers.begin(), servers.end());
}

void JvmSelector::determineVersions(std::vector<Jvm>& jvms) const {
  const Wish bundle = m_settings.bundle;
  const Wish jvmType = m_settings.jvmType;
  // The code appended first weighs more; the choice rests on the settings
  // alone, so every record gets its codes in the same order.
  const bool bundleFirst = (bundle == Wish::kNone && jvmType == Wish::kNone) || isRequirement(bundle) ||
                           (isPreference(bundle) && !isRequirement(jvmType));
  for (Jvm& jvm : jvms) {
    if (!m_settings.bounds.isGreaterThanMinVersion(jvm.getVersion()) ||
        !m_settings.bounds.isLessThanMaxVersion(jvm.getVersion())) {
      jvm.setAcceptable(false);
    }
    jvm.setComparableVersion(Jvm::getComparableVersion(jvm.getVersion()));
    if (bundleFirst) {
      jvm.adjustComparableVersionBundle(bundle);
      jvm.adjustComparableVersionJvmDir(jvmType);
    } else {
      jvm.adjustComparableVersionJvmDir(jvmType);
      jvm.adjustComparableVersionBundle(bundle);
    }
  }
}

void JvmSelector::removeUnacceptableJvms(std::vector<Jvm>& jvms) const {
  jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const Jvm& jvm) { return !jvm.isAcceptable(); }), jvms.end());
}
