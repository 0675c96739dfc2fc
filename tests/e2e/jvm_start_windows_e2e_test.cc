// Both Windows launchers with a fake runtime: a jvm.dll built from
// tests/fake_jvm, loaded through the launcher's real loading path, which
// records every call it receives in a file and can be told to refuse a step.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

class FakeRuntime : public testing::TestWithParam<Program> {
 protected:
  FakeRuntime() : app(GetParam()) {
    app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
  }

  /// A configuration for MAIN_CLASS on the runtime in rt\, then EXTRA.
  std::string configuration(const std::string& mainClass, const std::string& extra = "") const {
    return "vexil.main.class=" + mainClass + "\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n" + extra;
  }

  /// The calls the fake runtime recorded.
  std::string record() const { return fileContents(app.path("record.txt")); }
  /// Each recorded line that begins with PREFIX, without it.
  std::vector<std::string> recorded(const std::string& prefix) const {
    std::vector<std::string> lines;
    std::istringstream text(record());
    for (std::string line; std::getline(text, line);) {
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    }
    return lines;
  }

  /// The options every launch adds after the configured ones: those that name
  /// MAIN_CLASS and ARGUMENTS to monitoring tools, and in the windowed program
  /// the runtime's output hook.
  std::vector<std::string> addedOptions(const std::string& command) const {
    std::vector<std::string> options{"-Dsun.java.command=" + command, "-Dsun.java.launcher=SUN_STANDARD"};
    if (GetParam() == Program::Windowed) options.emplace_back("vfprintf (with extra info)");
    return options;
  }

  /// The class path option of an application without one: a path beside the
  /// program that names nothing, as an empty one would name the current directory.
  std::string noClassPath() const { return "-Djava.class.path=" + app.programPath() + ".no-class-path"; }

  LaunchCase app;
};

