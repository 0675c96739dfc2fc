#include "config/configuration_file_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

using Lines = std::vector<std::string>;

const char kExe[] = "C:\\Tools\\bin\\run.exe";
const char kLap[] = "C:\\Tools\\bin\\run.lap";
const char kJvmDll[] = "C:\\Java\\bin\\client\\jvm.dll";
const char kStoredJvmDll[] = "c:\\java\\bin\\client\\jvm.dll";

std::string joined(const Lines& lines, const char* lineEnd = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

TEST(ConfigurationFileNameTest, ReplacesAFinalExeOrAppends) {
  struct Case {
    const char* executable;
    const char* file;
  } cases[] = {
      {"C:\\Apps\\Tool.exe", "C:\\Apps\\Tool.lap"},
      {"C:\\Apps\\Tool.EXE", "C:\\Apps\\Tool.lap"},
      {"C:\\Apps\\Tool.eXe", "C:\\Apps\\Tool.lap"},
      {"C:\\Apps\\Tool.bin", "C:\\Apps\\Tool.bin.lap"},
      {"C:\\My.Apps\\Tool", "C:\\My.Apps\\Tool.lap"},
      {"C:\\Apps\\Tool.exe.exe", "C:\\Apps\\Tool.exe.lap"},
      {"Tool", "Tool.lap"},
      {".exe", ".exe.lap"},
      {"/opt/app/bin/tool", "/opt/app/bin/tool.lap"},
  };
  FakePlatform fake;
  for (const Case& c : cases) {
    LauncherProperties properties(fake.platform);
    properties.setNameOfExecutable(c.executable);
    EXPECT_EQ(ConfigurationFileLoader(properties).getConfigurationFileName(), c.file) << c.executable;
  }
}

TEST(ReadPropertyLinesTest, KeepsTrimmedPropertyLinesOnly) {
  struct Case {
    std::string contents;
    Lines lines;
  } cases[] = {
      {"", {}},
      {" \n\t\n\n", {}},
      {"# note\n  \t# indented note\n", {}},
      {"a=1\r\nb=2\r\n", {"a=1", "b=2"}},
      {"a=1\nlast=no line end", {"a=1", "last=no line end"}},
      {"a=1\r\nlast\r", {"a=1", "last"}},
      {"  a = 1  \t\n", {"a = 1"}},
      {"vexil.main.class=app.Main # note\n", {"vexil.main.class=app.Main # note"}},
      {"a\rb\n", {"a\rb"}},  // only a CR before the line end goes
      {std::string("keep\0dropped\nnext\n", 18), {"keep", "next"}},
      {std::string("\0all dropped\n", 13), {}},
      {"-Xmx1m\n#-Xmx2m\n", {"-Xmx1m"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConfigurationFileLoader::readPropertyLines(c.contents), c.lines) << c.contents;
}

class ConfigurationFileLoaderTest : public ::testing::Test {
 protected:
  explicit ConfigurationFileLoaderTest(const Conventions& conventions = windowsConventions())
      : fake(conventions),
        properties(fake.platform) {}

  void SetUp() override {
    properties.setNameOfExecutable(kExe);
    fake.fileSystem.addFile(kStoredJvmDll);  // the setting is stored lower-cased
  }

  /// Loads LINES as the configuration file, without the JVM setting that
  /// keeps the selection away from the registry.
  std::string loadWithoutJvm(const std::string& contents) {
    fake.fileSystem.addFile(ConfigurationFileLoader(properties).getConfigurationFileName(), contents);
    return reportOf([&] { loadProperties(properties); });
  }

  /// Loads LINES after a line that names an existing JVM library.
  void load(Lines lines) {
    lines.insert(lines.begin(), std::string("vexil.jvm.path=") + kJvmDll);
    ASSERT_EQ(loadWithoutJvm(joined(lines)), "<no report>");
  }

  FakePlatform fake;
  LauncherProperties properties;
};

TEST_F(ConfigurationFileLoaderTest, AFileThatCannotBeReadIsReportedWithWhy) {
  using Kind = FileReadFailure::Kind;
  struct Case {
    Kind kind;
    const char* systemReason;
    const char* reason;  // the report's second line; empty: none
  } cases[] = {
      {Kind::kSystemError, "Permission denied", "Permission denied"},
      {Kind::kSystemError, "", ""},
      {Kind::kFolder, "", "It is a folder, not a file."},
      {Kind::kPipe, "", "It is a named pipe (FIFO), not a file."},
      {Kind::kDevice, "", "It is a device, not a file."},
      {Kind::kNotAFile, "", "It is not a regular file."},
      {Kind::kTooLarge, "", "It is larger than 4 MiB, more than a configuration file can be."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    FakePlatform files;
    files.fileSystem.makeUnreadable(kLap, FileReadFailure{c.kind, c.systemReason});
    LauncherProperties record(files.platform);
    record.setNameOfExecutable(kExe);
    const std::string firstLine = std::string("Could not open file ") + kLap;
    EXPECT_EQ(reportOf([&] { loadProperties(record); }),
              reportText(*c.reason ? firstLine + "\n" + c.reason : firstLine));
  }
}

TEST_F(ConfigurationFileLoaderTest, ByteOrderMarksAndUtf16) {
  const std::string jvmLine = std::string("vexil.jvm.path=") + kJvmDll + "\n";
  const std::string utf16Report = reportText(std::string("Error loading properties from configuration file.\n") + kLap +
                                             " is saved as UTF-16 (Unicode): save it as UTF-8 or ANSI.");
  struct Case {
    const char* name;
    std::string contents;
    std::string report;  // empty: loads, with main class app.Main
  } cases[] = {
      {"UTF-8 mark before the first line", "\xEF\xBB\xBFvexil.main.class=app.Main\n" + jvmLine, ""},
      {"UTF-8 mark and CR LF", "\xEF\xBB\xBFvexil.main.class=app.Main\r\n" + jvmLine, ""},
      {"UTF-16 little-endian mark", std::string("\xFF\xFEv\0e\0x\0", 8), utf16Report},
      {"UTF-16 big-endian mark", std::string("\xFE\xFF\0v\0e", 6), utf16Report},
      {"UTF-16 without a mark", std::string("v\0e\0x\0", 6), utf16Report},
      {"a mark alone", "\xEF\xBB\xBF", reportText("No acceptable JVMs were found.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform files;
    files.fileSystem.addFile(kStoredJvmDll);
    files.fileSystem.addFile(kLap, c.contents);
    LauncherProperties record(files.platform);
    record.setNameOfExecutable(kExe);
    std::string report = reportOf([&] { loadProperties(record); });
    if (c.report.empty()) {
      EXPECT_EQ(report, "<no report>");
      EXPECT_EQ(record.getMainClass(), "app.Main");
    } else {
      EXPECT_EQ(report, c.report);
    }
  }
}

TEST_F(ConfigurationFileLoaderTest, AnUnknownProgramPathReadsNothingFromTheCurrentDirectory) {
  FakePlatform files;
  files.fileSystem.addFile(".lap", "vexil.main.class=planted.Main\n");
  LauncherProperties record(files.platform);
  record.setNameOfExecutable("");
  EXPECT_EQ(reportOf([&] { loadProperties(record); }), reportText("Error getting configuration file name."));
  EXPECT_EQ(record.getMainClass(), "");
}

TEST_F(ConfigurationFileLoaderTest, SelectionRunsForAFileWithoutPropertyLines) {
  for (const char* contents : {"", "# only a comment\n\n   \n"}) {
    LauncherProperties record(fake.platform);
    record.setNameOfExecutable(kExe);
    fake.fileSystem.addFile(kLap, contents);
    EXPECT_EQ(reportOf([&] { loadProperties(record); }), reportText("No acceptable JVMs were found."));
  }
}

TEST_F(ConfigurationFileLoaderTest, TheDocumentedProcessingOrder) {
  fake.environment.set("TEMP", "C:\\Temp");
  fake.fileSystem.addFile("c:\\tools\\jre\\bin\\client\\jvm.dll");
  ASSERT_EQ(loadWithoutJvm(
                joined({"-Dlog=${env.TEMP}\\app.log", "vexil.main.class=app.Main", "-Dhome.copy=${FOUND_JAVA_HOME}",
                        "vexil.min.java.version=1.4", "vexil.jvm.path=${SELF_HOME}\\jre\\bin\\client\\jvm.dll"})),
            "<no report>");
  EXPECT_EQ(properties.getMainClass(), "app.Main");
  EXPECT_EQ(properties.getMinJavaVersion(), "1.4");
  EXPECT_EQ(properties.getCustomJvmPath(), "c:\\tools\\jre\\bin\\client\\jvm.dll");
  ASSERT_NE(properties.getFoundJvm(), nullptr);
  EXPECT_EQ(properties.getFoundJvm()->getJvmPath(), "c:\\tools\\jre\\bin\\client\\jvm.dll");
  // A custom JVM has no home.
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{"-Dlog=C:\\Temp\\app.log", "-Dhome.copy="}));
}

// Of two lines setting the same key, the one processed later wins; each case
// puts the line of the later step first in the file.
TEST_F(ConfigurationFileLoaderTest, LaterStepsWinOverEarlierOnes) {
  fake.environment.set("P", "vexil");
  struct Case {
    Lines lines;
    const char* mainClass;
  } cases[] = {
      {{"vexil.main.class=${env.NONE}step2", "vexil.main.class=step1"}, "step2"},
      {{"${env.P}.main.class=step4", "vexil.main.class=${env.NONE}step2"}, "step4"},
      {{"vexil.main.class=${FOUND_JAVA_HOME}step6", "${env.P}.main.class=step4"}, "step6"},
      {{"${env.P}.main.class=${FOUND_JAVA_HOME}step7", "vexil.main.class=${FOUND_JAVA_HOME}step6"}, "step7"},
      {{"vexil.main.class=first", "vexil.main.class=second"}, "second"},
      {{"vexil.main.class=${env.NONE}first", "vexil.main.class=${env.NONE}second"}, "second"},
  };
  for (const Case& c : cases) {
    LauncherProperties record(fake.platform);
    record.setNameOfExecutable(kExe);
    Lines lines = c.lines;
    lines.insert(lines.begin(), std::string("vexil.jvm.path=") + kJvmDll);
    fake.fileSystem.addFile(kLap, joined(lines));
    ASSERT_EQ(reportOf([&] { loadProperties(record); }), "<no report>");
    EXPECT_EQ(record.getMainClass(), c.mainClass) << c.lines[0];
  }
}

TEST_F(ConfigurationFileLoaderTest, OptionsFollowTheProcessingOrder) {
  load({"-Dlate=${FOUND_JAVA_HOME}x", "-Dvariable=${SELF_HOME}", "-Dplain", "vexil.main.class=a.B"});
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{"-Dplain", "-Dvariable=C:\\Tools", "-Dlate=x"}));
}

TEST_F(ConfigurationFileLoaderTest, SelectionSeesStepsOneToFourOnly) {
  fake.environment.set("P", "vexil");
  fake.fileSystem.addFile("c:\\other\\jvm.dll");
  // Step 4 names the library; a step 6 line changes the setting only after the choice.
  ASSERT_EQ(loadWithoutJvm(joined(
                {"vexil.jvm.path=${FOUND_JAVA_HOME}C:\\Missing\\jvm.dll", "${env.P}.jvm.path=C:\\Other\\jvm.dll"})),
            "<no report>");
  EXPECT_EQ(properties.getFoundJvm()->getJvmPath(), "c:\\other\\jvm.dll");
  EXPECT_EQ(properties.getCustomJvmPath(), "c:\\missing\\jvm.dll");
}

TEST_F(ConfigurationFileLoaderTest, JavaHomeOfARegistryRuntime) {
  const char kJre[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8";
  fake.registry.setValue(kJre, "JavaHome", "C:\\Java\\jre8");
  fake.fileSystem.addFile("C:\\Java\\jre8\\bin\\client\\jvm.dll");
  ASSERT_EQ(loadWithoutJvm("-Dhome=${FOUND_JAVA_HOME}\nvexil.library.path.dir=${FOUND_JAVA_HOME}\\bin\n"),
            "<no report>");
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{"-Dhome=C:\\Java\\jre8"}));
  EXPECT_EQ(properties.getLibraryPath(), ";C:\\Java\\jre8\\bin");
}

TEST_F(ConfigurationFileLoaderTest, EachLineIsProcessedOnce) {
  // A value that looks like a late reference is inserted unchanged and does
  // not make its line a late one after it has been applied.
  fake.environment.set("LOOKS_LATE", "${FOUND_JAVA_HOME}");
  load({"-Dx=${env.LOOKS_LATE}", "vexil.library.path.dir=${env.LOOKS_LATE}"});
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{"-Dx=${FOUND_JAVA_HOME}"}));
  EXPECT_EQ(properties.getLibraryPath(), ";${FOUND_JAVA_HOME}");
}

