#include "jvm/jvm_selector.h"

#include <algorithm>
#include <utility>

#include "jvm/java_version.h"
#include "jvm/machine_type.h"
#include "jvm/sources/java_home.h"
#include "jvm/sources/jvm_installation_scanner.h"
#include "jvm/sources/jvm_registry_reader.h"
#include "jvm/sources/runtime_sources.h"
#include "report/diagnostics_log.h"
#include "report/failure.h"
#include "report/messages.h"
#include "text/ascii_text.h"

namespace {

/// The preference codes that the rating appended to a record's comparable version.
std::string preferenceCodes(const Jvm& jvm) {
  const std::string& comparable = jvm.getComparableVersion();
  return comparable.substr(std::min(comparableJavaVersion(jvm.getVersion()).size(), comparable.size()));
}

/// Where to get a runtime that BOUNDS admit: the line that follows the report
/// of none acceptable.
std::string downloadLine(const VersionBounds& bounds, const std::string& url) {
  std::string line = message::kJavaDownload;
  if (!bounds.minimum.empty()) {
    line += message::kVersionsFrom + bounds.minimum;
    line += bounds.maximum.empty() ? std::string(message::kVersionsOrLater) : message::kVersionsAnd + bounds.maximum;
  } else if (!bounds.maximum.empty()) {
    line += message::kVersionsUpTo + bounds.maximum;
  }
  return line + message::kDownloadAt + url;
}

/// The best of the rated, acceptable JVMS: versions first, in the version
/// order, then the preference codes; of equal ranks the first in the list.
size_t bestOf(const std::vector<Jvm>& jvms) {
  size_t best = 0;
  std::string bestCodes = preferenceCodes(jvms[best]);
  for (size_t i = 1; i < jvms.size(); ++i) {
    const int order = compareJavaVersions(jvms[i].getVersion(), jvms[best].getVersion());
    if (order < 0) continue;
    std::string codes = preferenceCodes(jvms[i]);
    if (order > 0 || codes > bestCodes) {
      best = i;
      bestCodes = std::move(codes);
    }
  }
  return best;
}

/// The homes of "vexil.java.home.fallback", without blanks around them.
std::vector<std::string> fallbackHomes(const std::string& text) {
  std::vector<std::string> homes;
  for (const std::string& piece : split(text, ';')) {
    std::string home = trimmed(piece, " \t");
    if (!home.empty()) homes.push_back(std::move(home));
  }
  return homes;
}

/// The JVM directories to look in below a configured Java home, in the order
/// the JVM type wish asks, and the report when none holds a library.
struct HomeSearch {
  std::vector<const char*> jvmDirs;
  const char* notFound;
};

HomeSearch homeSearchFor(JvmTypeWish jvmType) {
  switch (jvmType) {
    case Wish::kRequireSecond:
      return {{kJvmDirServer}, message::kServerJvmNotFound};
    case Wish::kRequireFirst:
      return {{kJvmDirClient}, message::kClientJvmNotFound};
    case Wish::kPreferSecond:
      return {{kJvmDirServer, kJvmDirClient}, message::kNoJvmForJavaHome};
    default:
      // Also an unknown wish: no error here.
      return {{kJvmDirClient, kJvmDirServer}, message::kNoJvmForJavaHome};
  }
}

}  // namespace

Jvm JvmSelector::getMostAppropriateJvm() const {
  if (!m_settings.jvmPath.empty()) return getJvmFromCustomJvmPath();
  if (!m_settings.javaHomePath.empty()) return getJvmFromCustomJavaHome();
  if (std::optional<Jvm> jvm = getJvmFromFallbackHomes()) return std::move(*jvm);

  std::vector<Jvm> jvms;
  locateJvms(jvms);
  separateClientAndServerJvms(jvms);
  determineVersions(jvms);
  removeUnacceptableJvms(jvms);
  if (jvms.empty()) raiseNoneAcceptable();
  return std::move(jvms[bestOf(jvms)]);
}

void JvmSelector::raiseNoneAcceptable() const {
  // What was seen follows the first line, and goes to the debug file too.
  std::string report = message::kNoAcceptableJvm;
  for (const std::string& line : m_rejections) {
    report += "\n" + line;
    if (!m_settings.debugFile.empty()) appendLogLine(m_settings.debugFile, line);
  }
  if (!m_settings.downloadUrl.empty()) {
    raiseFailureOfferingPage(report + "\n" + downloadLine(m_settings.bounds, m_settings.downloadUrl),
                             m_settings.downloadUrl);
  }
  raiseFailure(report);
}

