#include "jvm/jvm_settings.h"

#include "jvm/version_order.h"

namespace {

Wish wishOf(const std::string& word, const char* preferFirst, const char* preferSecond, const char* requireFirst,
            const char* requireSecond) {
  if (word.empty()) return Wish::kNone;
  if (word == preferFirst) return Wish::kPreferFirst;
  if (word == preferSecond) return Wish::kPreferSecond;
  if (word == requireFirst) return Wish::kRequireFirst;
  if (word == requireSecond) return Wish::kRequireSecond;
  return Wish::kUnknown;
}

}  // namespace

BundleWish bundleWishOf(const std::string& word) {
  return wishOf(word, kPreferSdk, kPreferJre, kRequireSdk, kRequireJre);
}

JvmTypeWish jvmTypeWishOf(const std::string& word) {
  return wishOf(word, kPreferClient, kPreferServer, kRequireClient, kRequireServer);
}

// The bounds compare plain version texts in the version order, never a
// record's comparable version, which may carry preference codes and whose
// text order misplaces long pieces and pre-releases.

bool VersionBounds::isGreaterThanMinVersion(const std::string& version) const {
  return minimum.empty() || compareJavaVersions(version, minimum) >= 0;
}

bool VersionBounds::isLessThanMaxVersion(const std::string& version) const {
  return maximum.empty() || compareJavaVersions(version, maximum) <= 0;
}
