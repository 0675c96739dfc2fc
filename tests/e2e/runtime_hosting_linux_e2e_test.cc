// How the console launcher hosts the machine's real Java runtime where users
// notice: nothing is loaded from the current directory, a failure names its
// cause, main runs on a thread sized by -Xss, today's main methods run on a
// runtime that allows them, and monitoring tools know the application.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

const std::string kClasses = VEXIL_E2E_JAVA_CLASSES;
const std::string kJars = VEXIL_E2E_JAVA_JARS;
const std::string kExtra = VEXIL_E2E_JAVA_EXTRA;
const std::string kJavaHome = VEXIL_E2E_JAVA_HOME;
const std::string kJava25Home = VEXIL_E2E_JAVA25_HOME;

std::string configuration(const std::string& mainClass, const std::string& extra = "",
                          const std::string& libjvm = VEXIL_E2E_LIBJVM) {
  return "vexil.main.class=" + mainClass + "\nvexil.jvm.path=" + libjvm + "\n-Djava.class.path=" + kClasses + "\n" +
         extra;
}

/// The first line of TEXT and the rest.
std::pair<std::string, std::string> splitFirstLine(const std::string& text) {
  size_t end = text.find('\n');
  if (end == std::string::npos) return {text, ""};
  return {text.substr(0, end), text.substr(end + 1)};
}

/// Standard output of COMMAND, run by the shell.
std::string outputOf(const std::string& command) {
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return output;
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, count);
  return output;
}

bool haveJava25() { return access((kJava25Home + "/lib/server/libjvm.so").c_str(), R_OK) == 0; }

TEST(RuntimeHosting, AClassPlantedInTheCurrentDirectoryIsNotRun) {
  LaunchCase app;
  app.copyFile(kJars + "/greeter.jar", "lib/greeter.jar");
  app.writeConfiguration("vexil.main.class=com.example.greeter.Greeter\nvexil.jvm.path=" VEXIL_E2E_LIBJVM
                         "\nvexil.classpath.jars.dir=${SELF_HOME}/lib\n");
  app.copyFile(kExtra + "/planted/com/example/greeter/Greeter.class", "cwd/com/example/greeter/Greeter.class");
  app.setWorkingDirectory("cwd");
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out.find("planted Greeter ran"), std::string::npos) << describe(result);
  // The class path is the jar alone: no empty element that stands for the current directory.
  EXPECT_NE(result.out.find("\nClass path: " + app.path("lib/greeter.jar") + "\n"), std::string::npos)
      << describe(result);
}

// The runtime of LIBRARY reads a missing class path, an empty one and every
// empty element of one as the current directory: none of these puts it there.
void checkNoClassPathShapeReachesTheCurrentDirectoryOn(const std::string& library) {
  const std::string runtime = "vexil.main.class=com.example.greeter.Greeter\nvexil.jvm.path=" + library + "\n";
  const std::string marker = kJars + "/marker.jar";
  struct Case {
    const char* name;
    std::string configuration;
  } cases[] = {
      {"an empty jar directory", runtime + "vexil.classpath.jars.dir=${SELF_HOME}/empty\n"},
      {"a missing jar directory", runtime + "vexil.classpath.jars.dir=${SELF_HOME}/missing\n"},
      {"a jar directory named by an unset variable", runtime + "vexil.classpath.jars.dir=${env.VEXIL_UNSET}\n"},
      {"a class path ending in an unset variable", runtime + "-Djava.class.path=" + marker + ":${env.VEXIL_UNSET}\n"},
      {"a class path of an unset variable before a jar",
       runtime + "-Djava.class.path=${env.VEXIL_UNSET}:" + marker + "\n"},
      {"only the main class and the runtime", runtime},
      {"a class path of separators only", runtime + "-Djava.class.path=:::\n"},
      {"an empty class path", runtime + "-Djava.class.path=\n"},
      {"the bare class path property", runtime + "-Djava.class.path\n"},
      {"another property that begins like the class path", runtime + "-Djava.class.pathX=.\n"},
  };
  LaunchCase app;
  app.makeDirectory("empty");
  app.removeEnvironment("VEXIL_UNSET");
  app.copyFile(kExtra + "/planted/com/example/greeter/Greeter.class", "cwd/com/example/greeter/Greeter.class");
  app.setWorkingDirectory("cwd");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.writeConfiguration(c.configuration);
    LaunchResult result = app.run();
    EXPECT_TRUE(app.showsReportWithCause(result, "Cannot find main Java class com/example/greeter/Greeter",
                                         "java.lang.NoClassDefFoundError: com/example/greeter/Greeter"));
    EXPECT_EQ(result.err, "") << describe(result);
  }
  // Named in the configuration, the current directory counts: the planted
  // class is there to be found.
  app.writeConfiguration(runtime + "-Djava.class.path=" + marker + ":${env.VEXIL_UNSET}:.\n");
  LaunchResult named = app.run();
  EXPECT_EQ(named.exitCode, 0) << describe(named);
  EXPECT_EQ(named.out, "planted Greeter ran\n") << describe(named);
}

