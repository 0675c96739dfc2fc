#include "jvm/jvm_selector.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

#include "config/launcher_properties.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

/// The selection a launch with PROPERTIES runs.
JvmSelector selectorOver(const LauncherProperties& properties) {
  return JvmSelector(properties.getJvmSettings(), properties.getPlatform());
}

const std::string kJdkTree = "SOFTWARE\\JavaSoft\\Java Development Kit";
const std::string kJreTree = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kJdkHome = "C:\\j2sdk1.4.2_05";
const std::string kJreHome = "C:\\Program Files\\Java\\j2re1.4.2_05";

class JvmSelectorTest : public ::testing::Test {
 protected:
  void addJdk(const std::string& version, const std::string& home, bool client, bool server) {
    fake.registry.setValue(kJdkTree + "\\" + version, "JavaHome", home);
    if (client) fake.fileSystem.addFile(home + "\\jre\\bin\\client\\jvm.dll");
    if (server) fake.fileSystem.addFile(home + "\\jre\\bin\\server\\jvm.dll");
  }
  void addJre(const std::string& version, const std::string& home, bool client, bool server) {
    fake.registry.setValue(kJreTree + "\\" + version, "JavaHome", home);
    if (client) fake.fileSystem.addFile(home + "\\bin\\client\\jvm.dll");
    if (server) fake.fileSystem.addFile(home + "\\bin\\server\\jvm.dll");
  }

  /// The development kit with both JVMs and the runtime environment listed
  /// as 1.4 and as 1.4.2_05 with a client JVM only.
  void installWorkedExample() {
    addJdk("1.4.2_05", kJdkHome, true, true);
    addJre("1.4", kJreHome, true, false);
    addJre("1.4.2_05", kJreHome, true, false);
  }

  /// Discovery, separation and rating, as the selection runs them.
  std::vector<Jvm> rated() {
    JvmSelector selector = selectorOver(properties);
    std::vector<Jvm> jvms;
    selector.locateJvms(jvms);
    selector.separateClientAndServerJvms(jvms);
    selector.determineVersions(jvms);
    return jvms;
  }

  static std::vector<std::string> comparableVersions(const std::vector<Jvm>& jvms) {
    std::vector<std::string> versions;
    for (const Jvm& jvm : jvms) versions.push_back(jvm.getComparableVersion());
    return versions;
  }

  std::string choose() { return selectorOver(properties).getMostAppropriateJvm().toString(); }

  FakePlatform fake;
  LauncherProperties properties{fake.platform};
};

TEST_F(JvmSelectorTest, WorkedExample) {
  using Strings = std::vector<std::string>;
  struct Row {
    std::function<void(LauncherProperties&)> settings;
    Strings comparableVersions;  // after the unacceptable records are removed
    std::string chosen;
  } rows[] = {
      {[](LauncherProperties&) {},
       {"001.004.002.005.B1.D2.", "001.004.000.000.B2.D2.", "001.004.002.005.B2.D2.", "001.004.002.005.B1.D1."},
       "m_jvmPath=" + kJreHome +
           "\\bin\\client\\jvm.dll,m_javaBundle=jre,m_binJvmDir=client,"
           "m_comparableVersion=001.004.002.005.B2.D2.,m_javaHomePath=" +
           kJreHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJreHome + "\\bin\\,m_acceptable=true"},
      {[](LauncherProperties& p) { p.setCustomBinJvmDir("prefer_server"); },
       {"001.004.002.005.D1.B1.", "001.004.000.000.D1.B2.", "001.004.002.005.D1.B2.", "001.004.002.005.D2.B1."},
       "m_jvmPath=" + kJdkHome +
           "\\jre\\bin\\server\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=server,"
           "m_comparableVersion=001.004.002.005.D2.B1.,m_javaHomePath=" +
           kJdkHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJdkHome + "\\jre\\bin\\,m_acceptable=true"},
      {[](LauncherProperties& p) { p.setCustomJavaBundle("require_sdk"); },
       {"001.004.002.005.B3.D2.", "001.004.002.005.B3.D1."},
       "m_jvmPath=" + kJdkHome +
           "\\jre\\bin\\client\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=client,"
           "m_comparableVersion=001.004.002.005.B3.D2.,m_javaHomePath=" +
           kJdkHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJdkHome + "\\jre\\bin\\,m_acceptable=true"},
      {[](LauncherProperties& p) { p.setMaxJavaVersion("1.4.2"); },
       {"001.004.000.000.B2.D2."},
       "m_jvmPath=" + kJreHome +
           "\\bin\\client\\jvm.dll,m_javaBundle=jre,m_binJvmDir=client,"
           "m_comparableVersion=001.004.000.000.B2.D2.,m_javaHomePath=" +
           kJreHome +
           ",m_version=1.4,"
           "m_jrePath=" +
           kJreHome + "\\bin\\,m_acceptable=true"},
  };
  installWorkedExample();
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    LauncherProperties record(fake.platform);
    rows[i].settings(record);
    JvmSelector selector = selectorOver(record);
    std::vector<Jvm> jvms;
    selector.locateJvms(jvms);
    selector.separateClientAndServerJvms(jvms);
    selector.determineVersions(jvms);
    selector.removeUnacceptableJvms(jvms);
    EXPECT_EQ(comparableVersions(jvms), rows[i].comparableVersions) << "row " << i;
    EXPECT_EQ(selectorOver(record).getMostAppropriateJvm().toString(), rows[i].chosen) << "row " << i;
  }
}