TEST_F(ConfigurationFileLoaderTest, LineSyntax) {
  fake.environment.set("JAVA_OPTS", "-Xmx64m");
  fake.environment.set("P", "vexil");
  struct Case {
    const char* line;
    const char* mainClass;
    Lines options;
  } cases[] = {
      {"vexil.main.class=app.Main", "app.Main", {}},
      {"vexil.main.class = \t app.Main \t", "app.Main", {}},
      {"vexil.main.class=app.Main # note", "app.Main # note", {}},
      {"vexil.main.class", "", {}},
      {"vexil.main.class=", "", {}},
      {"vexil.main.class=a=b", "a=b", {}},
      {"VEXIL.MAIN.CLASS=app.Main", "unset", {}},
      {"vexil.main.classes=app.Main", "unset", {}},
      {"=vexil.main.class", "unset", {}},
      {"${env.P}.main.class=app.Main", "app.Main", {}},
      {"${env.JAVA_OPTS}", "unset", {"-Xmx64m"}},
      {"${env.NONE}", "unset", {}},
      {"-Dk=v=w # all of it", "unset", {"-Dk=v=w # all of it"}},
      {"-", "unset", {"-"}},
  };
  for (const Case& c : cases) {
    LauncherProperties record(fake.platform);
    record.setNameOfExecutable(kExe);
    record.setMainClass("unset");
    fake.fileSystem.addFile(kLap, std::string("vexil.jvm.path=") + kJvmDll + "\n" + c.line + "\n");
    ASSERT_EQ(reportOf([&] { loadProperties(record); }), "<no report>") << c.line;
    EXPECT_EQ(record.getMainClass(), c.mainClass) << c.line;
    EXPECT_EQ(record.getJavaSystemProperties(), c.options) << c.line;
  }
}

