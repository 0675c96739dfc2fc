#include "hosting/init_args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

struct Case {
  const char* name;
  std::vector<std::string> configured;
  std::vector<std::string> jarFiles;  // in C:\App\lib
  std::vector<std::string> libraryDirectories;
  std::vector<std::string> expected;
};

/// EXPECTED, then the options that name an application without a main class
/// or arguments to monitoring tools.
std::vector<std::string> withIdentity(std::vector<std::string> expected) {
  expected.emplace_back("-Dsun.java.command=");
  expected.emplace_back("-Dsun.java.launcher=SUN_STANDARD");
  return expected;
}

std::vector<std::string> optionsOf(const jni::JavaVMInitArgs& args) {
  std::vector<std::string> options;
  for (jni::jint i = 0; i < args.nOptions; ++i) {
    options.emplace_back(args.options[i].optionString);
    EXPECT_EQ(args.options[i].extraInfo, nullptr);
  }
  return options;
}

// Where the program of the cases lies, and the class path that names nothing
// beside it.
const char kProgram[] = "C:\\App\\app.exe";
const std::string kNoClassPath = "-Djava.class.path=C:\\App\\app.exe.no-class-path";

TEST(InitArgsTest, OptionsMergeTheJarsAndLibraryDirectories) {
  const std::string jars = ";C:\\App\\lib\\one.jar;C:\\App\\lib\\two.jar";
  const Case cases[] = {
      // The runtime's own class path would be the current directory.
      {"nothing: a class path that names nothing", {}, {}, {}, {kNoClassPath}},
      {"configured class path extended in place",
       {"-Xmx256m", "-Djava.class.path=app.jar", "-Dx=1"},
       {"one.jar", "two.jar"},
       {},
       {"-Xmx256m", "-Djava.class.path=app.jar" + jars, "-Dx=1"}},
      {"class path added after every configured option",
       {"-Xmx256m", "-Dx=1"},
       {"one.jar", "two.jar"},
       {},
       // The added option starts with the first jar: an empty first element would
       // put the current directory before the application's jars.
       {"-Xmx256m", "-Dx=1", "-Djava.class.path=" + jars.substr(1)}},
      {"configured class path and no jars: unchanged, nothing added",
       {"-Djava.class.path=app.jar"},
       {},
       {},
       {"-Djava.class.path=app.jar"}},
      {"every class path line is extended, none added",
       {"-Djava.class.path=a.jar", "-Xss1m", "-Djava.class.path=b.jar"},
       {"one.jar", "two.jar"},
       {},
       {"-Djava.class.path=a.jar" + jars, "-Xss1m", "-Djava.class.path=b.jar" + jars}},
      {"the bare property is a class path line; a longer name is another property",
       {"-Djava.class.path", "-Djava.class.pathX=1"},
       {"one.jar", "two.jar"},
       {},
       {"-Djava.class.path=" + jars.substr(1), "-Djava.class.pathX=1"}},
      {"a longer name alone: the class path is still given",
       {"-Djava.class.pathX=1"},
       {},
       {},
       {"-Djava.class.pathX=1", kNoClassPath}},
      {"other spellings are not recognised",
       {"-DJava.class.path=x", "-cp", "-classpath", "-Djava.class.pat"},
       {"one.jar", "two.jar"},
       {},
       {"-DJava.class.path=x", "-cp", "-classpath", "-Djava.class.pat", "-Djava.class.path=" + jars.substr(1)}},
      {"configured library path extended in place",
       {"-Djava.library.path=C:\\native", "-Xmx1g"},
       {},
       {"C:\\App\\bin", "D:\\dll"},
       {"-Djava.library.path=C:\\native;C:\\App\\bin;D:\\dll", "-Xmx1g", kNoClassPath}},
      {"both added: class path first",
       {"-Xmx1g"},
       {"one.jar", "two.jar"},
       {"C:\\App\\bin"},
       {"-Xmx1g", "-Djava.class.path=" + jars.substr(1), "-Djava.library.path=C:\\App\\bin"}},
      {"configured class path, added library path",
       {"-Djava.class.path=app.jar"},
       {"one.jar", "two.jar"},
       {"C:\\App\\bin"},
       {"-Djava.class.path=app.jar" + jars, "-Djava.library.path=C:\\App\\bin"}},
      {"configured options without a value take the lists without a leading separator",
       {"-Djava.class.path=", "-Djava.library.path="},
       {"one.jar", "two.jar"},
       {"C:\\App\\bin"},
       {"-Djava.class.path=" + jars.substr(1), "-Djava.library.path=C:\\App\\bin"}},
      // An unset variable leaves an empty element; the runtime reads it as the
      // current directory, which only "." names.
      {"empty elements are dropped wherever they are",
       {"-Djava.class.path=;app.jar;;.;", "-Djava.library.path=;C:\\native;"},
       {"one.jar", "two.jar"},
       {"C:\\App\\bin"},
       {"-Djava.class.path=app.jar;.;" + jars.substr(1), "-Djava.library.path=C:\\native;C:\\App\\bin"}},
      {"a class path of separators only names nothing",
       {"-Djava.class.path=;;", "-Djava.class.path="},
       {},
       {},
       {kNoClassPath, kNoClassPath}},
      {"so does a library path without elements",
       {"-Djava.library.path=;", "-Djava.class.path=a.jar"},
       {},
       {""},
       {"-Djava.library.path=C:\\App\\app.exe.no-library-path", "-Djava.class.path=a.jar"}},
      {"an empty library directory alone adds a library path that names nothing",
       {"-Djava.class.path=a.jar"},
       {},
       {""},
       {"-Djava.class.path=a.jar", "-Djava.library.path=C:\\App\\app.exe.no-library-path"}},
      {"elements that are not empty stay as written",
       {"-Djava.class.path= ;rel\\a.jar;\\\\server\\share\\b.jar;caf\xC3\xA9.jar"},
       {},
       {},
       {"-Djava.class.path= ;rel\\a.jar;\\\\server\\share\\b.jar;caf\xC3\xA9.jar"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    for (const std::string& jar : c.jarFiles) fake.fileSystem.addFile("C:\\App\\lib\\" + jar);
    LauncherProperties properties(fake.platform);
    properties.setNameOfExecutable(kProgram);
    for (const std::string& option : c.configured) properties.addJavaSystemProperty(option);
    if (!c.jarFiles.empty()) addJarsInDirectory(properties, "C:\\App\\lib");
    for (const std::string& directory : c.libraryDirectories) properties.addLibraryPathDirectory(directory);

    JvmHost host(properties);
    jni::JavaVMInitArgs args;
    args.nOptions = -1;
    host.buildInitArgs(args);

    EXPECT_EQ(args.version, 0x00010002);
    EXPECT_EQ(args.ignoreUnrecognized, jni::JNI_FALSE);
    EXPECT_EQ(optionsOf(args), withIdentity(c.expected));
    // The record keeps the configured options, so a second computation
    // gives the same options.
    EXPECT_EQ(properties.getJavaSystemProperties(), c.configured);
    host.buildInitArgs(args);
    EXPECT_EQ(optionsOf(args), withIdentity(c.expected));
  }
}

TEST(InitArgsTest, AProgramPathHoldingTheListSeparatorCannotNameNothing) {
  FakePlatform fake(linuxConventions());
  LauncherProperties properties(fake.platform);
  properties.setNameOfExecutable("/opt/a:b/app");
  EXPECT_EQ(reportOf([&] { initArgOptions(properties); }),
            reportText("Error while launching program with JVM.\n/opt/a:b/app holds the character that separates the "
                       "entries of a path list: :"));
  // With a class path of its own, the program's path is not needed.
  properties.addJavaSystemProperty("-Djava.class.path=/opt/a.jar");
  EXPECT_EQ(initArgOptions(properties), std::vector<std::string>{"-Djava.class.path=/opt/a.jar"});
}

TEST(InitArgsTest, PosixListsUseTheirOwnSeparator) {
  FakePlatform fake(linuxConventions());
  fake.fileSystem.addFile("/opt/app/lib/a.jar");
  LauncherProperties properties(fake.platform);
  properties.addJavaSystemProperty("-Djava.class.path=/opt/app/classes");
  addJarsInDirectory(properties, "/opt/app/lib");
  properties.addLibraryPathDirectory("/opt/app/native");
  JvmHost host(properties);
  jni::JavaVMInitArgs args;
  const std::vector<std::string> merged{"-Djava.class.path=/opt/app/classes:/opt/app/lib/a.jar",
                                        "-Djava.library.path=/opt/app/native"};
  EXPECT_EQ(initArgOptions(properties), merged);
  // The class-data cache's options come first, before the configured ones.
  host.buildInitArgs(args, {"-XX:SharedArchiveFile=/home/u/.cache/app/a.jsa"});
  std::vector<std::string> expected{"-XX:SharedArchiveFile=/home/u/.cache/app/a.jsa"};
  expected.insert(expected.end(), merged.begin(), merged.end());
  EXPECT_EQ(optionsOf(args), withIdentity(expected));
}

TEST(InitArgsTest, MonitoringToolsLearnTheApplicationAndABoxProgramGetsTheRuntimesMessages) {
  struct Case {
    const char* name;
    std::vector<std::string> configured;
    std::vector<std::string> arguments;
    ReportChannel channel;
    std::vector<std::string> expected;  // the option texts, in order
  } cases[] = {
      {"console",
       {"-Xmx64m"},
       {"one", "two words"},
       ReportChannel::kStandardOutput,
       {"-Xmx64m", kNoClassPath, "-Dsun.java.command=app.Main one two words", "-Dsun.java.launcher=SUN_STANDARD"}},
      {"configured ones stay, nothing added for them",
       {"-Dsun.java.command=Custom", "-Dsun.java.launcher=mine"},
       {"x"},
       ReportChannel::kStandardOutput,
       {"-Dsun.java.command=Custom", "-Dsun.java.launcher=mine", kNoClassPath}},
      {"one configured",
       {"-Dsun.java.launcher=mine"},
       {},
       ReportChannel::kStandardOutput,
       {"-Dsun.java.launcher=mine", kNoClassPath, "-Dsun.java.command=app.Main"}},
      {"box: the output hook comes last",
       {},
       {},
       ReportChannel::kMessageBox,
       {kNoClassPath, "-Dsun.java.command=app.Main", "-Dsun.java.launcher=SUN_STANDARD", "vfprintf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    LauncherProperties properties(fake.platform);
    properties.setNameOfExecutable(kProgram);
    properties.setMainClass("app.Main");
    for (const std::string& option : c.configured) properties.addJavaSystemProperty(option);
    for (const std::string& argument : c.arguments) properties.addCommandLineArgument(argument);
    JvmHost host(properties, c.channel);
    jni::JavaVMInitArgs args;
    host.buildInitArgs(args);
    std::vector<std::string> texts;
    for (jni::jint i = 0; i < args.nOptions; ++i) {
      texts.emplace_back(args.options[i].optionString);
      // Only the hook carries extra information: the function to write through.
      EXPECT_EQ(args.options[i].extraInfo != nullptr, texts.back() == "vfprintf") << texts.back();
    }
    EXPECT_EQ(texts, c.expected);
  }
}

TEST(InitArgsTest, AHostWithoutAChosenJvmFailsWithTheLaunchText) {
  FakePlatform fake;
  LauncherProperties properties(fake.platform);
  JvmHost host(properties);
  EXPECT_EQ(reportOf([&] { host.launch(); }), reportText("Error while launching program with JVM."));
  EXPECT_EQ(host.getJavaVM(), nullptr);
}

}  // namespace
