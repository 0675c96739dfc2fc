#include "jvm/jvm_settings.h"

#include <algorithm>

#include "jvm/java_version.h"
#include "text/ascii_text.h"

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

bool searchGroupsOf(const std::string& text, SearchGroups* groups, std::string* unknown) {
  SearchGroups named{false, false, false, false};
  bool any = false;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find_first_of(",; \t", start), text.size());
    const std::string written = text.substr(start, end - start);
    const std::string word = lowerCasedAscii(written);
    start = end + 1;
    if (word.empty()) continue;
    any = true;
    if (word == kSearchRegistry) {
      named.registry = true;
    } else if (word == kSearchEnvironment) {
      named.environment = true;
    } else if (word == kSearchFolders) {
      named.folders = true;
    } else if (word == kSearchPath) {
      named.path = true;
    } else {
      *unknown = written;
      return false;
    }
  }
  *groups = any ? named : SearchGroups{};
  return true;
}