TEST_F(JvmSelectorTest, SeparationKeepsOrderAndAppendsServersInReverse) {
  addJdk("1.5", "C:\\jdk5", true, true);
  addJdk("1.6", "C:\\jdk6", false, false);  // no JVM at all: dropped silently
  addJre("1.5", "C:\\jre5", false, true);
  addJre("1.6", "C:\\jre6", true, true);
  std::vector<Jvm> jvms;
  JvmSelector selector = selectorOver(properties);
  selector.locateJvms(jvms);
  selector.separateClientAndServerJvms(jvms);
  std::vector<std::string> paths;
  for (const Jvm& jvm : jvms) paths.push_back(jvm.getJvmPath() + " " + jvm.getBinJvmDir());
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "C:\\jdk5\\jre\\bin\\client\\jvm.dll client",
                       "C:\\jre5\\bin\\server\\jvm.dll server",
                       "C:\\jre6\\bin\\client\\jvm.dll client",
                       "C:\\jre6\\bin\\server\\jvm.dll server",
                       "C:\\jdk5\\jre\\bin\\server\\jvm.dll server",
                   }));
}

TEST_F(JvmSelectorTest, RemovingUnacceptableRecordsKeepsTheOrderOfTheRest) {
  std::vector<Jvm> jvms(6);
  for (size_t i = 0; i < jvms.size(); ++i) {
    jvms[i].setVersion(std::to_string(i));
    jvms[i].setAcceptable(i != 0 && i != 2 && i != 3);
  }
  selectorOver(properties).removeUnacceptableJvms(jvms);
  std::vector<std::string> versions;
  for (const Jvm& jvm : jvms) versions.push_back(jvm.getVersion());
  EXPECT_EQ(versions, (std::vector<std::string>{"1", "4", "5"}));
}

TEST_F(JvmSelectorTest, WhichCodeWeighsMore) {
  struct Case {
    const char* bundle;
    const char* jvmType;
    const char* suffix;  // of the development kit's client record
  } cases[] = {
      {"", "", ".B1.D2."},
      {"require_jre", "prefer_server", ".B0.D1."},
      {"require_sdk", "require_server", ".B3.D0."},
      {"prefer_sdk", "", ".B2.D2."},
      {"prefer_jre", "prefer_server", ".B1.D1."},
      {"prefer_sdk", "require_client", ".D3.B2."},
      {"", "prefer_server", ".D1.B1."},
      {"", "require_client", ".D3.B1."},
  };
  installWorkedExample();
  for (const Case& c : cases) {
    LauncherProperties record(fake.platform);
    record.setCustomJavaBundle(c.bundle);
    record.setCustomBinJvmDir(c.jvmType);
    JvmSelector selector = selectorOver(record);
    std::vector<Jvm> jvms;
    selector.locateJvms(jvms);
    selector.separateClientAndServerJvms(jvms);
    selector.determineVersions(jvms);
    EXPECT_EQ(jvms.front().getComparableVersion(), std::string("001.004.002.005") + c.suffix)
        << c.bundle << "/" << c.jvmType;
  }
}

