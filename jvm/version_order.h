#ifndef VEXIL_JVM_VERSION_ORDER_H_
#define VEXIL_JVM_VERSION_ORDER_H_

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

#endif  // VEXIL_JVM_VERSION_ORDER_H_
