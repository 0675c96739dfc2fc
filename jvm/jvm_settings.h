#ifndef VEXIL_JVM_JVM_SETTINGS_H_
#define VEXIL_JVM_JVM_SETTINGS_H_

#include <string>

#include "report/words.h"

// What the runtime choice is asked for: the wishes as values (their words are
// in report/words.h), the version bounds and the settings of one selection.

/// A wish about one of two kinds (bundle: sdk or jre; JVM type: client or
/// server). kUnknown stands for a word that is none of the wishes: it goes
/// unnoticed until a runtime is rated against it, which then fails.
enum class Wish { kNone, kPreferFirst, kPreferSecond, kRequireFirst, kRequireSecond, kUnknown };

/// The bundle wish: first is the development kit ("sdk"), second the runtime
/// environment ("jre"). No wish prefers the runtime environment.
using BundleWish = Wish;
/// The JVM type wish: first is "client", second "server". No wish prefers
/// the client JVM.
using JvmTypeWish = Wish;

inline bool isPreference(Wish wish) { return wish == Wish::kPreferFirst || wish == Wish::kPreferSecond; }
inline bool isRequirement(Wish wish) { return wish == Wish::kRequireFirst || wish == Wish::kRequireSecond; }

/// The wish that WORD names ("prefer_sdk", "require_jre", ...; empty: none).
/// Words are compared exactly, with case.
BundleWish bundleWishOf(const std::string& word);
JvmTypeWish jvmTypeWishOf(const std::string& word);

/// The lowest and highest Java versions a runtime may have; an empty text
/// sets no bound. Versions are compared in the version order
/// (jvm/java_version.h).
struct VersionBounds {
  std::string minimum;
  std::string maximum;

  /// Whether VERSION is not below the minimum version (true when none is set).
  bool isGreaterThanMinVersion(const std::string& version) const;
  /// Whether VERSION is not above the maximum version (true when none is set).
  bool isLessThanMaxVersion(const std::string& version) const;
};

/// Which groups of places discovery reads.
struct SearchGroups {
  bool registry = true;     ///< the installers' registry keys
  bool environment = true;  ///< JAVA_HOME
  bool folders = true;      ///< the installation folders, unpacked and tool-managed runtimes
  bool path = true;         ///< the folders of PATH
};

/// The groups that TEXT names: the words above, separated by commas,
/// semicolons or blanks, in any order and case; an empty TEXT names all.
/// False, with the first word that names none in UNKNOWN, otherwise.
bool searchGroupsOf(const std::string& text, SearchGroups* groups, std::string* unknown);

/// Everything one selection reads.
struct JvmSettings {
  std::string jvmPath;       ///< a JVM library named outright; decides alone
  std::string javaHomePath;  ///< a Java home named outright
  BundleWish bundle = Wish::kNone;
  JvmTypeWish jvmType = Wish::kNone;
  VersionBounds bounds;
  /// "vexil.java.search": the groups of places discovery reads, as written.
  std::string search;
  /// "vexil.java.home.fallback": Java homes separated by ";", tried in
  /// order before discovery; one that holds no acceptable runtime is passed.
  std::string homeFallback;
  /// Where the runtimes turned down are listed when none is acceptable; empty: nowhere.
  std::string debugFile;
  /// A page to get Java from, named when none is acceptable; empty: none.
  std::string downloadUrl;
};

#endif  // VEXIL_JVM_JVM_SETTINGS_H_