TEST_F(JvmSelectorTest, RanksVersionFirstThenBundleThenJvm) {
  addJdk("1.5.0_06", "C:\\jdk5", true, false);
  addJre("1.5.0_06", "C:\\jre5", true, true);
  EXPECT_NE(choose().find("m_jvmPath=C:\\jre5\\bin\\client\\jvm.dll,"), std::string::npos);
  properties.setCustomJavaBundle("prefer_sdk");
  EXPECT_NE(choose().find("m_jvmPath=C:\\jdk5\\jre\\bin\\client\\jvm.dll,"), std::string::npos);
  properties.setCustomBinJvmDir("server");
  EXPECT_NE(choose().find("m_jvmPath=C:\\jre5\\bin\\server\\jvm.dll,"), std::string::npos);

  addJdk("1.6.0", "C:\\jdk6", true, false);
  for (const char* bundle : {"prefer_jre", "prefer_sdk"}) {
    properties.setCustomBinJvmDir("");
    properties.setCustomJavaBundle(bundle);
    EXPECT_NE(choose().find("m_jvmPath=C:\\jdk6\\jre\\bin\\client\\jvm.dll,"), std::string::npos) << bundle;
  }
}

TEST_F(JvmSelectorTest, OfEqualRanksTheFirstInTheListWins) {
  addJre("1.4", "C:\\first", true, false);
  addJre("1.4.0", "C:\\second", true, false);
  EXPECT_NE(choose().find(",m_version=1.4,"), std::string::npos);
}

TEST_F(JvmSelectorTest, VersionBoundsFilter) {
  addJre("1.3.1_12", "C:\\jre13", true, false);
  addJre("1.4.2", "C:\\jre142", true, false);
  addJre("1.5.0", "C:\\jre15", true, false);
  properties.setMinJavaVersion("1.4.2");
  properties.setMaxJavaVersion("1.4.2");
  EXPECT_NE(choose().find(",m_version=1.4.2,"), std::string::npos);
  properties.setMinJavaVersion("1.4.2_01");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("No acceptable JVMs were found.\n"
                                                    "1.3.1_12 jre in C:\\jre13: too old, the minimum is 1.4.2_01\n"
                                                    "1.4.2 jre in C:\\jre142: too old, the minimum is 1.4.2_01\n"
                                                    "1.5.0 jre in C:\\jre15: too new, the maximum is 1.4.2"));
}

TEST_F(JvmSelectorTest, NothingAcceptable) {
  // Nothing installed: an unknown wish goes unnoticed.
  properties.setCustomJavaBundle("both");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("No acceptable JVMs were found."));
  // Runtimes without a JVM library in client or server.
  addJre("1.5", "C:\\jre5", false, false);
  fake.fileSystem.addFile("C:\\jre5\\bin\\hotspot\\jvm.dll");
  const std::string noLibrary = "\n1.5 jre in C:\\jre5: no client or server JVM library in C:\\jre5\\bin\\";
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("No acceptable JVMs were found." + noLibrary));
  // Everything excluded by a requirement.
  addJre("1.6", "C:\\jre6", true, false);
  properties.setCustomJavaBundle("require_sdk");
  EXPECT_EQ(reportOf([&] { choose(); }),
            reportText("No acceptable JVMs were found." + noLibrary + "\n1.6 jre in C:\\jre6: not a development kit"));
}

TEST_F(JvmSelectorTest, UnknownWishesFailOnceARuntimeIsRated) {
  addJre("1.6", "C:\\jre6", true, false);
  properties.setCustomJavaBundle("both");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("Desired Java bundle settings are not correct."));
  properties.setCustomJavaBundle("");
  properties.setCustomBinJvmDir("hotspot");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("Desired JVM settings are not correct."));
}

TEST_F(JvmSelectorTest, RegistryFailuresAreReportedInTheirOwnWords) {
  addJre("1.6", "C:\\jre6", true, false);
  fake.registry.addKey(kJreTree + "\\1.7");
  EXPECT_EQ(
      reportOf([&] { choose(); }),
      reportText("Error opening registry key SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7, value name JavaHome"));
}

