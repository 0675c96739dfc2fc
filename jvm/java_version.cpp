#include "jvm/java_version.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int sign(int value) { return (value > 0) - (value < 0); }

/// Compares two runs of digits as numbers of any length.
int compareNumbers(std::string_view a, std::string_view b) {
  a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
  b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return sign(a.compare(b));
}

/// One piece: its leading digits as a number (no digits ranks below every
/// number), then the rest as text.
int comparePieces(std::string_view a, std::string_view b) {
  const size_t aDigits = std::min(a.find_first_not_of("0123456789"), a.size());
  const size_t bDigits = std::min(b.find_first_not_of("0123456789"), b.size());
  if ((aDigits == 0) != (bDigits == 0)) return aDigits == 0 ? -1 : 1;
  if (int order = compareNumbers(a.substr(0, aDigits), b.substr(0, bDigits))) return order;
  return sign(a.substr(aDigits).compare(b.substr(bDigits)));
}

const char kPieceSeparators[] = "._";

/// The next piece of TEXT from POSITION on, skipping a run of SEPARATORS
/// first; "0" once the text is used up, so that missing pieces count as 0.
std::string_view nextPiece(std::string_view text, size_t& position, std::string_view separators) {
  while (position < text.size() && separators.find(text[position]) != std::string_view::npos) ++position;
  const size_t start = position;
  while (position < text.size() && separators.find(text[position]) == std::string_view::npos) ++position;
  return position > start ? text.substr(start, position - start) : std::string_view("0");
}

bool onlySeparators(std::string_view text, size_t position, std::string_view separators) {
  return text.find_first_not_of(separators, position) == std::string_view::npos;
}

/// Compares two dotted sequences piece by piece, the shorter one padded with 0.
int compareSequences(std::string_view a, std::string_view b, std::string_view separators) {
  size_t aPosition = 0;
  size_t bPosition = 0;
  while (!onlySeparators(a, aPosition, separators) || !onlySeparators(b, bPosition, separators)) {
    std::string_view aPiece = nextPiece(a, aPosition, separators);
    std::string_view bPiece = nextPiece(b, bPosition, separators);
    if (int order = comparePieces(aPiece, bPiece)) return order;
  }
  return 0;
}

struct VersionParts {
  std::string_view numbers;
  std::string_view preRelease;  // empty for a release
  std::string_view build;
};

bool isOldBuildTag(std::string_view tag) {
  return tag.size() > 1 && tag[0] == 'b' && std::all_of(tag.begin() + 1, tag.end(), isDigit);
}

VersionParts split(std::string_view version) {
  VersionParts parts;
  const size_t plus = version.find('+');
  if (plus != std::string_view::npos) {
    parts.build = version.substr(plus + 1);
    version = version.substr(0, plus);
  }
  const size_t dash = version.find('-');
  parts.numbers = version.substr(0, dash);
  if (dash != std::string_view::npos) {
    std::string_view tag = version.substr(dash + 1);
    if (isOldBuildTag(tag) && parts.build.empty()) {
      parts.build = tag.substr(1);
    } else {
      parts.preRelease = tag;
    }
  }
  return parts;
}

}  // namespace

int compareJavaVersions(std::string_view a, std::string_view b) {
  const VersionParts aParts = split(a);
  const VersionParts bParts = split(b);
  if (int order = compareSequences(aParts.numbers, bParts.numbers, kPieceSeparators)) return order;
  if (aParts.preRelease.empty() != bParts.preRelease.empty()) return aParts.preRelease.empty() ? 1 : -1;
  if (int order = compareSequences(aParts.preRelease, bParts.preRelease, ".-_")) return order;
  return compareSequences(aParts.build, bParts.build, ".-_");
}

std::string comparableJavaVersion(std::string_view version) {
  std::string comparable;
  size_t position = 0;
  for (int piece = 0; piece < 4; ++piece) {
    const std::string_view text = nextPiece(version, position, kPieceSeparators);
    if (text.size() < 3) comparable.append(3 - text.size(), '0');
    comparable += text;
    comparable += '.';
  }
  return comparable;
}

std::optional<int> javaFeatureRelease(std::string_view version) {
  const size_t digits = std::min(version.find_first_not_of("0123456789"), version.size());
  if (digits == 0 || digits > 4) return std::nullopt;
  const int feature = std::atoi(std::string(version.substr(0, digits)).c_str());
  // Up to Java 8 the feature release follows "1.".
  if (feature == 1 && digits < version.size() && version[digits] == '.') return javaFeatureRelease(version.substr(2));
  return feature;
}

std::string versionInName(const std::string& name) {
  const size_t digit = name.find_first_of("0123456789");
  return digit == std::string::npos ? name : name.substr(digit);
}
