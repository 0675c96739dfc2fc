#include "jvm/jvm.h"

#include <vector>

#include "config/launcher_words.h"
#include "launcher/error_reporting.h"
#include "platform/platform.h"

namespace {

bool isVersionSeparator(char c) { return c == '.' || c == '_'; }

// Where the JVM directories of a runtime lie below its home. With one
// convention there is nothing to probe. With several (the layouts of
// different Java releases), the first one that holds a JVM directory wins;
// a parent directory alone proves nothing, as lib/ exists in every layout.
const std::string& jvmParentBelow(const Platform& platform, const std::string& home,
                                  const std::vector<std::string>& parents) {
  static const std::string kNone;
  if (parents.empty()) return kNone;
  if (parents.size() > 1) {
    for (const std::string& parent : parents) {
      if (platform.fileSystem->exists(home + parent + kJvmDirClient) ||
          platform.fileSystem->exists(home + parent + kJvmDirServer)) {
        return parent;
      }
    }
  }
  return parents.front();
}

}  // namespace

std::string Jvm::getComparableVersion(const std::string& version) {
  return guardedStep("Error while getting comparable JVM version using regular version.", [&] {
    std::string comparable;
    size_t position = 0;
    for (int piece = 0; piece < 4; ++piece) {
      while (position < version.size() && isVersionSeparator(version[position])) ++position;
      size_t end = position;
      while (end < version.size() && !isVersionSeparator(version[end])) ++end;
      std::string text = end > position ? version.substr(position, end - position) : std::string("0");
      position = end;
      if (text.size() < 3) comparable.append(3 - text.size(), '0');
      comparable += text;
      comparable += '.';
    }
    return comparable;
  });
}

void Jvm::adjustComparableVersionBundle(const std::string& desiredBundle) {
  guardedStepPassingPayload("Error while adjusting the comparable Java version bundle.", [&] {
    const bool sdk = m_javaBundle == kBundleSdk;
    if (!sdk && m_javaBundle != kBundleJre) {
      raiseFailure("Java bundle must be set before adjusting comparable version");
    }
    unsigned code = 0;
    if (desiredBundle == kRequireSdk) {
      code = sdk ? 3 : 0;
    } else if (desiredBundle == kPreferSdk) {
      code = sdk ? 2 : 1;
    } else if (desiredBundle.empty() || desiredBundle == kPreferJre) {
      code = sdk ? 1 : 2;
    } else if (desiredBundle == kRequireJre) {
      code = sdk ? 0 : 3;
    } else {
      raiseFailure("Desired Java bundle settings are not correct.");
    }
    if (code == 0) m_acceptable = false;
    m_comparableVersion += "B" + std::to_string(code) + ".";
  });
}

void Jvm::adjustComparableVersionJvmDir(const std::string& desiredJvmDir) {
  guardedStepPassingPayload("Error while adjusting the comparable Java JVM directories.", [&] {
    const bool client = m_binJvmDir == kJvmDirClient;
    if (!client && m_binJvmDir != kJvmDirServer) {
      raiseFailure("Bin Jvm Dir must be set before adjusting the comparable version.");
    }
    unsigned code = 0;
    if (desiredJvmDir == kRequireClient) {
      code = client ? 3 : 0;
    } else if (desiredJvmDir.empty() || desiredJvmDir == kPreferClient) {
      code = client ? 2 : 1;
    } else if (desiredJvmDir == kPreferServer) {
      code = client ? 1 : 2;
    } else if (desiredJvmDir == kRequireServer) {
      code = client ? 0 : 3;
    } else {
      raiseFailure("Desired JVM settings are not correct.");
    }
    if (code == 0) m_acceptable = false;
    m_comparableVersion += "D" + std::to_string(code) + ".";
  });
}

const std::string& Jvm::getJrePath(const Platform& platform) {
  return guardedStepPassingPayload("Error while getting the JRE path.", [&]() -> const std::string& {
    if (!m_jrePath.empty()) return m_jrePath;
    const Conventions& conventions = *platform.conventions;
    if (m_javaBundle == kBundleJre) {
      m_jrePath = m_javaHomePath + jvmParentBelow(platform, m_javaHomePath, conventions.jreJvmParents);
    } else if (m_javaBundle == kBundleSdk) {
      m_jrePath = m_javaHomePath + jvmParentBelow(platform, m_javaHomePath, conventions.sdkJvmParents);
    } else {
      raiseFailure("Java home path must be determined before the JRE path can be determined.");
    }
    return m_jrePath;
  });
}

std::string Jvm::getJvmDllPath(const Platform& platform, const std::string& jvmDir) {
  return guardedStep("Error while getting the jvm.dll path.", [&] {
    const Conventions& conventions = *platform.conventions;
    return getJrePath(platform) + jvmDir + conventions.pathSeparator + conventions.jvmLibraryName;
  });
}

bool Jvm::jvmDllExists(const Platform& platform, const std::string& jvmDir) {
  return guardedStep("Error while testing if JVM.DLL exists.",
                     [&] { return platform.fileSystem->exists(getJvmDllPath(platform, jvmDir)); });
}

Jvm Jvm::duplicate() const {
  return topLevelGuard([&] {
    Jvm copy;
    copy.m_javaHomePath = m_javaHomePath;
    copy.m_javaBundle = m_javaBundle;
    copy.m_version = m_version;
    return copy;
  });
}

std::string Jvm::toString() const {
  return "m_jvmPath=" + m_jvmPath + ",m_javaBundle=" + m_javaBundle + ",m_binJvmDir=" + m_binJvmDir +
         ",m_comparableVersion=" + m_comparableVersion + ",m_javaHomePath=" + m_javaHomePath +
         ",m_version=" + m_version + ",m_jrePath=" + m_jrePath + ",m_acceptable=" + (m_acceptable ? "true" : "false");
}
