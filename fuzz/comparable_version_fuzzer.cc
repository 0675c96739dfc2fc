// The comparable version of a version text from a runtime's registry entry or
// from the version bounds of the configuration, and the bounds themselves.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "jvm/java_version.h"
#include "jvm/jvm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string bound = input.ConsumeRandomLengthString(256);
  const std::string word = input.ConsumeRandomLengthString(32);
  const std::string version = input.ConsumeRemainingBytesAsString();

  std::string comparable;
  if (!fuzz::completes([&] { comparable = comparableJavaVersion(version); })) return 0;
  // Four pieces of at least three characters, each closed by '.', and no
  // separator left inside a piece.
  fuzz::require(std::count(comparable.begin(), comparable.end(), '.') == 4, "four pieces");
  fuzz::require(comparable.size() >= 16 && comparable.back() == '.', "ends in a dot");
  fuzz::require(comparable.find('_') == std::string::npos, "no underscore");
  // A comparable version is its own comparable version, and the two
  // separators are interchangeable.
  fuzz::require(comparableJavaVersion(comparable) == comparable, "idempotent");
  std::string dotted = version;
  std::replace(dotted.begin(), dotted.end(), '_', '.');
  fuzz::require(comparableJavaVersion(dotted) == comparable, "'_' and '.' are alike");

  fuzz::completes([&] {
    const VersionBounds bounds{bound, bound};
    const bool atLeast = bounds.isGreaterThanMinVersion(version);
    const bool atMost = bounds.isLessThanMaxVersion(version);
    // Every version passes at least one of the two bounds, and both only
    // when the version order holds it equal to the bound.
    fuzz::require(atLeast || atMost, "one bound holds");
    const int order = compareJavaVersions(version, bound);
    if (!bound.empty()) fuzz::require((atLeast && atMost) == (order == 0), "both bounds");
    // The order is a total one: reversed, it gives the opposite sign, and
    // the separators '_' and '.' are alike in it.
    const int reversed = compareJavaVersions(bound, version);
    fuzz::require((order < 0) == (reversed > 0) && (order == 0) == (reversed == 0), "antisymmetric");
    fuzz::require(compareJavaVersions(version, version) == 0, "reflexive");
    fuzz::require(compareJavaVersions(dotted, bound) == order, "'_' and '.' are alike in the order");
  });

  for (const char* bundle : {"sdk", "jre"}) {
    Jvm jvm;
    jvm.setJavaBundle(bundle);
    jvm.setComparableVersion(comparable);
    fuzz::completes([&] { jvm.adjustComparableVersionBundle(bundleWishOf(word)); });
  }
  for (const char* directory : {"client", "server"}) {
    Jvm jvm;
    jvm.setBinJvmDir(directory);
    jvm.setComparableVersion(comparable);
    fuzz::completes([&] { jvm.adjustComparableVersionJvmDir(jvmTypeWishOf(word)); });
  }
  return 0;
}
