// The console launcher with the machine's real Java runtime, configured by
// real ".lap" files, running the Java test applications of tests/java.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

const std::string kClasses = VEXIL_E2E_JAVA_CLASSES;
const std::string kJars = VEXIL_E2E_JAVA_JARS;

/// A configuration that runs MAIN_CLASS from the compiled test classes on the
/// test runtime, followed by EXTRA lines.
std::string configuration(const std::string& mainClass, const std::string& extra = "") {
  return "vexil.main.class=" + mainClass + "\n" + "vexil.jvm.path=" + VEXIL_E2E_LIBJVM + "\n" +
         "-Djava.class.path=" + kClasses + "\n" + extra;
}

TEST(RealJvmTest, ArgumentsArriveInOrderAndUnchanged) {
  LaunchCase app;
  app.setEnvironment("LC_ALL", "C.UTF-8");
  app.writeConfiguration(configuration("ArgsEcho"));
  LaunchResult result = app.run({"one", "two words", "", "  padded  ", "caf\xC3\xA9", "\xE2\x82\xAC \xF0\x9F\x98\x80",
                                 "tab\there", "back\\slash \"quoted\"", "-Dnot=an option"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out,
            "count=9\n"
            "arg[0]=one\n"
            "arg[1]=two words\n"
            "arg[2]=\n"
            "arg[3]=  padded  \n"
            "arg[4]=caf\\u00e9\n"
            "arg[5]=\\u20ac \\ud83d\\ude00\n"
            "arg[6]=tab\\u0009here\n"
            "arg[7]=back\\u005cslash \"quoted\"\n"
            "arg[8]=-Dnot=an option\n")
      << describe(result);
  EXPECT_EQ(result.err, "");
}

TEST(RealJvmTest, NoArgumentsGiveAnEmptyArrayAndBrokenBytesAReplacement) {
  LaunchCase app;
  app.setEnvironment("LC_ALL", "C");
  app.writeConfiguration(configuration("ArgsEcho"));
  LaunchResult none = app.run();
  EXPECT_EQ(none.exitCode, 0) << describe(none);
  EXPECT_EQ(none.out, "count=0\n");
  // Even in the plain C locale, UTF-8 text arrives as typed; a byte that is not
  // UTF-8 becomes U+FFFD instead of corrupting the string.
  LaunchResult mixed = app.run({"\xC3\xA9t\xC3\xA9", "caf\xE9"});
  EXPECT_EQ(mixed.exitCode, 0) << describe(mixed);
  EXPECT_EQ(mixed.out, "count=2\narg[0]=\\u00e9t\\u00e9\narg[1]=caf\\ufffd\n");
}

TEST(RealJvmTest, SystemExitCodeIsTheProcessExitCode) {
  LaunchCase app;
  app.writeConfiguration(configuration("Exiter"));
  for (const char* code : {"0", "7", "1"}) {
    LaunchResult result = app.run({code});
    EXPECT_EQ(result.exitCode, std::stoi(code)) << describe(result);
    EXPECT_EQ(result.out, std::string("exiting with ") + code + "\n");
  }
}

TEST(RealJvmTest, AnExceptionEscapingMainIsDescribedAndExitsWithOne) {
  LaunchCase app;
  app.writeConfiguration(configuration("Thrower"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  // No launcher report: the runtime describes the exception as its own launcher would.
  EXPECT_EQ(result.out, "about to throw\n");
  EXPECT_EQ(result.err.rfind("Exception in thread \"main\" java.lang.IllegalStateException: thrown by main\n"
                             "\tat Thrower.main(Thrower.java:",
                             0),
            0u)
      << describe(result);
}

TEST(RealJvmTest, ANonDaemonThreadThatOutlivesMainIsWaitedFor) {
  LaunchCase app;
  app.writeConfiguration(configuration("Lingerer"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out, "main returning\nworker finished\n");
}

TEST(RealJvmTest, MainClassWithDotsIsFoundInSlashForm) {
  LaunchCase app;
  app.writeConfiguration(configuration("org.vexil.testapps.Packaged"));
  LaunchResult result = app.run({"a", "b"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out, "Packaged main ran with 2 arguments\n");
}

TEST(RealJvmTest, MissingClassAndMissingMainAreReported) {
  LaunchCase app;
  app.writeConfiguration(configuration("org.vexil.testapps.Missing"));
  // The runtime's reason follows on the next lines, and only there: nothing on standard error.
  LaunchResult missingClass = app.run();
  EXPECT_TRUE(
      app.showsReport(missingClass, {"Cannot find main Java class org/vexil/testapps/Missing\n"
                                     "java.lang.NoClassDefFoundError: org/vexil/testapps/Missing\n"
                                     "Caused by: java.lang.ClassNotFoundException: org.vexil.testapps.Missing"}));
  app.writeConfiguration(configuration("NoMain"));
  EXPECT_TRUE(app.showsReport(app.run(), {"Cannot find main method in Java class\n"
                                          "Looked in NoMain for static main with signature ([Ljava/lang/String;)V"}));
}

TEST(RealJvmTest, AnUnknownJvmOptionMeansNoJavaVm) {
  LaunchCase app;
  app.writeConfiguration(configuration("ArgsEcho", "-Xnot-an-option\n"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_EQ(result.out, consoleLine(reportText("Cannot create Java VM.")));
  // What the runtime says about the option is its own business; it names it.
  EXPECT_NE(result.err.find("-Xnot-an-option"), std::string::npos) << describe(result);
}

TEST(RealJvmTest, JarDirectoryAndConfiguredClassPathAreBothOnTheClassPath) {
  LaunchCase app;
  app.copyFile(kJars + "/marker.jar", "lib/marker.jar");
  app.writeFile("lib/not-a-jar.txt", "");
  app.writeConfiguration(configuration("ArgsEcho",
                                       "vexil.classpath.jars.dir=${SELF_HOME}/lib\n"
                                       "-Decho.properties=java.class.path\n"
                                       "-Decho.jarMarker=true\n"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out,
            "count=0\njava.class.path=" + kClasses + ":" + app.path("lib/marker.jar") + "\nJarMarker found\n")
      << describe(result);
}

TEST(RealJvmTest, LibraryDirectoriesMakeTheLibraryPath) {
  LaunchCase app;
  app.makeDirectory("native");
  app.writeConfiguration(configuration("ArgsEcho",
                                       "vexil.library.path.dir=${SELF_HOME}/native\n"
                                       "-Decho.properties=java.library.path\n"));
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  // The added option's value begins with the first directory: no empty first
  // entry, which would stand for the current directory.
  EXPECT_EQ(result.out, "count=0\njava.library.path=" + app.path("native") + "\n") << describe(result);
}

TEST(RealJvmTest, TheDebugFileGetsTwoLinesPerLaunch) {
  LaunchCase app;
  app.writeConfiguration(configuration("ArgsEcho", "vexil.debug.file=${SELF_HOME}/debug.log\n-Xmx64m\n"));
  const std::string log = app.path("debug.log");
  LaunchResult first = app.run({"x"});
  EXPECT_EQ(first.exitCode, 0) << describe(first);
  std::string afterFirst = fileContents(log);
  LaunchResult second = app.run({"x"});
  EXPECT_EQ(second.exitCode, 0) << describe(second);
  std::string afterSecond = fileContents(log);

  std::istringstream lines(afterFirst);
  std::string jvmLine, propertiesLine, extra;
  ASSERT_TRUE(std::getline(lines, jvmLine) && std::getline(lines, propertiesLine)) << afterFirst;
  EXPECT_FALSE(std::getline(lines, extra)) << afterFirst;
  EXPECT_EQ(jvmLine.rfind("The chosen JVM: ", 0), 0u) << jvmLine;
  EXPECT_NE(jvmLine.find(VEXIL_E2E_LIBJVM), std::string::npos) << jvmLine;
  EXPECT_EQ(propertiesLine.rfind("The properties chosen: ", 0), 0u) << propertiesLine;
  EXPECT_NE(propertiesLine.find("-Xmx64m"), std::string::npos) << propertiesLine;
  EXPECT_NE(propertiesLine.find("m_commandLineArguments[0]=x"), std::string::npos) << propertiesLine;
  // The second launch appends the same two lines; the first two stay as they were.
  EXPECT_EQ(afterSecond, afterFirst + afterFirst);
}

TEST(RealJvmTest, AnUnwritableDebugFileIsShownAndTheLaunchGoesOn) {
  LaunchCase app;
  app.writeConfiguration(configuration("ArgsEcho", "vexil.debug.file=${SELF_HOME}/missing/debug.log\n"));
  LaunchResult result = app.run({"still runs"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out, "count=1\narg[0]=still runs\n");
  const std::string warning =
      app.programPath() + ": Cannot write to the debug file " + app.path("missing/debug.log") + ": ";
  // One warning for each of the two lines.
  size_t first = result.err.find(warning);
  ASSERT_NE(first, std::string::npos) << describe(result);
  EXPECT_NE(result.err.find(warning, first + 1), std::string::npos) << describe(result);
}

}  // namespace