/// TEXT lower-cased, as the stored JVM path setting is on Windows.
std::string lowerCased(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

TEST_P(FakeRuntime, OptionsAreTheConfiguredOnesWithTheJarsMerged) {
  app.writeFile("lib/one.jar", "");
  app.writeFile("lib/two.jar", "");
  const std::string jars = ";" + app.path("lib/one.jar") + ";" + app.path("lib/two.jar");
  app.writeConfiguration(
      configuration("Main", "-Xmx256m\r\n-Djava.class.path=app.jar\r\nvexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n"));
  LaunchResult configured = app.run();
  EXPECT_EQ(configured.exitCode, 0) << describe(configured);
  std::vector<std::string> options{"-Xmx256m", "-Djava.class.path=app.jar" + jars};
  for (const std::string& added : addedOptions("Main")) options.push_back(added);
  EXPECT_EQ(
      recorded("JNI_CreateJavaVM "),
      std::vector<std::string>{"version=0x00010002 ignoreUnrecognized=0 nOptions=" + std::to_string(options.size())});
  EXPECT_EQ(recorded("option "), options);

  std::remove(app.path("record.txt").c_str());
  app.writeConfiguration(configuration("Main", "-Xmx256m\r\nvexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n"));
  LaunchResult added = app.run();
  EXPECT_EQ(added.exitCode, 0) << describe(added);
  // The added class path starts with the first jar: no empty element, which the
  // runtime would read as the current directory.
  options = {"-Xmx256m", "-Djava.class.path=" + jars.substr(1)};
  for (const std::string& option : addedOptions("Main")) options.push_back(option);
  EXPECT_EQ(recorded("option "), options);
}

// Whatever leaves the class path empty, the runtime gets one: without it, or
// with an empty element, it would look in the current directory.
TEST_P(FakeRuntime, AClassPathIsAlwaysGivenAndHasNoEmptyElement) {
  app.writeFile("lib/a.jar", "");
  app.makeDirectory("empty");
  app.removeEnvironment("VEXIL_UNSET");
  const std::string jar = app.path("lib/a.jar");
  struct {
    const char* name;
    std::string lines;
    std::string classPath;
  } cases[] = {
      {"an empty jar directory", "vexil.classpath.jars.dir=${SELF_HOME}\\empty\r\n", noClassPath()},
      {"a missing jar directory", "vexil.classpath.jars.dir=${SELF_HOME}\\missing\r\n", noClassPath()},
      {"a jar directory named by an unset variable", "vexil.classpath.jars.dir=${env.VEXIL_UNSET}\r\n", noClassPath()},
      {"a class path ending in an unset variable", "-Djava.class.path=" + jar + ";${env.VEXIL_UNSET}\r\n",
       "-Djava.class.path=" + jar},
      {"separators around a jar directory's jars",
       "-Djava.class.path=;;\r\nvexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n", "-Djava.class.path=" + jar},
      {"only the main class and the runtime", "", noClassPath()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(app.path("record.txt").c_str());
    app.writeConfiguration(configuration("Main", c.lines));
    LaunchResult result = app.run();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    std::vector<std::string> classPaths;
    for (const std::string& option : recorded("option -Djava.class.path"))
      classPaths.push_back("-Djava.class.path" + option);
    EXPECT_EQ(classPaths, std::vector<std::string>{c.classPath});
  }
}

TEST_P(FakeRuntime, AnUnsetMainClassIsNamedAsTheCause) {
  app.writeConfiguration(configuration(""));
  EXPECT_TRUE(app.showsReport(
      app.run(), {"Cannot find main Java class ", "vexil.main.class is not set in the configuration file."}));
}

TEST_P(FakeRuntime, TheMainClassInSlashFormGetsTheArguments) {
  ASSERT_EQ(GetACP(), 1252u) << "the arguments below are Windows-1252 text";
  app.writeConfiguration(configuration("org.example.app.Main"));
  LaunchResult result = app.run({"one", "two words", "", "caf\xE9", "\x80 5"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_TRUE(result.boxes.empty()) << describe(result);
  // The windowed build's own split makes no argument of an empty pair of quotes.
  const bool console = GetParam() == Program::Console;
  // The code page's characters arrive in the runtime's modified UTF-8.
  std::vector<std::string> arguments = {"one", "two words", "caf\xC3\xA9", "\xE2\x82\xAC 5"};
  if (console) arguments.insert(arguments.begin() + 2, "");
  // Monitoring tools see the arguments as typed, in the runtime's code page (UTF-8).
  std::vector<std::string> options{noClassPath()};
  for (const std::string& added :
       addedOptions(console ? "org.example.app.Main one two words  caf\xC3\xA9 \xE2\x82\xAC 5"
                            : "org.example.app.Main one two words caf\xC3\xA9 \xE2\x82\xAC 5")) {
    options.push_back(added);
  }
  std::string expected =
      "JNI_CreateJavaVM version=0x00010002 ignoreUnrecognized=0 nOptions=" + std::to_string(options.size()) + "\n";
  for (const std::string& option : options) {
    expected += "option " + option + "\n";
    if (option.rfind("-Dsun.java.command=", 0) == 0) expected += "decoded in code page 65001: " + option + "\n";
  }
  expected +=
      "FindClass org/example/app/Main\n"
      "GetStaticMethodID org/example/app/Main main ([Ljava/lang/String;)V\n"
      "FindClass java/lang/String\n"
      "NewObjectArray " +
      std::to_string(arguments.size()) +
      " java/lang/String \"\"\n"
      "CallStaticVoidMethod org/example/app/Main with " +
      std::to_string(arguments.size()) + " arguments\n";
  for (size_t i = 0; i < arguments.size(); ++i) expected += "argument " + std::to_string(i) + "=" + arguments[i] + "\n";
  expected += "ExceptionOccurred\nDestroyJavaVM\n";
  EXPECT_EQ(record(), expected);
}

TEST_P(FakeRuntime, EachRefusalOfTheRuntimeIsReported) {
  const bool console = GetParam() == Program::Console;
  struct {
    const char* failure;
    std::string message;
    const char* described;  // what the runtime writes on the console's error stream
  } cases[] = {
      // The windowed program shows what the runtime says through its output hook.
      {"create",
       console ? "Cannot create Java VM."
               : "Cannot create Java VM.\nFake runtime: VEXIL_FAKE_JVM_FAIL=create refuses to be created",
       ""},
      {"class",
       "Cannot find main Java class org/example/app/Main\nfake.Failure\n"
       "Caused by: java.lang.ClassNotFoundException: fake.Dependency",
       // A class that does not load: the report alone says why.
       ""},
      {"main",
       "Cannot find main method in Java class\n"
       "Looked in org/example/app/Main for static main with signature ([Ljava/lang/String;)V",
       ""},
      {"array", "Error creating new object array to hold command line arguments.", ""},
  };
  app.writeConfiguration(configuration("org.example.app.Main"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failure);
    app.setEnvironment("VEXIL_FAKE_JVM_FAIL", c.failure);
    LaunchResult result = app.run({"x"});
    EXPECT_EQ(withLfLineEnds(result.err), c.described);
    result.err.clear();
    EXPECT_TRUE(app.showsReport(result, {c.message}));
  }
  // Nothing of main ever ran.
  EXPECT_EQ(recorded("CallStaticVoidMethod"), std::vector<std::string>{});
}

TEST_P(FakeRuntime, AnyThreadStackSizeGivesAStartOrTheRuntimesOwnReport) {
  // The fake, as a runtime, takes over 100 KiB of stack to start and refuses
  // a size below 136 KiB, saying so.
  const std::string tooSmall = "The Java thread stack size specified is too small. Specify at least 136k";
  struct {
    const char* option;
    bool refused;
  } cases[] = {
      {"-Xss1k", true}, {"-Xss16k", true}, {"-XX:ThreadStackSize=8", true}, {"-Xss136k", false},
      {"-Xss0", false}, {"-Xss1g", false}, {"-Xss99999999999", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    std::remove(app.path("record.txt").c_str());
    app.writeConfiguration(configuration("Main", std::string(c.option) + "\r\n"));
    LaunchResult result = app.run();
    if (!c.refused) {
      EXPECT_EQ(result.exitCode, 0) << describe(result);
      EXPECT_EQ(recorded("CallStaticVoidMethod "), std::vector<std::string>{"Main with 0 arguments"});
      continue;
    }
    if (GetParam() == Program::Console) {
      // The runtime writes on standard output, before the launcher's report.
      const std::string said = tooSmall + "\r\n";
      ASSERT_EQ(result.out.compare(0, said.size(), said), 0) << describe(result);
      result.out.erase(0, said.size());
      EXPECT_TRUE(app.showsReport(result, {"Cannot create Java VM."}));
    } else {
      EXPECT_TRUE(app.showsReport(result, {"Cannot create Java VM.\n" + tooSmall}));
    }
    EXPECT_EQ(recorded("CallStaticVoidMethod"), std::vector<std::string>{});
  }
}

TEST_P(FakeRuntime, AnExceptionFromMainIsDescribedAndExitsWithOne) {
  app.writeConfiguration(configuration("Main"));
  app.setEnvironment("VEXIL_FAKE_JVM_FAIL", "throw");
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_TRUE(result.boxes.empty()) << describe(result);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(withLfLineEnds(result.err), "Exception in thread \"main\" fake.Failure\n");
  EXPECT_EQ(recorded("Exception"), (std::vector<std::string>{"Occurred", "Describe"}));
  EXPECT_EQ(recorded("DestroyJavaVM").size(), 1u);
}

TEST_P(FakeRuntime, AJvmDllThatIsNoRuntimeLibraryFailsTheLaunch) {
  // A text file, and a library without the creation entry point.
  app.writeFile("text/bin/server/jvm.dll", "not a library");
  app.copyFile(VEXIL_E2E_FAKE_JVM_HELPER, "other/bin/server/jvm.dll");
  // The report names the file and what the system says about it.
  const std::string text = lowerCased(app.path("text/bin/server/jvm.dll"));
  const std::string other = lowerCased(app.path("other/bin/server/jvm.dll"));
  struct {
    const char* runtime;
    std::string cause;
  } cases[] = {
      {"text", "Cannot load " + text + ": "},
      {"other", other + " has no entry point JNI_CreateJavaVM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.runtime);
    app.writeConfiguration(
        "vexil.main.class=Main\r\nvexil.jvm.path=" + app.path(std::string(c.runtime) + "/bin/server/jvm.dll") + "\r\n");
    LaunchResult result = app.run();
    EXPECT_TRUE(app.showsReportWithCause(result, "Error while launching program with JVM.", c.cause));
    if (std::string(c.runtime) == "text") {
      // Error 193: a file that is no library for this machine.
      const std::string shown = withLfLineEnds(result.out) + (result.boxes.empty() ? "" : result.boxes[0].body);
      EXPECT_NE(shown.find("(error 193): the file is not a library for this launcher's machine (64-bit x86)"),
                std::string::npos)
          << describe(result);
    }
  }
}

TEST_P(FakeRuntime, ARuntimeNeedingALibraryOfItsBinFolderLoads) {
  app.copyFile(VEXIL_E2E_FAKE_JVM_NEEDING_HELPER, "rt/bin/server/jvm.dll");
  app.copyFile(VEXIL_E2E_FAKE_JVM_HELPER, "rt/bin/vexilhelper.dll");
  app.copyFile(VEXIL_E2E_FAKE_JVM_HELPER, "rt/bin/vexilprobe.dll");
  app.setEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY", "vexilprobe.dll");
  app.writeConfiguration(configuration("Main"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_TRUE(result.boxes.empty()) << describe(result);
  EXPECT_EQ(recorded("helper "), std::vector<std::string>{"42"});
  // The bin folder served that one load only: the process does not look there later.
  EXPECT_EQ(recorded("probe "), std::vector<std::string>{"vexilprobe.dll not found"});
  EXPECT_EQ(recorded("CallStaticVoidMethod ").size(), 1u);
}

TEST_P(FakeRuntime, TheDebugFileHoldsTwoCrLfLinesPerLaunch) {
  app.writeConfiguration(configuration("Main", "vexil.debug.file=debug.log\r\n-Xss1m\r\n"));
  for (int launch = 1; launch <= 2; ++launch) {
    LaunchResult result = app.run();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
  }
  std::string log = fileContents(app.path("debug.log"));
  size_t end = log.find("\r\n");
  ASSERT_NE(end, std::string::npos) << log;
  std::string jvmLine = log.substr(0, end);
  size_t end2 = log.find("\r\n", end + 2);
  ASSERT_NE(end2, std::string::npos) << log;
  std::string propertiesLine = log.substr(end + 2, end2 - end - 2);
  EXPECT_EQ(jvmLine.rfind("The chosen JVM: m_jvmPath=" + app.path("rt/bin/server/jvm.dll") + ",", 0), 0u) << jvmLine;
  EXPECT_EQ(propertiesLine.rfind("The properties chosen: m_nameOfExecutable=" + app.programPath() + ",", 0), 0u)
      << propertiesLine;
  EXPECT_NE(propertiesLine.find("-Xss1m"), std::string::npos) << propertiesLine;
  std::string pair = jvmLine + "\r\n" + propertiesLine + "\r\n";
  EXPECT_EQ(log, pair + pair);
}

TEST_P(FakeRuntime, AnUnwritableDebugFileIsShownInABoxAndTheLaunchGoesOn) {
  app.writeConfiguration(configuration("Main", "vexil.debug.file=${SELF_HOME}\\missing\\debug.log\r\n"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  ASSERT_EQ(result.boxes.size(), 2u) << describe(result);
  for (const MessageBoxSeen& box : result.boxes) {
    EXPECT_EQ(box.caption, app.programPath());
    EXPECT_EQ(box.body.rfind("Cannot write to the debug file " + app.path("missing/debug.log") + ": ", 0), 0u)
        << box.body;
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_TRUE(box.hasOnlyOkButton());
  }
  EXPECT_EQ(recorded("CallStaticVoidMethod ").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Launchers, FakeRuntime, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