TEST_F(JvmSelectorTest, CustomJvmPathDecidesAlone) {
  // The Java home, the registry (which would fail) and the other settings
  // are not looked at.
  fake.registry.addKey(kJreTree + "\\broken");
  fake.fileSystem.addFile("c:\\java\\bin\\client\\jvm.dll");
  properties.setCustomJvmPath("C:\\Java\\Bin\\Client\\JVM.DLL");
  properties.setCustomJavaHomePath("C:\\elsewhere");
  properties.setCustomJavaBundle("both");
  properties.setMinJavaVersion("99");
  EXPECT_EQ(choose(),
            "m_jvmPath=c:\\java\\bin\\client\\jvm.dll,m_javaBundle=,m_binJvmDir=,m_comparableVersion=,"
            "m_javaHomePath=,m_version=,m_jrePath=,m_acceptable=true");

  properties.setCustomJvmPath("C:\\Missing\\jvm.dll");
  fake.fileSystem.addFile("C:\\elsewhere\\bin\\client\\jvm.dll");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("This JVM file could not be found: c:\\missing\\jvm.dll"));
}

TEST_F(JvmSelectorTest, CustomJavaHomeTriesTheJvmDirectoriesInTheOrderAsked) {
  const std::string home = "C:\\Java";
  const std::string binClient = home + "\\bin\\client\\jvm.dll", jreClient = home + "\\jre\\bin\\client\\jvm.dll";
  const std::string binServer = home + "\\bin\\server\\jvm.dll", jreServer = home + "\\jre\\bin\\server\\jvm.dll";
  struct Case {
    const char* jvmType;
    std::vector<std::string> files;
    std::string result;  // the JVM path, or the report
  } cases[] = {
      {"", {jreClient, binServer}, jreClient},
      {"", {jreServer}, jreServer},
      {"hotspot", {binServer, jreClient}, jreClient},
      {"prefer_client", {binServer}, binServer},
      {"prefer_server", {binClient, jreServer}, jreServer},
      {"prefer_server", {binClient}, binClient},
      {"server", {binServer, binClient}, binServer},
      {"client", {jreClient, binServer}, jreClient},
      {"server", {binClient, jreClient}, reportText("The server JVM could not be found for Java home: C:\\Java")},
      {"client", {binServer}, reportText("The client JVM could not be found for Java home: C:\\Java")},
      {"prefer_server", {}, reportText("A JVM could not be found for Java home: C:\\Java")},
      {"", {home + "\\bin\\jvm.dll"}, reportText("A JVM could not be found for Java home: C:\\Java")},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    for (const std::string& file : c.files) platform.fileSystem.addFile(file);
    platform.registry.setValue(kJreTree + "\\1.6", "JavaHome", "C:\\jre6");
    platform.fileSystem.addFile("C:\\jre6\\bin\\client\\jvm.dll");
    LauncherProperties record(platform.platform);
    record.setCustomJavaHomePath(home);
    record.setCustomBinJvmDir(c.jvmType);
    record.setCustomJavaBundle("both");  // not looked at
    std::string dump;
    std::string report = reportOf([&] { dump = selectorOver(record).getMostAppropriateJvm().toString(); });
    // A record from a custom source carries its JVM path alone.
    std::string result = report;
    if (report == "<no report>") {
      result = dump.substr(dump.find('=') + 1, dump.find(',') - dump.find('=') - 1);
      EXPECT_EQ(dump, "m_jvmPath=" + result +
                          ",m_javaBundle=,m_binJvmDir=,m_comparableVersion=,m_javaHomePath=,m_version=,"
                          "m_jrePath=,m_acceptable=true");
    }
    EXPECT_EQ(result, c.result) << c.jvmType;
  }
}

TEST_F(JvmSelectorTest, CustomJavaHomeProbesInOrderAndUsesTheHomeAsWritten) {
  properties.setCustomJavaHomePath("C:\\Java\\");
  EXPECT_EQ(reportOf([&] { choose(); }), reportText("A JVM could not be found for Java home: C:\\Java\\"));
  EXPECT_EQ(fake.fileSystem.probes(), (std::vector<std::string>{
                                          "C:\\Java\\\\bin\\client\\jvm.dll",
                                          "C:\\Java\\\\jre\\bin\\client\\jvm.dll",
                                          "C:\\Java\\\\bin\\server\\jvm.dll",
                                          "C:\\Java\\\\jre\\bin\\server\\jvm.dll",
                                      }));
}