std::optional<Jvm> JvmSelector::getJvmFromFallbackHomes() const {
  // Each home is rated as discovery rates a runtime: a missing one, one for
  // another machine or out of the bounds is passed, and said if nothing else
  // is found either.
  const Platform& platform = m_platform;
  for (const std::string& home : fallbackHomes(m_settings.homeFallback)) {
    // A relative home would be looked for in the current directory, where
    // anybody may have put a runtime: write it with ${SELF_HOME}.
    if (!isAbsolutePath(home, *platform.conventions)) continue;
    const size_t cut = home.find_last_of(platform.conventions->pathSeparator);
    std::optional<Jvm> runtime = probeHome(*platform.fileSystem, *platform.conventions, home,
                                           cut == std::string::npos ? home : home.substr(cut + 1));
    if (!runtime) continue;
    runtime->setSource(kFallbackSource);
    std::vector<Jvm> jvms{std::move(*runtime)};
    separateClientAndServerJvms(jvms);
    determineVersions(jvms);
    removeUnacceptableJvms(jvms);
    if (!jvms.empty()) return std::move(jvms[bestOf(jvms)]);
  }
  return std::nullopt;
}

Jvm JvmSelector::getJvmFromCustomJvmPath() const {
  const std::string& path = m_settings.jvmPath;
  if (!m_platform.fileSystem->exists(path)) raiseFailure(message::kJvmFileNotFound + path);
  if (std::optional<std::string> mismatch = machineMismatch(path)) {
    raiseFailure(message::kJvmFileNotFound + path + "\n" + message::kWrongMachineFound + *mismatch + ".");
  }
  Jvm jvm;
  jvm.setJvmPath(path);
  jvm.setSource(kJvmPathSource);
  return jvm;
}

Jvm JvmSelector::getJvmFromCustomJavaHome() const {
  const std::string& home = m_settings.javaHomePath;
  const HomeSearch search = homeSearchFor(m_settings.jvmType);
  m_mismatchedLibraries.clear();
  for (const char* jvmDir : search.jvmDirs) {
    if (std::optional<Jvm> jvm = getJvmFromJavaHome(home, jvmDir)) {
      jvm->setSource(kJavaHomeSource);
      return std::move(*jvm);
    }
  }
  std::string report = search.notFound + home;
  for (const std::string& line : m_mismatchedLibraries) report += "\n" + line;
  raiseFailure(report);
}

std::optional<Jvm> JvmSelector::getJvmFromJavaHome(const std::string& home, const std::string& jvmDir) const {
  const Conventions& conventions = *m_platform.conventions;
  for (const std::string& parent : conventions.javaHomeJvmParents) {
    std::string path = jvmLibraryIn(conventions, home + parent, jvmDir);
    if (m_platform.fileSystem->exists(path)) {
      // A library for another machine counts as none; the report says so.
      if (std::optional<std::string> mismatch = machineMismatch(path)) {
        m_mismatchedLibraries.push_back(path + ": " + *mismatch + ".");
        continue;
      }
      Jvm jvm;
      jvm.setJvmPath(path);
      return jvm;
    }
  }
  return std::nullopt;
}

void JvmSelector::locateJvms(std::vector<Jvm>& jvms) const {
  SearchGroups groups;
  std::string unknown;
  if (!searchGroupsOf(m_settings.search, &groups, &unknown)) raiseFailure(message::kUnknownSearchGroup + unknown);
  const Platform& platform = m_platform;
  // Each home once, however many sources or paths lead to it; only the old
  // trees keep a record per key, as they name versions of their own.
  FoundHomes found(*platform.fileSystem, *platform.conventions);
  if (groups.registry) {
    JvmRegistryReader reader(*platform.registry);
    reader.addJdkJvms(jvms);
    reader.addJreJvms(jvms);
    for (const Jvm& jvm : jvms) found.add(jvm.getJavaHomePath());
  }
  if (groups.folders) {
    // Linux's installation folders, read before the other sources as always.
    std::vector<Jvm> installed;
    JvmInstallationScanner scanner(platform);
    scanner.addJdkJvms(installed);
    scanner.addJreJvms(installed);
    for (Jvm& jvm : installed) {
      if (found.add(jvm.getJavaHomePath())) jvms.push_back(std::move(jvm));
    }
  }
  const auto append = [&jvms](std::vector<Jvm> found) {
    for (Jvm& jvm : found) jvms.push_back(std::move(jvm));
  };
  if (groups.registry) {
    append(findRegisteredRuntimes(*platform.registry, *platform.fileSystem, *platform.conventions, found));
  }
  if (groups.environment) {
    if (std::optional<Jvm> jvm =
            findJavaHomeRuntime(*platform.environment, *platform.fileSystem, *platform.conventions, found)) {
      jvms.push_back(std::move(*jvm));
    }
  }
  if (groups.folders) append(findFolderRuntimes(platform, found));
  if (groups.path) append(findPathRuntimes(platform, found));
}

