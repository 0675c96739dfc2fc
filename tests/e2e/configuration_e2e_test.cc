// The configuration file read by the real programs: settings applied in their
// step, variables from the real environment, jar and library directories, and
// the JVM selection's failures reaching the user through each program.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

#ifdef _WIN32
const char kSep[] = "\\";
const char kList[] = ";";
const char kClientLibrary[] = "bin/client/jvm.dll";
const char kServerLibrary[] = "bin/server/jvm.dll";
const char kEol[] = "\r\n";
#else
const char kSep[] = "/";
const char kList[] = ":";
const char kClientLibrary[] = "lib/client/libjvm.so";
const char kServerLibrary[] = "lib/server/libjvm.so";
const char kEol[] = "\n";
#endif

/// TEXT with the "/" of a path written in a test turned into the system's separator.
std::string native(std::string text) {
  for (char& c : text) {
    if (c == '/') c = kSep[0];
  }
  return text;
}

/// The path of "vexil.jvm.path" as the launcher stores it: lower-cased on Windows.
std::string storedJvmPath(std::string path) {
#ifdef _WIN32
  for (char& c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
#endif
  return path;
}

/// LINES as a configuration file, "/" in them turned into the system's separator.
std::string lapFile(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += native(line) + kEol;
  return text;
}

/// In the dump line of the properties, the text after "NAME=" up to ",NEXT=".
std::string dumpField(const std::string& dump, const std::string& name, const std::string& next) {
  size_t start = dump.find("," + name + "=");
  size_t end = dump.find("," + next + "=");
  if (start == std::string::npos || end == std::string::npos || end < start) return "<not in " + dump + ">";
  start += name.size() + 2;
  return dump.substr(start, end - start);
}

class Configuration : public testing::TestWithParam<Program> {
 protected:
  Configuration() : app(GetParam()) {}

  /// The directory the program lies in, with a final separator.
  std::string home() const { return app.directory() + kSep; }

  LaunchCase app;
};

// Of two lines for the main class, the one with a variable is applied in the
// later step, whichever comes first in the file.
TEST_P(Configuration, MainClassOfTheLaterStepWins) {
#ifdef _WIN32
  app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
  const std::string jvm = "vexil.jvm.path=${SELF_HOME}/rt/bin/server/jvm.dll";
  app.setEnvironment("VEXIL_FAKE_JVM_FAIL", "class");
  app.removeEnvironment("VEXIL_FAKE_JVM_RECORD");
  const std::string cause = "fake.Failure";
#else
  const std::string jvm = std::string("vexil.jvm.path=") + VEXIL_E2E_LIBJVM;
  const std::string cause = "java.lang.NoClassDefFoundError: app/FromEnvironment";
#endif
  app.setEnvironment("VEXIL_E2E_MAIN", "app.FromEnvironment");
  for (const auto& lines : {std::vector<std::string>{"vexil.main.class=${env.VEXIL_E2E_MAIN}", "vexil.main.class=A"},
                            std::vector<std::string>{"vexil.main.class=A", "vexil.main.class=${env.VEXIL_E2E_MAIN}"}}) {
    SCOPED_TRACE(lines[0]);
    app.writeConfiguration(lapFile({lines[0], lines[1], jvm}));
    EXPECT_TRUE(app.showsReportWithCause(app.run(), "Cannot find main Java class app/FromEnvironment", cause));
  }
}

// The environment is the process's own, looked up without regard to case; an
// unset variable gives the empty text. The JVM path shows the result.
TEST_P(Configuration, EnvironmentVariablesComeFromTheProcess) {
  app.setEnvironment("VEXIL_E2E_DIR", "Some Dir");
  app.removeEnvironment("VEXIL_E2E_UNSET");
  app.writeConfiguration(lapFile({"vexil.jvm.path=${SELF_HOME}/${env.vexil_e2e_dir}/${env.VEXIL_E2E_UNSET}Jvm.Lib"}));
  EXPECT_TRUE(app.showsReport(
      app.run(), {"This JVM file could not be found: " + storedJvmPath(home() + "Some Dir" + kSep + "Jvm.Lib")}));
}

// Jar directories add their jar files (no sub-directory, whatever its name) in
// the order the lines are processed: settings without variables first. The
// debug file shows the texts; the JVM file is no library, so the run fails
// after writing it.
TEST_P(Configuration, JarAndLibraryDirectoriesInProcessingOrder) {
  for (const char* file :
       {"lib/b.jar", "lib/A.JAR", "lib/notes.txt", "lib/classes.jar/inner.jar", "ext/x.jar", "ext/y.Jar", "notajvm"}) {
    app.writeFile(file, "");
  }
  app.setEnvironment("VEXIL_E2E_EXT", app.path("ext") + kSep);
  app.writeConfiguration(lapFile({
      "vexil.classpath.jars.dir=${SELF_HOME}/lib",
      "vexil.classpath.jars.dir=" + app.path("ext"),
      "vexil.classpath.jars.dir=${env.VEXIL_E2E_EXT}",
      "vexil.classpath.jars.dir=${SELF_HOME}/missing",
      "vexil.library.path.dir=${SELF_HOME}/native",
      "vexil.library.path.dir=" + app.path("dll"),
      "vexil.jvm.path=${SELF_HOME}/notajvm",
      "vexil.debug.file=${SELF_HOME}/debug.log",
  }));
  EXPECT_TRUE(app.showsReportWithCause(app.run(), "Error while launching program with JVM.", "Cannot load "));

  std::string dump;
  std::istringstream log(fileContents(app.path("debug.log")));
  for (std::string line; std::getline(log, line);) {
    if (line.rfind("The properties chosen: ", 0) == 0) dump = line;
  }
  ASSERT_FALSE(dump.empty()) << fileContents(app.path("debug.log"));
  const std::string ext = kList + app.path("ext/x.jar") + kList + app.path("ext/y.Jar");
  EXPECT_EQ(dumpField(dump, "m_jarsInClasspath", "m_libraryPath"),
            ext + kList + app.path("lib/A.JAR") + kList + app.path("lib/b.jar") + ext);
  EXPECT_EQ(dumpField(dump, "m_libraryPath", "m_debugFile"), kList + app.path("dll") + kList + home() + "native");
}

// The selection's own messages, each through the program's channel.
TEST_P(Configuration, SelectionFailuresAreReported) {
  app.writeFile(std::string("clientonly/") + kClientLibrary, "");
  app.writeFile(std::string("serveronly/") + kServerLibrary, "");
  app.makeDirectory("empty");
  struct Case {
    std::vector<std::string> lines;
    std::string message;
  } cases[] = {
      {{"vexil.jvm.path=${SELF_HOME}/Missing/JVM.lib", "vexil.java.home.path=${SELF_HOME}/clientonly"},
       "This JVM file could not be found: " + storedJvmPath(home() + native("Missing/JVM.lib"))},
      {{"vexil.java.home.path=${SELF_HOME}/clientonly", "vexil.bin.jvm.dir=server"},
       "The server JVM could not be found for Java home: " + home() + "clientonly"},
      {{"vexil.java.home.path=${SELF_HOME}/serveronly", "vexil.bin.jvm.dir=Client"},
       "The client JVM could not be found for Java home: " + home() + "serveronly"},
      {{"vexil.java.home.path=${SELF_HOME}/empty"}, "A JVM could not be found for Java home: " + home() + "empty"},
      {{"vexil.java.home.path=${SELF_HOME}/empty", "vexil.bin.jvm.dir=prefer_server"},
       "A JVM could not be found for Java home: " + home() + "empty"},
      {{"vexil.java.home.path=" + app.path("empty"), "vexil.bin.jvm.dir=hotspot"},
       "A JVM could not be found for Java home: " + home() + "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    app.writeConfiguration(lapFile(c.lines));
    EXPECT_TRUE(app.showsReport(app.run(), {c.message}));
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, Configuration, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