TEST_F(JvmSelectorTest, TheChoiceOutlivesTheSelectorAndLaterChoices) {
  addJre("1.6", "C:\\jre6", true, false);
  std::optional<Jvm> first;
  {
    JvmSelector selector = selectorOver(properties);
    first = selector.getMostAppropriateJvm();
  }
  const std::string dump = first->toString();
  for (int i = 0; i < 50; ++i) choose();
  fake.fileSystem.addFile("c:\\custom\\jvm.dll");
  properties.setCustomJvmPath("c:\\custom\\jvm.dll");
  for (int i = 0; i < 50; ++i) choose();
  EXPECT_EQ(first->toString(), dump);
  EXPECT_EQ(first->getJvmPath(), "C:\\jre6\\bin\\client\\jvm.dll");
}

// The same selection over the Java installations of a Linux machine: the
// Debian OpenJDK 17 under its real name and under its compatibility link.
TEST(JvmSelectorPosixTest, ChoosesTheRealDirectoryOfTwoEqualInstallations) {
  FakeFileSystem files('/');
  FakeEnvironment environment;
  for (const char* name : {"java-17-openjdk-amd64", "java-1.17.0-openjdk-amd64"}) {
    const std::string home = std::string("/usr/lib/jvm/") + name;
    files.addDirectory(home);
    files.addFile(home + "/bin/javac");
    files.addFile(home + "/lib/server/libjvm.so");
    files.addDirectory(home + "/lib/server");
    files.addFile(home + "/release", "JAVA_VERSION=\"17.0.21.1\"\n");
  }
  files.addDirectory("/usr/java/jre1.8.0_391");
  files.addFile("/usr/java/jre1.8.0_391/lib/amd64/server/libjvm.so");
  files.addDirectory("/usr/java/jre1.8.0_391/lib/amd64/server");
  files.addFile("/usr/java/jre1.8.0_391/release", "JAVA_VERSION=\"1.8.0_391\"\n");
  files.markAsLink("/usr/lib/jvm/java-1.17.0-openjdk-amd64");
  FakeRegistry noRegistry;
  Platform platform{&linuxConventions(), &files, &environment, &noRegistry};
  LauncherProperties properties(platform);

  std::vector<Jvm> jvms;
  JvmSelector selector = selectorOver(properties);
  selector.locateJvms(jvms);
  selector.separateClientAndServerJvms(jvms);
  selector.determineVersions(jvms);
  std::vector<std::string> homes;
  for (const Jvm& jvm : jvms) homes.push_back(jvm.getJavaHomePath() + " " + jvm.getComparableVersion());
  EXPECT_EQ(homes, (std::vector<std::string>{
                       "/usr/lib/jvm/java-17-openjdk-amd64 017.000.021.001.B1.D1.",
                       "/usr/lib/jvm/java-1.17.0-openjdk-amd64 017.000.021.001.B1.D1.",
                       "/usr/java/jre1.8.0_391 001.008.000.391.B2.D1.",
                   }));
  EXPECT_EQ(selectorOver(properties).getMostAppropriateJvm().toString(),
            "m_jvmPath=/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so,m_javaBundle=sdk,m_binJvmDir=server,"
            "m_comparableVersion=017.000.021.001.B1.D1.,m_javaHomePath=/usr/lib/jvm/java-17-openjdk-amd64,"
            "m_version=17.0.21.1,m_jrePath=/usr/lib/jvm/java-17-openjdk-amd64/lib/,m_acceptable=true");

  properties.setMaxJavaVersion("1.8.0_400");
  EXPECT_EQ(selectorOver(properties).getMostAppropriateJvm().getJvmPath(),
            "/usr/java/jre1.8.0_391/lib/amd64/server/libjvm.so");

  // A Java home named in the configuration, in both layouts.
  LauncherProperties custom(platform);
  custom.setCustomJavaHomePath("/usr/java/jre1.8.0_391");
  EXPECT_EQ(selectorOver(custom).getMostAppropriateJvm().getJvmPath(),
            "/usr/java/jre1.8.0_391/lib/amd64/server/libjvm.so");
  custom.setCustomJavaHomePath("/usr/lib/jvm/java-17-openjdk-amd64");
  EXPECT_EQ(selectorOver(custom).getMostAppropriateJvm().getJvmPath(),
            "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so");
}

}  // namespace
