#include "config/launcher_properties.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "config/configuration_file_loader.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

class LauncherPropertiesTest : public ::testing::Test {
 protected:
  FakePlatform fake;
  LauncherProperties properties{fake.platform};
};

TEST_F(LauncherPropertiesTest, HomeIsTheFolderWithoutAFinalBinFolder) {
  struct Case {
    const char* executable;
    const char* home;
  } cases[] = {
      {"C:\\Tools\\bin\\run.exe", "C:\\Tools"},
      {"C:\\Tools\\run.exe", "C:\\Tools"},
      {"C:\\Tools\\BIN\\run.exe", "C:\\Tools\\BIN"},
      {"C:\\bin\\run.exe", "C:"},
      {"run.exe", ""},
      {"C:\\Tools\\bin2\\run.exe", "C:\\Tools\\bin2"},
      {"C:\\Tools\\xbin\\run.exe", "C:\\Tools\\xbin"},
  };
  for (const Case& c : cases) {
    LauncherProperties record(fake.platform);
    record.setNameOfExecutable(c.executable);
    EXPECT_EQ(record.getSelfHomePath(), c.home) << c.executable;
    EXPECT_EQ(record.getNameOfExecutable(), c.executable);
  }
}

TEST(LauncherPropertiesPosixTest, HomeUsesSlashesOnPosix) {
  FakePlatform fake(linuxConventions());
  LauncherProperties record(fake.platform);
  record.setNameOfExecutable("/opt/tool/bin/app");
  EXPECT_EQ(record.getSelfHomePath(), "/opt/tool");
  // The Windows separator means nothing here.
  record.setNameOfExecutable("/opt/odd\\bin/app");
  EXPECT_EQ(record.getSelfHomePath(), "/opt/odd\\bin");
}