TEST(RuntimeHosting, NoClassPathShapeReachesTheCurrentDirectory) {
  std::vector<std::string> libraries{VEXIL_E2E_LIBJVM};
  if (haveJava25()) libraries.push_back(kJava25Home + "/lib/server/libjvm.so");
  for (const std::string& library : libraries) {
    SCOPED_TRACE(library);
    checkNoClassPathShapeReachesTheCurrentDirectoryOn(library);
  }
}

/// What `java` writes on its error stream for the class MAIN_CLASS on the class path CLASS_PATH.
std::string javaErrorStream(const std::string& classPath, const std::string& mainClass) {
  return outputOf("'" + kJavaHome + "/bin/java' -cp '" + classPath + "' " + mainClass + " 2>&1 >/dev/null");
}

// A class that does not load is the report's alone; an exception of the
// application's own code while its class initialises gets the stack trace that
// `java` prints.
TEST(RuntimeHosting, TheCauseOfAMainClassFailureIsShownOnce) {
  struct Case {
    const char* mainClass;
    std::string classPath;
    std::string causeStart;
    bool traceAsJava;
  } cases[] = {
      {"Missing", kClasses,
       "java.lang.NoClassDefFoundError: Missing\nCaused by: java.lang.ClassNotFoundException: Missing", false},
      {"NeedsGone", kExtra + "/broken", "java.lang.NoClassDefFoundError: Gone", false},
      {"NewerClass", kClasses, "java.lang.UnsupportedClassVersionError: NewerClass", false},
      {"BadInit", kClasses,
       "java.lang.ExceptionInInitializerError\nCaused by: java.lang.IllegalStateException: static initialiser failed",
       true},
      // An error of the initialiser reaches the caller as it is, unwrapped.
      {"InitError", kClasses, "java.lang.AssertionError: initialiser gave up", true},
  };
  LaunchCase app;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mainClass);
    app.writeConfiguration("vexil.main.class=" + std::string(c.mainClass) +
                           "\nvexil.jvm.path=" VEXIL_E2E_LIBJVM "\n-Djava.class.path=" + c.classPath + "\n");
    LaunchResult result = app.run();
    EXPECT_TRUE(
        app.showsReportWithCause(result, "Cannot find main Java class " + std::string(c.mainClass), c.causeStart));
    if (c.traceAsJava) {
      const std::string expected = javaErrorStream(c.classPath, c.mainClass);
      EXPECT_NE(expected.find("\tat "), std::string::npos) << expected;
      EXPECT_EQ(result.err, expected) << describe(result);
    } else {
      EXPECT_EQ(result.err, "") << describe(result);
    }
  }
}

TEST(RuntimeHosting, AnUnsetMainClassIsNamedAsTheCause) {
  LaunchCase app;
  for (const std::string& setting : {std::string(), std::string("vexil.main.class=  \n")}) {
    SCOPED_TRACE(setting);
    app.writeConfiguration(setting + "vexil.jvm.path=" VEXIL_E2E_LIBJVM "\n");
    EXPECT_TRUE(app.showsReport(
        app.run(), {"Cannot find main Java class ", "vexil.main.class is not set in the configuration file."}));
  }
}

