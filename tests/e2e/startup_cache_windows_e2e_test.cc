// The class-data cache of the console launcher under Wine, with a fake
// runtime: its jvm.dll lists two classes when asked to, and its bin\java.exe
// stands in for the archiving step (tests/fake_jvm). The user's cache folder
// has a name the Western code page cannot hold and a space, so the paths go
// through the wide functions and the quoting of the archiving command line.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

using Lines = std::vector<std::string>;

/// The lines of TEXT that begin with PREFIX, without it.
Lines linesStartingWith(const std::string& text, const std::string& prefix) {
  Lines lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

bool exists(const std::string& path) { return std::ifstream(path).is_open(); }

TEST(StartupCacheOnWindows, TheFirstRunMakesTheCacheTheNextUsesItAChangedJarGetsANewOne) {
  LaunchCase app(Program::Console);
  app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
  app.copyFile(VEXIL_E2E_FAKE_JAVA, "rt/bin/java.exe");
  app.writeFile("rt/release", "JAVA_VERSION=\"17.0.2\"\n");
  app.writeFile("app.jar", "first");
  app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
  app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  app.setEnvironment("LOCALAPPDATA", app.path("Local 日本語"));
  app.writeConfiguration(
      "vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\nvexil.startup.cache=auto\r\n"
      "-Djava.class.path=${SELF_HOME}\\app.jar\r\n");
  const std::string folder = app.path("Local 日本語") + "\\app\\";
  const std::string jar = app.path("app.jar");

  // What a run gave the runtime ahead of the class path, and the archiving
  // step it ran; the record starts empty each time.
  struct Run {
    LaunchResult result;
    Lines leadingOptions;
    Lines archiving;
  };
  const auto run = [&] {
    std::remove(app.path("record.txt").c_str());
    Run run{app.run(), {}, {}};
    const std::string record = fileContents(app.path("record.txt"));
    for (const std::string& option : linesStartingWith(record, "option ")) {
      if (option.rfind("-Djava.class.path=", 0) == 0) break;
      run.leadingOptions.push_back(option);
    }
    run.archiving = linesStartingWith(record, "java.exe ");
    return run;
  };

  // First run: the archive is in place when the run ends, with its stamp.
  app.removeEnvironment("VEXIL_FAKE_JAVA_EXIT");
  const Run made = run();
  EXPECT_EQ(made.result.exitCode, 0) << describe(made.result);
  EXPECT_EQ(made.result.out, "");
  ASSERT_EQ(made.leadingOptions.size(), 2u);
  EXPECT_EQ(made.leadingOptions[0], "-Xlog:cds*=off");
  const std::string listPrefix = "-XX:DumpLoadedClassList=";
  const std::string listOption = listPrefix + folder;
  const std::string suffix = ".classlist.part";
  const std::string& listing = made.leadingOptions[1];
  ASSERT_EQ(listing.compare(0, listOption.size(), listOption), 0) << listing;
  ASSERT_GT(listing.size(), listOption.size() + suffix.size());
  const std::string stem = listing.substr(listPrefix.size(), listing.size() - suffix.size() - listPrefix.size());
  const Lines archiving{"-Xshare:dump -XX:SharedClassListFile=" + stem + suffix + " -XX:SharedArchiveFile=" + stem +
                        ".jsa.part -cp " + jar};
  EXPECT_EQ(made.archiving, archiving);
  EXPECT_EQ(fileContents(stem + ".jsa"), "fake archive");
  EXPECT_TRUE(exists(stem + ".stamp"));
  EXPECT_FALSE(exists(stem + ".jsa.part"));
  EXPECT_FALSE(exists(stem + suffix));

  // The next run uses it and archives nothing.
  const Run warm = run();
  EXPECT_EQ(warm.result.exitCode, 0) << describe(warm.result);
  EXPECT_EQ(warm.leadingOptions, (Lines{"-Xlog:cds*=off", "-XX:SharedArchiveFile=" + stem + ".jsa"}));
  EXPECT_EQ(warm.archiving, Lines{});

  // Changed after it was made (same size, other bytes): not used, made again.
  app.writeFile(stem.substr(app.directory().size() + 1) + ".jsa", "fake ARCHIVE");
  const Run damaged = run();
  EXPECT_EQ(damaged.result.exitCode, 0) << describe(damaged.result);
  EXPECT_EQ(damaged.leadingOptions, made.leadingOptions);
  EXPECT_EQ(fileContents(stem + ".jsa"), "fake archive");

  // A changed jar is another key: a new list is made, the old archive goes.
  // Its archiving fails: a normal start, and no later run tries again.
  app.writeFile("app.jar", "second, longer");
  app.setEnvironment("VEXIL_FAKE_JAVA_EXIT", "1");
  const Run changed = run();
  EXPECT_EQ(changed.result.exitCode, 0) << describe(changed.result);
  ASSERT_EQ(changed.leadingOptions.size(), 2u);
  EXPECT_EQ(changed.leadingOptions[1].compare(0, listOption.size(), listOption), 0) << changed.leadingOptions[1];
  EXPECT_NE(changed.leadingOptions[1], listing);
  EXPECT_EQ(changed.archiving.size(), 1u);
  EXPECT_FALSE(exists(stem + ".jsa"));
  const Run notAgain = run();
  EXPECT_EQ(notAgain.result.exitCode, 0) << describe(notAgain.result);
  EXPECT_EQ(notAgain.leadingOptions, Lines{});
  EXPECT_EQ(notAgain.archiving, Lines{});
}

}  // namespace
