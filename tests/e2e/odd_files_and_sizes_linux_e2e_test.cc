// What a user can put where the console launcher expects a plain file or a
// plain size, with the machine's real Java runtime: a named pipe, a device or
// a huge file as the configuration or the debug file, any thread stack size.
// Each launch ends within seconds, in a report or a normal start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

const std::string kClasses = VEXIL_E2E_JAVA_CLASSES;
const std::string kJava25Home = VEXIL_E2E_JAVA25_HOME;

/// How many times NEEDLE occurs in TEXT.
size_t occurrences(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

TEST(OddFiles, AConfigurationThatIsNoPlainFileIsReportedWithWhy) {
  struct Case {
    const char* name;
    void (*make)(const LaunchCase& app);
    std::string reason;
  } cases[] = {
      {"a named pipe without a writer", [](const LaunchCase& app) { mkfifo(app.path("app.lap").c_str(), 0600); },
       "It is a named pipe (FIFO), not a file."},
      {"a link to /dev/zero", [](const LaunchCase& app) { symlink("/dev/zero", app.path("app.lap").c_str()); },
       "It is a device, not a file."},
      {"a link to a folder",
       [](const LaunchCase& app) {
         app.makeDirectory("folder");
         symlink(app.path("folder").c_str(), app.path("app.lap").c_str());
       },
       "It is a folder, not a file."},
      {"a link to nothing", [](const LaunchCase& app) { symlink("missing.lap", app.path("app.lap").c_str()); },
       "No such file or directory"},
      {"a file of 5 MiB",
       [](const LaunchCase& app) {
         app.writeConfiguration("vexil.main.class=ArgsEcho\n");
         truncate(app.path("app.lap").c_str(), 5 << 20);
       },
       "It is larger than 4 MiB, more than a configuration file can be."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchCase app;
    app.setTimeoutSeconds(20);
    c.make(app);
    EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + app.path("app.lap") + "\n" + c.reason}));
  }
}

TEST(OddFiles, ADebugFileThatCannotBeWrittenIsShownAndTheLaunchGoesOn) {
  struct Case {
    const char* name;
    std::string path;    // below the case directory when relative
    const char* reason;  // empty: the lines are written
  } cases[] = {
      {"a named pipe that nothing reads", "fifo", "No such device or address"},
      {"a named pipe that someone has open but does not read", "read-fifo", ""},
      {"a full disk", "/dev/full", "No space left on device"},
      {"a folder", "folder", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchCase app;
    app.setTimeoutSeconds(60);
    app.makeDirectory("folder");
    ASSERT_EQ(mkfifo(app.path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(app.path("read-fifo").c_str(), 0600), 0);
    // Open for reading, never read until the launch is over.
    int reader = open(app.path("read-fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const std::string path = c.path[0] == '/' ? c.path : app.path(c.path);
    app.writeConfiguration("vexil.main.class=ArgsEcho\nvexil.jvm.path=" VEXIL_E2E_LIBJVM "\n-Djava.class.path=" +
                           kClasses + "\nvexil.debug.file=" + path + "\n");
    LaunchResult result = app.run({"still runs"});
    char buffer[65536];
    ssize_t count = read(reader, buffer, sizeof buffer);
    const std::string piped = count > 0 ? std::string(buffer, static_cast<size_t>(count)) : std::string();
    close(reader);
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, "count=1\narg[0]=still runs\n") << describe(result);
    const std::string warning = app.programPath() + ": Cannot write to the debug file " + path + ": " + c.reason + "\n";
    if (*c.reason) {
      // One warning for each of the two lines, and nothing else.
      EXPECT_EQ(result.err, warning + warning) << describe(result);
    } else {
      EXPECT_EQ(result.err, "") << describe(result);
      EXPECT_EQ(piped.rfind("The chosen JVM: ", 0), 0u) << piped;
      EXPECT_EQ(occurrences(piped, "\n"), 2u) << piped;
    }
  }
}

TEST(OddSizes, AnyThreadStackSizeGivesAStartOrTheRuntimesOwnReport) {
  // The runtime's own words, on its own streams, as java shows them.
  const std::string tooSmall = "\nThe Java thread stack size specified is too small. Specify at least 136k\n";
  struct Case {
    const char* option;
    bool starts;
    std::string out;  // before the report
    std::string err;
  } cases[] = {
      {"-Xss1k", false, tooSmall, ""},
      {"-Xss16k", false, tooSmall, ""},
      {"-XX:ThreadStackSize=8", false, tooSmall, ""},
      {"-Xss135k", false, tooSmall, ""},
      {"-Xss136k", true, "", ""},
      {"-Xss0", true, "", ""},
      {"-Xss1g", true, "", ""},
      {"-Xss99999999999", false, "",
       "Invalid thread stack size: -Xss99999999999\nThe specified size exceeds the maximum representable size.\n"},
      {"-XX:ThreadStackSize=99999999999", false, "",
       "intx ThreadStackSize=99999999999 is outside the allowed range [ 0 ... 1048576 ]\n"
       "Improperly specified VM option 'ThreadStackSize=99999999999'\n"},
  };
  std::vector<std::string> libraries{VEXIL_E2E_LIBJVM};
  if (access((kJava25Home + "/lib/server/libjvm.so").c_str(), R_OK) == 0) {
    libraries.push_back(kJava25Home + "/lib/server/libjvm.so");
  } else {
    std::printf("Only Java 17: no Java 25 runtime at %s\n", kJava25Home.c_str());
  }
  for (const std::string& library : libraries) {
    for (const Case& c : cases) {
      SCOPED_TRACE(library + " " + c.option);
      LaunchCase app;
      app.setTimeoutSeconds(60);
      app.writeConfiguration("vexil.main.class=ArgsEcho\nvexil.jvm.path=" + library +
                             "\n-Djava.class.path=" + kClasses + "\n" + c.option + "\n");
      LaunchResult result = app.run({"x"});
      EXPECT_EQ(result.exitCode, c.starts ? 0 : 1) << describe(result);
      EXPECT_EQ(result.out,
                c.starts ? "count=1\narg[0]=x\n" : c.out + consoleLine(reportText("Cannot create Java VM.")))
          << describe(result);
      EXPECT_EQ(result.err, c.err) << describe(result);
    }
  }
}

}  // namespace