TEST(RuntimeHosting, ALibraryPlantedInTheCurrentDirectoryIsNotLoaded) {
  LaunchCase app;
  app.writeConfiguration(configuration("LibraryLoader", "vexil.library.path.dir=${SELF_HOME}/native\n"));
  app.makeDirectory("native");
  app.copyFile(VEXIL_E2E_PLANTED_LIBRARY, "cwd/libvexilplanted.so");
  app.setWorkingDirectory("cwd");
  LaunchResult planted = app.run({"vexilplanted"});
  EXPECT_EQ(planted.exitCode, 0) << describe(planted);
  EXPECT_EQ(planted.out, "not loaded vexilplanted\n") << describe(planted);
  // The same library in the configured directory is found: the test can tell.
  app.copyFile(VEXIL_E2E_PLANTED_LIBRARY, "native/libvexilplanted.so");
  LaunchResult configured = app.run({"vexilplanted"});
  EXPECT_EQ(configured.out, "loaded vexilplanted\n") << describe(configured);
}

// An empty library path, or an empty element of one, is the current
// directory to the runtime as well.
TEST(RuntimeHosting, NoLibraryPathShapeReachesTheCurrentDirectory) {
  LaunchCase app;
  app.removeEnvironment("VEXIL_UNSET");
  app.copyFile(VEXIL_E2E_PLANTED_LIBRARY, "cwd/libvexilplanted.so");
  app.setWorkingDirectory("cwd");
  for (const std::string& lines :
       {std::string("-Djava.library.path=${env.VEXIL_UNSET}\n"), std::string("-Djava.library.path=/nonexistent:\n"),
        std::string("-Djava.library.path=::\n"), std::string("vexil.library.path.dir=\n"),
        std::string("vexil.library.path.dir=${env.VEXIL_UNSET}\n")}) {
    SCOPED_TRACE(lines);
    app.writeConfiguration(configuration("LibraryLoader", lines));
    LaunchResult result = app.run({"vexilplanted"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, "not loaded vexilplanted\n") << describe(result);
  }
}

TEST(RuntimeHosting, EachReportNamesItsCause) {
  LaunchCase app;
  app.writeFile("libjvm.so", "not a library");
  struct Case {
    const char* name;
    std::string configuration;
    std::string firstLine;  // after the heading
    std::string causeStart;
    std::string errContains;  // the runtime's own description, when there is one
  } cases[] = {
      {"no main method", configuration("NoMain"), "Cannot find main method in Java class",
       "Looked in NoMain for static main with signature ([Ljava/lang/String;)V", ""},
      {"runtime library that is no library", configuration("ArgsEcho", "", "${SELF_HOME}/libjvm.so"),
       "Error while launching program with JVM.", "Cannot load " + app.path("libjvm.so") + ": ", ""},
      {"library without the entry point", configuration("ArgsEcho", "", VEXIL_E2E_PLANTED_LIBRARY),
       "Error while launching program with JVM.",
       std::string(VEXIL_E2E_PLANTED_LIBRARY) + " has no entry point JNI_CreateJavaVM", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.writeConfiguration(c.configuration);
    LaunchResult result = app.run();
    EXPECT_EQ(result.exitCode, 1) << describe(result);
    auto [first, rest] = splitFirstLine(result.out);
    EXPECT_EQ(first, reportText(c.firstLine)) << describe(result);
    EXPECT_EQ(rest.rfind(c.causeStart, 0), 0u) << describe(result);
    EXPECT_EQ(rest.back(), '\n') << describe(result);
    if (c.errContains.empty()) {
      EXPECT_EQ(result.err, "") << describe(result);
    } else {
      EXPECT_NE(result.err.find(c.errContains), std::string::npos) << describe(result);
    }
  }
}

/// The recursion depth that Depth reaches, from its output; 0 when it printed none.
long depthIn(const std::string& output) {
  size_t at = output.find("depth=");
  return at == std::string::npos ? 0 : std::stol(output.substr(at + 6));
}

TEST(RuntimeHosting, MainRunsOnAThreadSizedLikeTheJdkLaunchersMainThread) {
  // The JDK's launcher sizes its main thread by -Xss only (measured:
  // -XX:ThreadStackSize=4096 leaves its depth at the default); here the other
  // spelling of the same size counts too.
  struct Case {
    const char* option;
    const char* javaOption;
  } cases[] = {{"-Xss64m", "-Xss64m"}, {"-XX:ThreadStackSize=65536", "-Xss64m"}, {"", ""}};
  // Interpreted only: with the compilers the depth depends on when they step
  // in (2.6 or 4.1 million frames with 64 MiB, from run to run).
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option[0] ? c.option : "the runtime's default");
    LaunchCase app;
    app.writeConfiguration(configuration("Depth", std::string(c.option) + "\n-Xint\n"));
    LaunchResult result = app.run();
    long launcher = depthIn(result.out);
    long java = depthIn(outputOf(kJavaHome + "/bin/java -Xint " + c.javaOption + " -cp " + kClasses + " Depth"));
    ASSERT_GT(java, 0);
    EXPECT_GT(launcher, java * 9 / 10) << "java reached " << java << "; " << describe(result);
    EXPECT_LT(launcher, java * 11 / 10) << "java reached " << java << "; " << describe(result);
  }
}

