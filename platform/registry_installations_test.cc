#include "platform/registry_installations.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/support/fake_platform.h"

namespace {

const char kJdkTree[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kJreTree[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

class InstallationRegistryTest : public ::testing::Test {
 protected:
  InstallationRegistryTest() : fileSystem('/') {}

  /// A directory of ROOT named NAME holding the given files (paths below it).
  void addInstallation(const std::string& root, const std::string& name, const std::vector<std::string>& files,
                       const std::string& release = std::string()) {
    fileSystem.addDirectory(root + "/" + name);
    for (const std::string& file : files) fileSystem.addFile(root + "/" + name + "/" + file);
    if (!release.empty()) fileSystem.addFile(root + "/" + name + "/release", release);
  }

  /// A link NAME in ROOT: its entries appear below it as below the target.
  void addLink(const std::string& root, const std::string& name, const std::vector<std::string>& files,
               const std::string& release = std::string()) {
    addInstallation(root, name, files, release);
    links.insert(root + "/" + name);
  }

  InstallationRegistry registry(std::vector<std::string> roots = {"/usr/lib/jvm", "/usr/java"}) {
    return InstallationRegistry(fileSystem, posixConventions(), std::move(roots),
                                [this](const std::string& path) { return links.count(path) > 0; });
  }

  /// (name, JavaHome) of each subkey of TREE, read as runtime discovery reads
  /// them: enumerate one, open it by its path, read its value, close it.
  static std::vector<std::pair<std::string, std::string>> read(Registry& registry, const std::string& tree) {
    std::vector<std::pair<std::string, std::string>> result;
    Registry::Key treeKey;
    if (!registry.openKey(tree, &treeKey)) return result;
    std::string name;
    for (unsigned long index = 0; registry.enumerateSubkey(treeKey, index, &name); ++index) {
      Registry::Key key;
      std::string home = "<cannot open>";
      if (registry.openKey(tree + "\\" + name, &key)) {
        if (!registry.queryStringValue(key, "JavaHome", &home)) home = "<no value>";
        registry.closeKey(key);
      }
      result.emplace_back(name, home);
    }
    registry.closeKey(treeKey);
    return result;
  }

  void addDebianOpenJdk17() {
    const std::vector<std::string> files = {"bin/java", "bin/javac", "lib/server/libjvm.so"};
    const std::string release = "IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"17.0.21.1\"\n";
    addInstallation("/usr/lib/jvm", "java-17-openjdk-amd64", files, release);
    addLink("/usr/lib/jvm", "java-1.17.0-openjdk-amd64", files, release);
    addInstallation("/usr/lib/jvm", "openjdk-17", {"src.zip"});
    fileSystem.addFile("/usr/lib/jvm/.java-1.17.0-openjdk-amd64.jinfo");
  }

  FakeFileSystem fileSystem;
  std::set<std::string> links;
};

TEST_F(InstallationRegistryTest, ListsKitsAndRuntimesOfEveryLayoutRealDirectoriesFirst) {
  addDebianOpenJdk17();
  // Java 8 development kit: lib/ exists, the JVM lies below jre/lib/amd64.
  addInstallation("/usr/java", "jdk1.8.0_391", {"bin/javac", "lib/tools.jar", "jre/lib/amd64/server/libjvm.so"},
                  "JAVA_VERSION=\"1.8.0_391\"\n");
  // Java 8 runtime environment with both JVMs, and one without a release file.
  addInstallation("/usr/java", "jre1.8.0_391", {"lib/amd64/client/libjvm.so", "lib/amd64/server/libjvm.so"},
                  "JAVA_VERSION=\"1.8.0_391\"\n");
  addInstallation("/usr/lib/jvm", "custom-jre", {"lib/client/libjvm.so"});
  // No JVM library in a layout of its bundle: not a runtime.
  addInstallation("/usr/lib/jvm", "jdk-without-jvm", {"bin/javac", "lib/libjava.so"});
  addInstallation("/usr/lib/jvm", "jre-in-sdk-layout", {"jre/lib/amd64/server/libjvm.so"});

  InstallationRegistry installations = registry();
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(read(installations, kJdkTree), (Entries{
                                               {"17.0.21.1", "/usr/lib/jvm/java-17-openjdk-amd64"},
                                               {"1.8.0_391", "/usr/java/jdk1.8.0_391"},
                                               {"17.0.21.1", "/usr/lib/jvm/java-1.17.0-openjdk-amd64"},
                                           }));
  EXPECT_EQ(read(installations, kJreTree), (Entries{
                                               {"custom-jre", "/usr/lib/jvm/custom-jre"},
                                               {"1.8.0_391", "/usr/java/jre1.8.0_391"},
                                           }));
}

TEST_F(InstallationRegistryTest, OpeningAVersionDirectlyGivesItsFirstInstallation) {
  addDebianOpenJdk17();
  InstallationRegistry installations = registry();
  Registry::Key key;
  ASSERT_TRUE(installations.openKey(std::string(kJdkTree) + "\\17.0.21.1", &key));
  std::string home;
  EXPECT_TRUE(installations.queryStringValue(key, "JavaHome", &home));
  EXPECT_EQ(home, "/usr/lib/jvm/java-17-openjdk-amd64");
  EXPECT_FALSE(installations.queryStringValue(key, "RuntimeLib", &home));
  std::string name;
  EXPECT_FALSE(installations.enumerateSubkey(key, 0, &name));
  installations.closeKey(key);

  for (const std::string& path :
       {std::string(kJreTree) + "\\17.0.21.1", std::string(kJdkTree) + "\\17", std::string(kJdkTree) + "\\",
        std::string("SOFTWARE\\JavaSoft"), std::string("SOFTWARE\\JavaSoft\\Java Development Kit2\\17.0.21.1")}) {
    EXPECT_FALSE(installations.openKey(path, &key)) << path;
  }

  ASSERT_TRUE(installations.openKey(kJdkTree, &key));
  EXPECT_FALSE(installations.queryStringValue(key, "JavaHome", &home));
  installations.closeKey(key);
}

TEST_F(InstallationRegistryTest, MissingRootsGiveEmptyTrees) {
  InstallationRegistry installations = registry({"/nowhere", "/usr/java"});
  Registry::Key key;
  ASSERT_TRUE(installations.openKey(kJdkTree, &key));
  std::string name;
  EXPECT_FALSE(installations.enumerateSubkey(key, 0, &name));
  installations.closeKey(key);
}

TEST_F(InstallationRegistryTest, VersionComesFromTheReleaseFileElseTheName) {
  struct Case {
    const char* release;
    const char* version;
  } cases[] = {
      {"JAVA_VERSION=\"11.0.2\"\n", "11.0.2"},
      {"JAVA_VERSION_DATE=\"2024-01-16\"\r\nJAVA_VERSION=\"21.0.2\"\r\n", "21.0.2"},
      {"JAVA_VERSION=1.8.0_391", "1.8.0_391"},
      {"  JAVA_VERSION=\"9\"  \n", "9"},
      {"JAVA_VERSION=\"\"\n", "the-name"},
      {"IMPLEMENTOR=\"x\"\n", "the-name"},
      {"java_version=\"11\"\n", "the-name"},
  };
  for (const Case& c : cases) {
    FakeFileSystem files('/');
    files.addDirectory("/jvm/the-name");
    files.addFile("/jvm/the-name/lib/server/libjvm.so");
    files.addFile("/jvm/the-name/release", c.release);
    InstallationRegistry installations(files, posixConventions(), {"/jvm"}, [](const std::string&) { return false; });
    auto entries = read(installations, kJreTree);
    ASSERT_EQ(entries.size(), 1u) << c.release;
    EXPECT_EQ(entries[0].first, c.version) << c.release;
  }
}

}  // namespace