TEST_F(ConfigurationFileLoaderTest, EveryKeyReachesItsSetting) {
  fake.fileSystem.addFile("C:\\App\\lib\\a.jar");
  load({"vexil.main.class=app.Main", "vexil.java.bundle=JRE", "vexil.bin.jvm.dir=Server",
        "vexil.java.home.path=C:\\Java", "vexil.min.java.version=1.4", "vexil.max.java.version=1.6",
        "vexil.trap.console.ctrl=yes", "vexil.classpath.jars.dir=C:\\App\\lib", "vexil.debug.file=C:\\d.log",
        "vexil.library.path.dir=C:\\native"});
  EXPECT_EQ(properties.getMainClass(), "app.Main");
  EXPECT_EQ(properties.getCustomJavaBundle(), "require_jre");
  EXPECT_EQ(properties.getCustomBinJvmDir(), "require_server");
  EXPECT_EQ(properties.getCustomJvmPath(), kStoredJvmDll);
  EXPECT_EQ(properties.getCustomJavaHomePath(), "C:\\Java");
  EXPECT_EQ(properties.getMinJavaVersion(), "1.4");
  EXPECT_EQ(properties.getMaxJavaVersion(), "1.6");
  EXPECT_TRUE(properties.isTrapConsoleCtrl());
  EXPECT_EQ(properties.getJarsInClasspath(), ";C:\\App\\lib\\a.jar");
  EXPECT_EQ(properties.getDebugFile(), "C:\\d.log");
  EXPECT_EQ(properties.getLibraryPath(), ";C:\\native");
  EXPECT_TRUE(properties.getJavaSystemProperties().empty());
}

