#ifndef VEXIL_JVM_JAVA_VERSION_H_
#define VEXIL_JVM_JAVA_VERSION_H_

// How a Java version text is read: ordered against another, rewritten for a
// record's ranking, and cut to its feature release. Versions are split into
// pieces at runs of '.' and '_' everywhere here.

#include <optional>
#include <string>
#include <string_view>

/// Orders two Java version texts as people read them, which the comparable
/// version text (a byte-wise comparison of padded pieces) does not once a
/// piece has four digits or a pre-release tag:
///   - the version is cut at the first '+' (a build that follows) and then at
///     the first '-' (a pre-release tag such as "ea" or "rc"; an old-style
///     build tag "b" followed by digits, as in 1.8.0_392-b08, counts as a
///     build instead);
///   - the pieces of what is left, split at runs of '.' and '_', compare one
///     by one as numbers, whatever their length (1.8.0_1000 > 1.8.0_999); a
///     missing piece is 0 (1.4 = 1.4.0); a piece that is not all digits
///     compares by its leading digits as a number (none ranks below 0), then
///     by the rest as text;
///   - a pre-release ranks below its release (17-ea < 17 < 17.0.1); two
///     pre-release tags compare piece by piece in the same way;
///   - builds compare last, piece by piece (none is build 0).
/// Returns a negative number, zero or a positive number as A is below, equal
/// to or above B. A total order: equal versions are interchangeable.
int compareJavaVersions(std::string_view a, std::string_view b);

/// VERSION rewritten so that plain string comparison orders versions: its
/// first four pieces (missing ones are "0"), each left-filled with '0' to
/// three characters and followed by '.'. 1.4.2_05 gives 001.004.002.005.
/// Versions and pieces of any length are handled whole: nothing is cut, so
/// long pieces still compare in full.
std::string comparableJavaVersion(std::string_view version);

/// The feature release of VERSION: 8 for "1.8.0_292", 17 for "17.0.2", 25
/// for "25-ea"; none when it does not begin with one to four digits (nor
/// "1." and those).
std::optional<int> javaFeatureRelease(std::string_view version);

/// The version that a key's or a folder's name gives, from its first digit
/// on: "zulu-17" and "jdk-17.0.2" give 17 and 17.0.2. A name without a digit
/// is taken whole.
std::string versionInName(const std::string& name);

#endif  // VEXIL_JVM_JAVA_VERSION_H_
