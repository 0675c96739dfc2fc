#include "jvm/jvm.h"

#include <vector>

#include "platform/platform.h"
#include "report/failure.h"
#include "report/messages.h"

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
  unsigned code = 0;
  switch (wish) {
    case Wish::kRequireFirst:
      code = isFirst ? 3 : 0;
      break;
    case Wish::kRequireSecond:
      code = isFirst ? 0 : 3;
      break;
    case Wish::kPreferFirst:
      code = isFirst ? 2 : 1;
      break;
    case Wish::kPreferSecond:
      code = isFirst ? 1 : 2;
      break;
    case Wish::kNone:
      code = isFirst == noWishPrefersFirst ? 2 : 1;
      break;
    case Wish::kUnknown:
      raiseFailure(unknownWishText);
  }
  if (code == 0) m_acceptable = false;
  m_comparableVersion += letter + std::to_string(code) + ".";
}

const std::string& Jvm::getJrePath(const Platform& platform) {
  if (!m_jrePath.empty()) return m_jrePath;
  const Conventions& conventions = *platform.conventions;
  if (m_javaBundle == kBundleJre) {
    m_jrePath = m_javaHomePath + jvmParentBelow(platform, m_javaHomePath, conventions.jreJvmParents);
  } else if (m_javaBundle == kBundleSdk) {
    m_jrePath = m_javaHomePath + jvmParentBelow(platform, m_javaHomePath, conventions.sdkJvmParents);
  } else {
    raiseFailure(message::kJavaHomeNotSet);
  }
  return m_jrePath;
}

std::string Jvm::getJvmDllPath(const Platform& platform, const std::string& jvmDir) {
  const Conventions& conventions = *platform.conventions;
  return getJrePath(platform) + jvmDir + conventions.pathSeparator + conventions.jvmLibraryName;
}

bool Jvm::jvmDllExists(const Platform& platform, const std::string& jvmDir) {
  return platform.fileSystem->exists(getJvmDllPath(platform, jvmDir));
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
