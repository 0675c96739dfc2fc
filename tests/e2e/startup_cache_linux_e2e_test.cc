// The class-data cache (vexil.startup.cache=auto) with the machine's real
// runtimes: whatever state the cache is in, the application starts as it
// would without it, with nothing more on its output; the debug file tells
// what the launcher did.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

const std::string kAppsJar = VEXIL_E2E_JAVA_APPS_JAR;

// The home above lib/server/libjvm.so.
std::string homeOf(const std::string& libjvm) { return libjvm.substr(0, libjvm.rfind("/lib/server/")); }

struct Runtime {
  const char* name;
  std::string home;
  const char* archiveSuffix;  // of the finished cache file
  const char* makingWords;    // in the debug file on the run that makes it
};

const Runtime kTestRuntime{"test_runtime", homeOf(VEXIL_E2E_LIBJVM), ".jsa", "listing this run's classes"};
// Not every machine has it; its test is then skipped and says so.
const Runtime kTemurin25{"temurin_25", "/usr/lib/jvm/temurin-25-jdk-amd64", ".aot", "listing this run's classes"};

bool installed(const Runtime& runtime) { return access((runtime.home + "/lib/server/libjvm.so").c_str(), R_OK) == 0; }

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.push_back(folder + "/" + entry->d_name);
    }
    closedir(dir);
  }
  return names;
}

std::string withSuffix(const std::vector<std::string>& files, const std::string& suffix) {
  for (const std::string& file : files) {
    if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
      return file;
  }
  return std::string();
}

class StartupCacheTest : public ::testing::TestWithParam<Runtime> {
 protected:
  void SetUp() override {
    if (!installed(GetParam())) GTEST_SKIP() << "no runtime at " << GetParam().home << ": this test needs it";
  }

  void configure(LaunchCase& app, const Runtime& runtime, const std::string& cacheHome) const {
    app.writeConfiguration("vexil.main.class=ArgsEcho\nvexil.java.home.path=" + runtime.home +
                           "\nvexil.startup.cache=auto\nvexil.debug.file=" + app.path("debug.log") +
                           "\n-Djava.class.path=" + kAppsJar +
                           "\n-Xlog:class+load=info:file=" + app.path("classes.log") + "\n");
    app.setEnvironment("XDG_CACHE_HOME", cacheHome);
  }

