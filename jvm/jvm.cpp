#include "jvm/jvm.h"

#include <vector>

#include "platform/platform.h"
#include "report/failure.h"
#include "report/messages.h"

namespace {

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

std::string jvmLibraryIn(const Conventions& conventions, const std::string& directory, const std::string& jvmDir) {
  return directory + jvmDir + conventions.pathSeparator + conventions.jvmLibraryName;
}

void Jvm::adjustComparableVersionBundle(BundleWish desiredBundle) {
  const bool sdk = m_javaBundle == kBundleSdk;
  if (!sdk && m_javaBundle != kBundleJre) raiseFailure(message::kBundleNotSet);
  appendWishCode('B', sdk, desiredBundle, false, message::kBundleWishNotCorrect);
}

void Jvm::adjustComparableVersionJvmDir(JvmTypeWish desiredJvmDir) {
  const bool client = m_binJvmDir == kJvmDirClient;
  if (!client && m_binJvmDir != kJvmDirServer) raiseFailure(message::kJvmDirNotSet);
  appendWishCode('D', client, desiredJvmDir, true, message::kJvmTypeWishNotCorrect);
}

void Jvm::appendWishCode(char letter, bool isFirst, Wish wish, bool noWishPrefersFirst, const char* unknownWishText) {
  if (wish == Wish::kUnknown) raiseFailure(unknownWishText);
  const bool wishesFirst =
      wish == Wish::kRequireFirst || wish == Wish::kPreferFirst || (wish == Wish::kNone && noWishPrefersFirst);
  const bool met = isFirst == wishesFirst;
  const unsigned code = isRequirement(wish) ? (met ? 3 : 0) : (met ? 2 : 1);
  if (code == 0) m_acceptable = false;
  m_comparableVersion += letter + std::to_string(code) + ".";
}

const std::string& Jvm::resolveJrePath(const Platform& platform) {
  if (!m_jrePath.empty()) return m_jrePath;
  const bool jre = m_javaBundle == kBundleJre;
  if (!jre && m_javaBundle != kBundleSdk) raiseFailure(message::kJavaHomeNotSet);
  const Conventions& conventions = *platform.conventions;
  const std::vector<std::string>& parents = jre ? conventions.jreJvmParents : conventions.sdkJvmParents;
  m_jrePath = m_javaHomePath + jvmParentBelow(platform, m_javaHomePath, parents);
  return m_jrePath;
}

std::string Jvm::resolveJvmDllPath(const Platform& platform, const std::string& jvmDir) {
  return jvmLibraryIn(*platform.conventions, resolveJrePath(platform), jvmDir);
}

bool Jvm::jvmDllExists(const Platform& platform, const std::string& jvmDir) {
  return platform.fileSystem->exists(resolveJvmDllPath(platform, jvmDir));
}

Jvm Jvm::duplicate() const {
  Jvm copy;
  copy.m_javaHomePath = m_javaHomePath;
  copy.m_javaBundle = m_javaBundle;
  copy.m_version = m_version;
  copy.m_source = m_source;
  return copy;
}

std::string Jvm::toString() const {
  return "m_jvmPath=" + m_jvmPath + ",m_javaBundle=" + m_javaBundle + ",m_binJvmDir=" + m_binJvmDir +
         ",m_comparableVersion=" + m_comparableVersion + ",m_javaHomePath=" + m_javaHomePath +
         ",m_version=" + m_version + ",m_jrePath=" + m_jrePath + ",m_acceptable=" + (m_acceptable ? "true" : "false");
}
