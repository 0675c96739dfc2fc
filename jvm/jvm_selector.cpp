#include "jvm/jvm_selector.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "config/launcher_properties.h"
#include "config/launcher_words.h"
#include "jvm/jvm_registry_reader.h"
#include "launcher/error_reporting.h"

namespace {

// Generic texts of the steps that would not fit on their call's line.
const char kFromCustomJvmPath[] = "Error while getting the JVM from the custom jvm path setting.";
const char kFromCustomJavaHome[] = "Error while getting the JVM from the custom Java path setting.";
const char kFromJavaHome[] = "Error while getting the JVM from the Java home path and JVM type.";

// The chosen record is referenced by the properties and their copies until
// the process ends, so the records (and the lists they were chosen from) are
// kept, never freed. A deque never moves what it already holds.
const Jvm& keep(Jvm jvm) {
  static auto* records = new std::deque<Jvm>;
  records->push_back(std::move(jvm));
  return records->back();
}

std::vector<Jvm>& newKeptList() {
  static auto* lists = new std::deque<std::vector<Jvm>>;
  return lists->emplace_back();
}

}  // namespace

const Jvm& JvmSelector::getMostAppropriateJvm() {
  return guardedStepPassingPayload("Error while locating the most appropriate JVM.", [&]() -> const Jvm& {
    if (std::optional<Jvm> jvm = getJvmFromCustomJvmPath()) return keep(std::move(*jvm));
    if (std::optional<Jvm> jvm = getJvmFromCustomJavaHome()) return keep(std::move(*jvm));

    std::vector<Jvm>& jvms = newKeptList();
    locateJvms(jvms);
    separateClientAndServerJvms(jvms);
    determineVersions(jvms);
    removeUnacceptableJvms(jvms);
    if (jvms.empty()) raiseFailure("No acceptable JVMs were found.");

    // Of equal comparable versions the first in the list wins.
    const Jvm* best = &jvms.front();
    for (const Jvm& jvm : jvms) {
      if (jvm.getComparableVersion() > best->getComparableVersion()) best = &jvm;
    }
    return *best;
  });
}

std::optional<Jvm> JvmSelector::getJvmFromCustomJvmPath() {
  return guardedStepPassingPayload(kFromCustomJvmPath, [&]() -> std::optional<Jvm> {
    const std::string& path = m_properties.getCustomJvmPath();
    if (path.empty()) return std::nullopt;
    if (!m_properties.getPlatform().fileSystem->exists(path)) {
      raiseFailure("This JVM file could not be found: " + path);
    }
    Jvm jvm;
    jvm.setJvmPath(path);
    return jvm;
  });
}

std::optional<Jvm> JvmSelector::getJvmFromCustomJavaHome() {
  return guardedStepPassingPayload(kFromCustomJavaHome, [&]() -> std::optional<Jvm> {
    const std::string& home = m_properties.getCustomJavaHomePath();
    if (home.empty()) return std::nullopt;
    const std::string& type = m_properties.getCustomBinJvmDir();
    std::vector<const char*> jvmDirs;
    const char* message;
    if (type == kRequireServer) {
      jvmDirs = {kJvmDirServer};
      message = "The server JVM could not be found for Java home: ";
    } else if (type == kRequireClient) {
      jvmDirs = {kJvmDirClient};
      message = "The client JVM could not be found for Java home: ";
    } else if (type == kPreferServer) {
      jvmDirs = {kJvmDirServer, kJvmDirClient};
      message = "A JVM could not be found for Java home: ";
    } else {
      // Also any word that is none of the four: no error here.
      jvmDirs = {kJvmDirClient, kJvmDirServer};
      message = "A JVM could not be found for Java home: ";
    }
    for (const char* jvmDir : jvmDirs) {
      if (std::optional<Jvm> jvm = getJvmFromJavaHome(home, jvmDir)) return jvm;
    }
    raiseFailure(message + home);
  });
}

std::optional<Jvm> JvmSelector::getJvmFromJavaHome(const std::string& home, const std::string& jvmDir) {
  return guardedStep(kFromJavaHome, [&]() -> std::optional<Jvm> {
    const Platform& platform = m_properties.getPlatform();
    const Conventions& conventions = *platform.conventions;
    for (const std::string& parent : conventions.javaHomeJvmParents) {
      std::string path = home + parent + jvmDir + conventions.pathSeparator + conventions.jvmLibraryName;
      if (platform.fileSystem->exists(path)) {
        Jvm jvm;
        jvm.setJvmPath(path);
        return jvm;
      }
    }
    return std::nullopt;
  });
}

void JvmSelector::locateJvms(std::vector<Jvm>& jvms) {
  guardedStep("Error while locating JVMs.", [&] {
    JvmRegistryReader reader(m_properties);
    reader.addJdkJvms(jvms);
    reader.addJreJvms(jvms);
  });
}

void JvmSelector::separateClientAndServerJvms(std::vector<Jvm>& jvms) {
  guardedStep("Error while separating out the different JVMs (client or server).", [&] {
    const Platform& platform = m_properties.getPlatform();
    std::vector<Jvm> servers;
    for (size_t i = jvms.size(); i-- > 0;) {
      Jvm& jvm = jvms[i];
      const bool client = jvm.jvmDllExists(platform, kJvmDirClient);
      const bool server = jvm.jvmDllExists(platform, kJvmDirServer);
      if (client && server) {
        Jvm serverJvm = jvm.duplicate();
        serverJvm.setBinJvmDir(kJvmDirServer);
        serverJvm.setJvmPath(serverJvm.getJvmDllPath(platform, kJvmDirServer));
        servers.push_back(std::move(serverJvm));
      }
      if (client || server) {
        const char* jvmDir = client ? kJvmDirClient : kJvmDirServer;
        jvm.setBinJvmDir(jvmDir);
        jvm.setJvmPath(jvm.getJvmDllPath(platform, jvmDir));
      }
    }
    // Records without a JVM library have no directory; dropped in one pass,
    // as erasing them one by one costs quadratic time in a long list.
    jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const Jvm& jvm) { return jvm.getBinJvmDir().empty(); }),
               jvms.end());
    jvms.insert(jvms.end(), servers.begin(), servers.end());
  });
}

void JvmSelector::determineVersions(std::vector<Jvm>& jvms) {
  guardedStep("Error while determining versions of the JVMs.", [&] {
    const std::string& bundle = m_properties.getCustomJavaBundle();
    const std::string& jvmType = m_properties.getCustomBinJvmDir();
    // The code appended first weighs more; the choice rests on the settings
    // alone, so every record gets its codes in the same order.
    const bool bundleFirst = (bundle.empty() && jvmType.empty()) || m_properties.isJavaBundleRequirement() ||
                             (m_properties.isJavaBundlePreference() && !m_properties.isBinJvmDirRequirement());
    for (Jvm& jvm : jvms) {
      if (!m_properties.isGreaterThanMinVersion(jvm.getVersion())) {
        jvm.setAcceptable(false);
      } else if (!m_properties.isLessThanMaxVersion(jvm.getVersion())) {
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
  });
}

void JvmSelector::removeUnacceptableJvms(std::vector<Jvm>& jvms) {
  guardedStep("Error while removing unacceptable versions of the JVM.", [&] {
    jvms.erase(std::remove_if(jvms.begin(), jvms.end(), [](const Jvm& jvm) { return !jvm.isAcceptable(); }),
               jvms.end());
  });
}