TEST(RuntimeHosting, TodaysMainMethodsRunOnJava25AndAreRefusedOnOlderRuntimes) {
  struct Case {
    const char* name;
    std::string mainClass;
    bool java25;
    std::vector<std::string> arguments;
    std::string out;  // empty: refused with the report below
    std::string cause;
  } cases[] = {
      {"instance main() on 17",
       "InstanceMain",
       false,
       {},
       "",
       "Looked in InstanceMain for static main with signature ([Ljava/lang/String;)V"},
      {"instance main() on 25", "InstanceMain", true, {}, "instance main ran\n", ""},
      {"main(String[]) before static main() on 25",
       "MainChoice",
       true,
       {"a", "b"},
       "instance main(String[]) ran with 2 arguments\n",
       ""},
      {"private constructor on 25",
       "PrivateConstructor",
       true,
       {},
       "",
       "Found an instance main in PrivateConstructor, but no constructor without arguments that is not private to "
       "make the instance"},
      {"classic main on 25", "ArgsEcho", true, {"x"}, "count=1\narg[0]=x\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.java25 && !haveJava25()) {
      std::printf("Skipped \"%s\": no Java 25 runtime at %s\n", c.name, kJava25Home.c_str());
      continue;
    }
    LaunchCase app;
    app.writeConfiguration(
        configuration(c.mainClass, "", c.java25 ? kJava25Home + "/lib/server/libjvm.so" : VEXIL_E2E_LIBJVM));
    LaunchResult result = app.run(c.arguments);
    if (!c.out.empty()) {
      EXPECT_EQ(result.exitCode, 0) << describe(result);
      EXPECT_EQ(result.out, c.out) << describe(result);
    } else {
      EXPECT_TRUE(app.showsReport(result, {"Cannot find main method in Java class\n" + c.cause}));
    }
  }
  if (!haveJava25()) GTEST_SKIP() << "No Java 25 runtime at " << kJava25Home << ": only the Java 17 case ran";
}

TEST(RuntimeHosting, MonitoringToolsKnowTheApplication) {
  LaunchCase app;
  app.writeConfiguration(configuration("JpsSelf"));
  LaunchResult listed = app.run({kJavaHome + "/bin/jps"});
  EXPECT_EQ(listed.out, "jps lists this process as: JpsSelf\n") << describe(listed);

  app.writeConfiguration(configuration("ArgsEcho", "-Decho.properties=sun.java.command,sun.java.launcher\n"));
  LaunchResult added = app.run({"one", "two"});
  EXPECT_EQ(added.out,
            "count=2\narg[0]=one\narg[1]=two\nsun.java.command=ArgsEcho one two\n"
            "sun.java.launcher=SUN_STANDARD\n")
      << describe(added);
  // Configured values stay as they are.
  app.writeConfiguration(configuration("ArgsEcho",
                                       "-Decho.properties=sun.java.command,sun.java.launcher\n"
                                       "-Dsun.java.command=Configured\n-Dsun.java.launcher=mine\n"));
  LaunchResult configured = app.run();
  EXPECT_EQ(configured.out, "count=0\nsun.java.command=Configured\nsun.java.launcher=mine\n") << describe(configured);
}

}  // namespace