// The splash screen's image: the setting, or the option line of the JDK's
// launcher, which never reaches the runtime's options.
TEST_F(ConfigurationFileLoaderTest, SplashImageFromTheSettingOrTheOptionLine) {
  struct Case {
    Lines lines;
    std::string image;
    Lines options;
  } cases[] = {
      {{"vexil.splash.image=${SELF_HOME}\\splash.png"}, "C:\\Tools\\splash.png", {}},
      {{"-splash:${SELF_HOME}\\a b.gif", "-Xmx1m"}, "C:\\Tools\\a b.gif", {"-Xmx1m"}},
      {{"-splash:  C:\\x.jpg  "}, "C:\\x.jpg", {}},
      // The option line is processed after the settings, so it wins.
      {{"-splash:C:\\line.png", "vexil.splash.image=C:\\setting.png"}, "C:\\line.png", {}},
      {{"-splash:"}, "", {}},
      // Only the exact prefix: other options pass on unchanged.
      {{"-splashscreen", "-Splash:x.png"}, "", {"-splashscreen", "-Splash:x.png"}},
      {{"-Xmx1m"}, "", {"-Xmx1m"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(joined(c.lines));
    FakePlatform files;
    files.fileSystem.addFile(kStoredJvmDll);
    files.fileSystem.addFile(kLap, std::string("vexil.jvm.path=") + kJvmDll + "\n" + joined(c.lines));
    LauncherProperties record(files.platform);
    record.setNameOfExecutable(kExe);
    ASSERT_EQ(reportOf([&] { loadProperties(record); }), "<no report>");
    EXPECT_EQ(record.getSplashImage(), c.image);
    EXPECT_EQ(record.getJavaSystemProperties(), c.options);
  }
}

TEST_F(ConfigurationFileLoaderTest, JarDirectoriesInProcessingOrder) {
  for (const char* jar : {"C:\\Tools\\lib\\b.jar", "C:\\Tools\\lib\\A.JAR", "C:\\Ext\\x.jar", "C:\\Ext\\notes.txt"}) {
    fake.fileSystem.addFile(jar);
  }
  fake.fileSystem.addDirectory("C:\\Ext\\classes.jar");
  load({"vexil.classpath.jars.dir=${SELF_HOME}\\lib", "vexil.classpath.jars.dir=C:\\Ext\\",
        "vexil.library.path.dir=${SELF_HOME}\\native", "vexil.library.path.dir=C:\\dll"});
  EXPECT_EQ(properties.getJarsInClasspath(), ";C:\\Ext\\x.jar;C:\\Tools\\lib\\A.JAR;C:\\Tools\\lib\\b.jar");
  EXPECT_EQ(properties.getLibraryPath(), ";C:\\dll;C:\\Tools\\native");
}

// Lines of any length are read and applied whole, never split in two.
TEST_F(ConfigurationFileLoaderTest, LongLinesAreAppliedWhole) {
  const std::string option = "-Dbig=" + std::string(6000, 'x');
  const std::string mainClass = "a." + std::string(5000, 'B');
  load({option, "vexil.main.class=" + mainClass});
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{option}));
  EXPECT_EQ(properties.getMainClass(), mainClass);
}

