// Runtime discovery over a hostile registry: subkey names and "JavaHome"
// values that are empty, overlong, hold NUL bytes or backslashes, keys that
// cannot be opened. Also the scan of Linux installation directories, which
// reads the installations' "release" files. The first byte picks the one.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "jvm/jvm.h"
#include "jvm/sources/jvm_installation_scanner.h"
#include "jvm/sources/jvm_registry_reader.h"
#include "tests/support/fake_platform.h"

namespace {

const char* const kTrees[] = {"SOFTWARE\\JavaSoft\\Java Development Kit",
                              "SOFTWARE\\JavaSoft\\Java Runtime Environment"};
const char* const kBundles[] = {"sdk", "jre"};

std::vector<Jvm> discover(const Platform& platform, bool* completed) {
  std::vector<Jvm> jvms;
  *completed = fuzz::completes([&] {
    JvmRegistryReader reader(*platform.registry);
    reader.addJdkJvms(jvms);
    reader.addJreJvms(jvms);
  });
  return jvms;
}

// The records the registry, as the reader sees it through the same four
// operations, should give: every non-empty subkey with a non-empty JavaHome,
// development kits first. False when a subkey cannot be read.
bool expectedRecords(Registry& registry, std::vector<Jvm>* expected) {
  for (int tree = 0; tree < 2; ++tree) {
    Registry::Key treeKey;
    if (!registry.openKey(kTrees[tree], &treeKey)) continue;
    std::string name;
    bool readable = true;
    for (unsigned long index = 0; readable && registry.enumerateSubkey(treeKey, index, &name); ++index) {
      if (name.empty()) continue;
      Registry::Key key;
      std::string home;
      if (!registry.openKey(std::string(kTrees[tree]) + "\\" + name, &key)) {
        readable = false;
        break;
      }
      readable = registry.queryStringValue(key, "JavaHome", &home);
      registry.closeKey(key);
      if (!readable || home.empty()) continue;
      Jvm jvm;
      jvm.setJavaBundle(kBundles[tree]);
      jvm.setJavaHomePath(home);
      jvm.setVersion(name);
      expected->push_back(jvm);
    }
    registry.closeKey(treeKey);
    if (!readable) return false;
  }
  return true;
}

void compare(const std::vector<Jvm>& found, const std::vector<Jvm>& expected) {
  fuzz::require(found.size() == expected.size(), "one record per usable subkey");
  for (size_t i = 0; i < found.size(); ++i) {
    fuzz::require(found[i].getJavaBundle() == expected[i].getJavaBundle(), "bundle");
    fuzz::require(found[i].getVersion() == expected[i].getVersion(), "version is the subkey name");
    fuzz::require(found[i].getJavaHomePath() == expected[i].getJavaHomePath(), "home is the value");
    fuzz::require(found[i].getJvmPath().empty() && found[i].isAcceptable(), "nothing else set");
  }
}

void fuzzFakeRegistry(FuzzedDataProvider& input) {
  FakePlatform fake;
  for (const char* tree : kTrees) {
    const int shape = input.ConsumeIntegralInRange(0, 3);
    if (shape == 0) continue;  // tree absent
    fake.registry.addKey(tree);
    if (shape == 1) fake.registry.makeUnreadable(tree);
    const int subkeys = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < subkeys; ++i) {
      const std::string path = std::string(tree) + "\\" + input.ConsumeRandomLengthString(600);
      switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
          fake.registry.addKey(path);  // no JavaHome
          break;
        case 1:
          fake.registry.setValue(path, "JavaHome", input.ConsumeRandomLengthString(600));
          fake.registry.makeUnreadable(path);
          break;
        default:
          // Empty, overlong, or with NUL bytes: the text ends at the first.
          fake.registry.setValue(path, "JavaHome", input.ConsumeRandomLengthString(600));
          break;
      }
    }
  }

  bool completed;
  const std::vector<Jvm> found = discover(fake.platform, &completed);
  fuzz::require(fake.registry.openKeys() == 0, "every key opened is closed");
  std::vector<Jvm> expected;
  const bool readable = expectedRecords(fake.registry, &expected);
  fuzz::require(completed == readable, "a report exactly when a subkey cannot be read");
  if (completed) compare(found, expected);
}

void fuzzInstallations(FuzzedDataProvider& input) {
  FakePlatform fake(linuxConventions());
  const int directories = input.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < directories; ++i) {
    const std::string home = "/usr/lib/jvm/" + input.ConsumeRandomLengthString(300);
    fake.fileSystem.addDirectory(home);
    const uint8_t layout = input.ConsumeIntegral<uint8_t>();
    if (layout & 1) fake.fileSystem.addFile(home + "/bin/javac");
    if (layout & 2) fake.fileSystem.addFile(home + "/lib/server/libjvm.so");
    if (layout & 4) fake.fileSystem.addFile(home + "/jre/lib/amd64/client/libjvm.so");
    if (layout & 8) fake.fileSystem.markAsLink(home);
    if (layout & 16) fake.fileSystem.addFile(home + "/release", input.ConsumeRandomLengthString(1000));
    if (layout & 32) fake.fileSystem.addDirectory(home + "/lib/server/libjvm.so");
  }
  std::vector<Jvm> found;
  const bool completed = fuzz::completes([&] {
    JvmInstallationScanner scanner(fake.platform);
    scanner.addJdkJvms(found);
    scanner.addJreJvms(found);
  });
  fuzz::require(completed, "the scan never fails discovery");
  bool runtimeSeen = false;
  for (const Jvm& jvm : found) {
    fuzz::require(!jvm.getVersion().empty() && !jvm.getJavaHomePath().empty(),
                  "every runtime has a version and a home");
    const bool sdk = jvm.getJavaBundle() == "sdk";
    fuzz::require(!(sdk && runtimeSeen), "development kits first");
    runtimeSeen = runtimeSeen || !sdk;
    fuzz::require(fake.fileSystem.exists(jvm.getJavaHomePath() + "/bin/javac") == sdk, "a kit is what has javac");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    fuzzInstallations(input);
  } else {
    fuzzFakeRegistry(input);
  }
  return 0;
}
