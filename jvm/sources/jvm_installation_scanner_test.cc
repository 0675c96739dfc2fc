#include "jvm/sources/jvm_installation_scanner.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/fake_platform.h"

namespace {

const char kJdkTree[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kJreTree[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

class JvmInstallationScannerTest : public ::testing::Test {
 protected:
  JvmInstallationScannerTest() : fileSystem('/') {}

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
    fileSystem.markAsLink(root + "/" + name);
  }

  /// A scan of ROOTS in this test's file system.
  JvmInstallationScanner scan(std::vector<std::string> roots = {"/usr/lib/jvm", "/usr/java"}) {
    conventions.installationRoots = std::move(roots);
    return JvmInstallationScanner(platform);
  }

  /// (version, home) of each runtime the scan finds in TREE's bundle.
  static std::vector<std::pair<std::string, std::string>> read(const JvmInstallationScanner& scanner,
                                                               const std::string& tree) {
    std::vector<Jvm> jvms;
    if (tree == kJdkTree) {
      scanner.addJdkJvms(jvms);
    } else {
      scanner.addJreJvms(jvms);
    }
    std::vector<std::pair<std::string, std::string>> result;
    for (const Jvm& jvm : jvms) result.emplace_back(jvm.getVersion(), jvm.getJavaHomePath());
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

  Conventions conventions = linuxConventions();
  FakeFileSystem fileSystem;
  FakeEnvironment environment;
  FakeRegistry noRegistry;
  Platform platform{&conventions, &fileSystem, &environment, &noRegistry};
};

TEST_F(JvmInstallationScannerTest, ListsKitsAndRuntimesOfEveryLayoutRealDirectoriesFirst) {
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

  JvmInstallationScanner installations = scan();
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

TEST_F(JvmInstallationScannerTest, MissingRootsGiveEmptyTrees) {
  JvmInstallationScanner installations = scan({"/nowhere", "/usr/java"});
  EXPECT_TRUE(read(installations, kJdkTree).empty());
}

TEST_F(JvmInstallationScannerTest, VersionComesFromTheReleaseFileElseTheName) {
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
    Conventions conventions = linuxConventions();
    conventions.installationRoots = {"/jvm"};
    FakeEnvironment environment;
    FakeRegistry noRegistry;
    const Platform platform{&conventions, &files, &environment, &noRegistry};
    auto entries = read(JvmInstallationScanner(platform), kJreTree);
    ASSERT_EQ(entries.size(), 1u) << c.release;
    EXPECT_EQ(entries[0].first, c.version) << c.release;
  }
}

}  // namespace