void JvmSelector::separateClientAndServerJvms(std::vector<Jvm>& jvms) const {
  std::vector<Jvm> servers;
  for (size_t i = jvms.size(); i-- > 0;) {
    Jvm& jvm = jvms[i];
    bool client = jvm.jvmDllExists(m_platform, kJvmDirClient);
    bool server = jvm.jvmDllExists(m_platform, kJvmDirServer);
    // A development kit of Java 9 or later has no jre folder: its JVM
    // directories lie where a runtime environment's do.
    const Conventions& conventions = *m_platform.conventions;
    if (!client && !server && jvm.getJavaBundle() == kBundleSdk &&
        !m_platform.fileSystem->exists(jvm.getJavaHomePath() + conventions.pathSeparator + "jre")) {
      jvm.setJrePath(jvm.getJavaHomePath() + conventions.jreJvmParents.front());
      client = jvm.jvmDllExists(m_platform, kJvmDirClient);
      server = jvm.jvmDllExists(m_platform, kJvmDirServer);
    }
    if (!client && !server) reject(jvm, message::kNoJvmLibrary + jvm.resolveJrePath(m_platform));
    if (client && server) {
      Jvm serverJvm = jvm.duplicate();
      // Where the JVMs were found, which the bundle alone does not tell for
      // a probed layout.
      serverJvm.setJrePath(jvm.resolveJrePath(m_platform));
      serverJvm.setBinJvmDir(kJvmDirServer);
      serverJvm.setJvmPath(serverJvm.resolveJvmDllPath(m_platform, kJvmDirServer));
      servers.push_back(std::move(serverJvm));
    }
    if (client || server) {
      const char* jvmDir = client ? kJvmDirClient : kJvmDirServer;
      jvm.setBinJvmDir(jvmDir);
      jvm.setJvmPath(jvm.resolveJvmDllPath(m_platform, jvmDir));
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
    applyBounds(jvm);
    jvm.setComparableVersion(comparableJavaVersion(jvm.getVersion()));
    rateByWishes(jvm, bundleFirst);
    if (!jvm.isAcceptable()) continue;
    if (std::optional<std::string> mismatch = machineMismatch(jvm.getJvmPath())) {
      jvm.setAcceptable(false);
      reject(jvm, *mismatch);
    }
  }
}

void JvmSelector::applyBounds(Jvm& jvm) const {
  if (!m_settings.bounds.isGreaterThanMinVersion(jvm.getVersion())) {
    jvm.setAcceptable(false);
    reject(jvm, message::kTooOld + m_settings.bounds.minimum);
  } else if (!m_settings.bounds.isLessThanMaxVersion(jvm.getVersion())) {
    jvm.setAcceptable(false);
    reject(jvm, message::kTooNew + m_settings.bounds.maximum);
  }
}

void JvmSelector::rateByWishes(Jvm& jvm, bool bundleFirst) const {
  // A requirement that the record misses makes it unacceptable; say which.
  bool missesBundle = false;
  bool missesJvmType = false;
  auto adjustBundle = [&] {
    const bool before = jvm.isAcceptable();
    jvm.adjustComparableVersionBundle(m_settings.bundle);
    missesBundle = before && !jvm.isAcceptable();
  };
  auto adjustJvmType = [&] {
    const bool before = jvm.isAcceptable();
    jvm.adjustComparableVersionJvmDir(m_settings.jvmType);
    missesJvmType = before && !jvm.isAcceptable();
  };
  if (bundleFirst) {
    adjustBundle();
    adjustJvmType();
  } else {
    adjustJvmType();
    adjustBundle();
  }
  if (missesBundle) {
    reject(jvm, jvm.getJavaBundle() == kBundleJre ? message::kNotADevelopmentKit : message::kNotARuntimeEnvironment);
  } else if (missesJvmType) {
    reject(jvm, jvm.getBinJvmDir() == kJvmDirClient ? message::kNotTheServerJvm : message::kNotTheClientJvm);
  }
}

void JvmSelector::removeUnacceptableJvms(std::vector<Jvm>& jvms) const {
  jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const Jvm& jvm) { return !jvm.isAcceptable(); }), jvms.end());
}

void JvmSelector::reject(const Jvm& jvm, const std::string& reason) const {
  // A runtime with two JVMs is two records; one line says it for both.
  std::string line = jvm.getVersion() + " " + jvm.getJavaBundle() + " in " + jvm.getJavaHomePath() + ": " + reason;
  if (m_rejected.insert(line).second) m_rejections.push_back(std::move(line));
}

std::optional<std::string> JvmSelector::machineMismatch(const std::string& path) const {
  // A header that cannot be read proves nothing: loading the library will tell.
  const Machine machine = readLibraryMachine(*m_platform.fileSystem, path);
  if (machine == Machine::Unknown || machine == launcherMachine()) return std::nullopt;
  return message::kRuntimeIs + describeMachine(machine) + message::kAndThisLauncherIs +
         describeMachine(launcherMachine());
}