TEST_F(ConfigurationFileLoaderTest, SelectionFailuresEndTheLoad) {
  EXPECT_EQ(loadWithoutJvm("vexil.jvm.path=${SELF_HOME}\\jre\\jvm.dll\n-Dhome=${FOUND_JAVA_HOME}\n-Xmx1m\n"),
            reportText("This JVM file could not be found: c:\\tools\\jre\\jvm.dll"));
  // Lines of the steps before the selection are in place, later ones never run.
  EXPECT_EQ(properties.getJavaSystemProperties(), (Lines{"-Xmx1m"}));
}

class PosixConfigurationFileLoaderTest : public ConfigurationFileLoaderTest {
 protected:
  PosixConfigurationFileLoaderTest() : ConfigurationFileLoaderTest(linuxConventions()) {}
  void SetUp() override {}
};

TEST_F(PosixConfigurationFileLoaderTest, PathsAndListsUseThePosixSeparators) {
  properties.setNameOfExecutable("/opt/Tool/bin/run");
  fake.fileSystem.addFile("/opt/Java/lib/server/libjvm.so");
  for (const char* jar : {"/opt/Tool/lib/b.jar", "/opt/Tool/lib/A.JAR", "/ext/x.jar"}) fake.fileSystem.addFile(jar);
  fake.fileSystem.addDirectory("/ext/classes.jar");
  fake.fileSystem.addFile("/opt/Tool/bin/run.lap",
                          "vexil.jvm.path=/opt/Java/lib/server/libjvm.so\r\n"
                          "vexil.classpath.jars.dir=${SELF_HOME}/lib\r\n"
                          "vexil.classpath.jars.dir=/ext\r\n"
                          "vexil.library.path.dir=${FOUND_EXE_FOLDER}/native\r\n"
                          "vexil.library.path.dir=/usr/lib\r\n");
  ASSERT_EQ(reportOf([&] { loadProperties(properties); }), "<no report>");
  EXPECT_EQ(properties.getFoundJvm()->getJvmPath(), "/opt/Java/lib/server/libjvm.so");
  EXPECT_EQ(properties.getJarsInClasspath(), ":/ext/x.jar:/opt/Tool/lib/A.JAR:/opt/Tool/lib/b.jar");
  EXPECT_EQ(properties.getLibraryPath(), ":/usr/lib:/opt/Tool/bin/native");
}

}  // namespace