TEST_F(LauncherPropertiesTest, BundleAndJvmTypeWordsAreLowerCasedAndNormalised) {
  struct Case {
    const char* value;
    const char* bundle;
    const char* jvmDir;
  } cases[] = {
      {"JRE", "require_jre", "jre"},
      {"sdk", "require_sdk", "sdk"},
      {"Prefer_SDK", "prefer_sdk", "prefer_sdk"},
      {"Server", "server", "require_server"},
      {"client", "client", "require_client"},
      {"PREFER_CLIENT", "prefer_client", "prefer_client"},
      {"Both", "both", "both"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    properties.setCustomJavaBundle(c.value);
    properties.setCustomBinJvmDir(c.value);
    EXPECT_EQ(properties.getCustomJavaBundle(), c.bundle) << c.value;
    EXPECT_EQ(properties.getCustomBinJvmDir(), c.jvmDir) << c.value;
  }
}

TEST_F(LauncherPropertiesTest, PreferenceAndRequirementTests) {
  properties.setCustomJavaBundle("prefer_jre");
  EXPECT_TRUE(properties.isJavaBundlePreference());
  EXPECT_FALSE(properties.isJavaBundleRequirement());
  properties.setCustomJavaBundle("jre");
  EXPECT_FALSE(properties.isJavaBundlePreference());
  EXPECT_TRUE(properties.isJavaBundleRequirement());
  properties.setCustomBinJvmDir("prefer_server");
  EXPECT_FALSE(properties.isBinJvmDirRequirement());
  properties.setCustomBinJvmDir("Server");
  EXPECT_TRUE(properties.isBinJvmDirRequirement());
}

TEST_F(LauncherPropertiesTest, JvmPathIsLowerCasedOnlyWhereFileNamesIgnoreCase) {
  properties.setCustomJvmPath("C:\\Java\\Bin\\Client\\JVM.DLL");
  EXPECT_EQ(properties.getCustomJvmPath(), "c:\\java\\bin\\client\\jvm.dll");
  properties.setCustomJavaHomePath("C:\\Java\\Home");
  EXPECT_EQ(properties.getCustomJavaHomePath(), "C:\\Java\\Home");

  FakePlatform posix(linuxConventions());
  LauncherProperties record(posix.platform);
  record.setCustomJvmPath("/opt/JDK/lib/server/libjvm.so");
  EXPECT_EQ(record.getCustomJvmPath(), "/opt/JDK/lib/server/libjvm.so");
}

TEST_F(LauncherPropertiesTest, TrapConsoleCtrlAcceptsExactlyTheTrueWords) {
  for (const char* yes : {"Y", "y", "YES", "yes", "t", "T", "true", "TRUE"}) {
    properties.setTrapConsoleCtrl(yes);
    EXPECT_TRUE(properties.isTrapConsoleCtrl()) << yes;
  }
  for (const char* no : {"", "1", "Yes", "True", "on", "true ", "n", "false"}) {
    properties.setTrapConsoleCtrl(no);
    EXPECT_FALSE(properties.isTrapConsoleCtrl()) << no;
  }
}

TEST_F(LauncherPropertiesTest, CustomPropertyIsAnyLineStartingWithTheWordWithCase) {
  EXPECT_TRUE(isCustomProperty("vexil"));
  EXPECT_TRUE(isCustomProperty("vexil.main.class=app.Main"));
  EXPECT_TRUE(isCustomProperty("vexil.no.such.key=1"));
  EXPECT_FALSE(isCustomProperty("vexi"));
  EXPECT_FALSE(isCustomProperty("Vexil.main.class=app.Main"));
  EXPECT_FALSE(isCustomProperty(" vexil.main.class=app.Main"));
  EXPECT_FALSE(isCustomProperty(""));
}

TEST_F(LauncherPropertiesTest, JniMainClassTurnsDotsIntoSlashesOnce) {
  properties.setMainClass("app.ui.Main");
  EXPECT_EQ(properties.getJniMainClass(), "app/ui/Main");
  EXPECT_EQ(properties.getJniMainClass(), "app/ui/Main");
  // Reading the slash form leaves the record as configured.
  EXPECT_EQ(properties.getMainClass(), "app.ui.Main");
}

TEST_F(LauncherPropertiesTest, DumpOfTheDocumentedRecord) {
  properties.setNameOfExecutable("C:\\Tools\\bin\\run.exe");
  properties.addJavaSystemProperty("-Xmx64m");
  EXPECT_EQ(properties.toString(),
            "m_nameOfExecutable=C:\\Tools\\bin\\run.exe,m_selfHomePath=C:\\Tools,m_customJavaHomePath=,"
            "m_customBinJvmDir=,m_mainClass=,m_customJvmPath=,m_minJavaVersion=,m_maxJavaVersion=,"
            "m_trapConsoleCtrl=,m_jarsInClasspath=,m_libraryPath=,m_debugFile=,"
            "m_javaSystemProperties[0]=-Xmx64m");
}

TEST_F(LauncherPropertiesTest, DumpListsEveryFieldInOrderAndLongElementsWhole) {
  EXPECT_EQ(
      LauncherProperties(fake.platform).toString().substr(LauncherProperties(fake.platform).toString().size() - 13),
      ",m_debugFile=");
  properties.setCustomJavaBundle("sdk");  // not part of the dump
  properties.setMainClass("a.B");
  properties.setDebugFile("d.log");
  properties.addLibraryPathDirectory("C:\\native");
  properties.addJavaSystemProperty("-Xms1m");
  const std::string longOption = "-Dlong=" + std::string(5000, 'x');
  properties.addJavaSystemProperty(longOption);
  properties.addCommandLineArgument("one two");
  properties.addCommandLineArgument("");
  EXPECT_EQ(properties.toString(),
            "m_nameOfExecutable=,m_selfHomePath=,m_customJavaHomePath=,m_customBinJvmDir=,m_mainClass=a.B,"
            "m_customJvmPath=,m_minJavaVersion=,m_maxJavaVersion=,m_trapConsoleCtrl=,m_jarsInClasspath=,"
            "m_libraryPath=;C:\\native,m_debugFile=d.log,m_javaSystemProperties[0]=-Xms1m,"
            "m_javaSystemProperties[1]=" +
                longOption + ",m_commandLineArguments[0]=one two,m_commandLineArguments[1]=");
}

TEST_F(LauncherPropertiesTest, CopiesShareTheChosenJvmAndOwnTheirLists) {
  properties.addCommandLineArgument("a");
  LauncherProperties copy = properties;
  copy.addCommandLineArgument("b");
  EXPECT_EQ(properties.getCommandLineArguments().size(), 1u);
  EXPECT_EQ(copy.getCommandLineArguments().size(), 2u);
  EXPECT_EQ(copy.getFoundJvm(), nullptr);
}

TEST_F(LauncherPropertiesTest, ClassPathAndLibraryPathOptionsArePrefixTestsWithCase) {
  EXPECT_TRUE(LauncherProperties::isClassPathOption("-Djava.class.path=a.jar"));
  EXPECT_TRUE(LauncherProperties::isClassPathOption("-Djava.class.path"));
  EXPECT_TRUE(LauncherProperties::isClassPathOption("-Djava.class.pathX=1"));
  EXPECT_FALSE(LauncherProperties::isClassPathOption("-Djava.class.pat"));
  EXPECT_FALSE(LauncherProperties::isClassPathOption("-DJava.class.path=x"));
  EXPECT_FALSE(LauncherProperties::isClassPathOption("-cp"));
  EXPECT_TRUE(LauncherProperties::isLibraryPathOption("-Djava.library.path=C:\\n"));
  EXPECT_FALSE(LauncherProperties::isLibraryPathOption("-Djava.library.pat"));
}

TEST_F(LauncherPropertiesTest, JarDirectoriesAddTheirJarFilesOnly) {
  for (const char* path : {"C:\\App\\lib\\b.jar", "C:\\App\\lib\\A.JAR", "C:\\App\\lib\\notes.txt",
                           "C:\\App\\lib\\deeper\\c.jar", "lib\\r.jar", "C:/App/lib/\\s.jar"}) {
    fake.fileSystem.addFile(path);
  }
  fake.fileSystem.addDirectory("C:\\App\\lib\\classes.jar");
  fake.fileSystem.addDirectory("C:\\Empty");
  struct Case {
    std::vector<const char*> directories;
    const char* jars;
  } cases[] = {
      {{"C:\\App\\lib"}, ";C:\\App\\lib\\A.JAR;C:\\App\\lib\\b.jar"},
      {{"C:\\App\\lib\\"}, ";C:\\App\\lib\\A.JAR;C:\\App\\lib\\b.jar"},
      {{"C:/App/lib/"}, ";C:/App/lib/\\s.jar"},
      {{"lib"}, ";lib\\r.jar"},
      {{"C:\\App\\lib\\deeper", "C:\\App\\lib"},
       ";C:\\App\\lib\\deeper\\c.jar;C:\\App\\lib\\A.JAR;C:\\App\\lib\\b.jar"},
      {{"lib", "lib"}, ";lib\\r.jar;lib\\r.jar"},
      {{"C:\\Empty", "C:\\Missing"}, ""},
      // An empty value names no directory (not the root of the current drive).
      {{""}, ""},
  };
  for (const Case& c : cases) {
    LauncherProperties record(fake.platform);
    for (const char* directory : c.directories) addJarsInDirectory(record, directory);
    EXPECT_EQ(record.getJarsInClasspath(), c.jars) << c.directories[0];
  }
}

TEST_F(LauncherPropertiesTest, LibraryDirectoriesAreAppendedAsGiven) {
  properties.addLibraryPathDirectory("C:\\A");
  properties.addLibraryPathDirectory("C:\\B\\");
  properties.addLibraryPathDirectory("");
  EXPECT_EQ(properties.getLibraryPath(), ";C:\\A;C:\\B\\;");
}

TEST(LauncherPropertiesPosixTest, JarAndLibraryListsUseTheJvmPathSeparator) {
  FakePlatform fake(linuxConventions());
  fake.fileSystem.addFile("/app/lib/a.jar");
  fake.fileSystem.addFile("/app/lib/B.Jar");
  fake.fileSystem.addDirectory("/app/lib/x.jar");
  LauncherProperties record(fake.platform);
  addJarsInDirectory(record, "/app/lib");
  addJarsInDirectory(record, "/app/lib/");
  addJarsInDirectory(record, "");
  record.addLibraryPathDirectory("/app/native");
  record.addLibraryPathDirectory("/usr/lib");
  EXPECT_EQ(record.getJarsInClasspath(), ":/app/lib/B.Jar:/app/lib/a.jar:/app/lib/B.Jar:/app/lib/a.jar");
  EXPECT_EQ(record.getLibraryPath(), ":/app/native:/usr/lib");
}

class FailingFileSystem : public FakeFileSystem {
 public:
  std::vector<DirectoryEntry> findFiles(const std::string&) const override { throw std::bad_alloc(); }
};

TEST(LauncherPropertiesFailureTest, JarSearchFailureHasItsOwnText) {
  FakePlatform fake;
  FailingFileSystem fileSystem;
  Platform platform = fake.platform;
  platform.fileSystem = &fileSystem;
  LauncherProperties record(platform);
  EXPECT_EQ(reportOf([&] { addJarsInDirectory(record, "C:\\App\\lib"); }),
            reportText("Error adding jars to classpath."));
}

// A jar whose path holds the list separator cannot be one entry of the class
// path: split, its relative half would name the current directory.
TEST(LauncherPropertiesFailureTest, AJarPathHoldingTheListSeparatorIsReported) {
  const struct {
    std::string directory;
    std::string jar;
  } cases[] = {{"C:\\My;App\\lib", "a.jar"}, {"C:\\App\\lib", "x;y.jar"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory + "\\" + c.jar);
    FakePlatform fake;
    fake.fileSystem.addFile(c.directory + "\\" + c.jar);
    LauncherProperties record(fake.platform);
    EXPECT_EQ(reportOf([&] { addJarsInDirectory(record, c.directory); }),
              reportText("Error adding jars to classpath.\n" + c.directory + "\\" + c.jar +
                         " holds the character that separates the entries of a path list: ;"));
  }
}

}  // namespace