  // Runs APP and checks that it started as without a cache; returns what the
  // launcher wrote to the debug file in that run.
  static std::string runNormally(const LaunchCase& app) {
    std::remove(app.path("debug.log").c_str());
    LaunchResult result = app.run({"x"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, "count=1\narg[0]=x\n") << describe(result);
    EXPECT_EQ(result.err, "") << describe(result);
    return fileContents(app.path("debug.log"));
  }

  // The finished cache file in FOLDER, once the work a run left has ended.
  static std::string awaitCache(const std::string& folder, const std::string& suffix) {
    for (int i = 0; i < 600; ++i) {
      std::string file = withSuffix(filesIn(folder), suffix);
      if (!file.empty()) return file;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::string();
  }
};

TEST_P(StartupCacheTest, EveryStateOfTheCacheGivesANormalStart) {
  const Runtime& runtime = GetParam();
  LaunchCase app;
  const std::string cacheHome = app.path("cache");
  const std::string folder = cacheHome + "/app";
  configure(app, runtime, cacheHome);

  // First run: it makes the cache; then a run that uses it.
  std::string log = runNormally(app);
  EXPECT_NE(log.find(runtime.makingWords), std::string::npos) << log;
  const std::string cache = awaitCache(folder, runtime.archiveSuffix);
  ASSERT_FALSE(cache.empty()) << "no cache made in " << folder << "\n" << log;
  EXPECT_EQ(cache.find(app.directory() + "/app."), std::string::npos) << "never beside the program";
  log = runNormally(app);
  EXPECT_NE(log.find("Class-data cache: using " + cache), std::string::npos) << log;
  // The runtime took the application's class from the cache, not from its jar.
  EXPECT_NE(fileContents(app.path("classes.log")).find("ArgsEcho source: shared objects file"), std::string::npos);
  const std::string archive = fileContents(cache);

  struct State {
    const char* what;
    std::function<void()> arrange;
    const char* logged;  // in the debug file
  };
  const std::string stem = cache.substr(0, cache.size() - std::string(runtime.archiveSuffix).size());
  int heldLock = -1;
  const std::vector<State> states = {
      {"a corrupt cache file",
       [&] { app.writeFile(cache.substr(app.directory().size() + 1), archive.substr(0, 4096)); }, "using"},
      {"a file the runtime cannot read as class data",
       [&] {
         // A class-data file the runtime cannot take: this test's own jar.
         app.writeFile(cache.substr(app.directory().size() + 1), fileContents(kAppsJar));
       },
       "using"},
      {"a half-written file of a launch that died",
       [&] {
         std::remove(cache.c_str());
         app.writeFile((stem + runtime.archiveSuffix + ".part").substr(app.directory().size() + 1), "half");
         app.writeFile((stem + ".classlist.part").substr(app.directory().size() + 1), "half");
       },
       runtime.makingWords},
      {"another launch making the cache",
       [&] {
         awaitCache(folder, runtime.archiveSuffix);
         std::remove(cache.c_str());
         heldLock = open((stem + ".lock").c_str(), O_RDWR | O_CREAT, 0644);
         ASSERT_GE(heldLock, 0);
         // Waits for the work of the run before, which keeps the lock a moment after the file is there.
         ASSERT_EQ(flock(heldLock, LOCK_EX), 0);
       },
       "another launch is making"},
      {"a cache folder that cannot be made",
       [&] {
         app.writeFile("not-a-folder", "");
         app.setEnvironment("XDG_CACHE_HOME", app.path("not-a-folder"));
       },
       "cannot be made"},
  };
  for (const State& state : states) {
    SCOPED_TRACE(state.what);
    state.arrange();
    log = runNormally(app);
    EXPECT_NE(log.find(state.logged), std::string::npos) << log;
  }
  if (heldLock >= 0) close(heldLock);
}

TEST_P(StartupCacheTest, TheCacheIsMadeWhenTheApplicationEndsTheProcessItself) {
  LaunchCase app;
  configure(app, GetParam(), app.path("cache"));
  std::string configuration = fileContents(app.path("app.lap"));
  configuration.replace(configuration.find("ArgsEcho"), 8, "Exiter");
  app.writeConfiguration(configuration);
  // System.exit ends the process inside the runtime; its exit code stays.
  LaunchResult result = app.run({"7"});
  EXPECT_EQ(result.exitCode, 7) << describe(result);
  EXPECT_EQ(result.out, "exiting with 7\n");
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(awaitCache(app.path("cache") + "/app", GetParam().archiveSuffix).empty());
}

TEST_P(StartupCacheTest, ACacheOfAnotherRuntimeIsLeftAloneAndReplaced) {
  const Runtime& runtime = GetParam();
  const Runtime& other = runtime.home == kTestRuntime.home ? kTemurin25 : kTestRuntime;
  if (!installed(other)) GTEST_SKIP() << "no runtime at " << other.home << ": this test needs two";
  LaunchCase app;
  const std::string folder = app.path("cache") + "/app";
  configure(app, other, app.path("cache"));
  runNormally(app);
  const std::string otherCache = awaitCache(folder, other.archiveSuffix);
  ASSERT_FALSE(otherCache.empty());

  // The same application now chooses this runtime: a cache of its own, and
  // the other runtime's goes as stale.
  configure(app, runtime, app.path("cache"));
  std::string log = runNormally(app);
  EXPECT_NE(log.find(runtime.makingWords), std::string::npos) << log;
  EXPECT_NE(log.find("removed the stale"), std::string::npos) << log;
  const std::string cache = awaitCache(folder, runtime.archiveSuffix);
  ASSERT_FALSE(cache.empty());
  EXPECT_NE(cache, otherCache);
  log = runNormally(app);
  EXPECT_NE(log.find("using " + cache), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheTest, ::testing::Values(kTestRuntime, kTemurin25),
                         [](const ::testing::TestParamInfo<Runtime>& info) { return std::string(info.param.name); });

}  // namespace
