// The class-data cache (vexil.startup.cache=auto) with the machine's real
// runtimes: whatever state the cache is in, the application starts as it
// would without it, with nothing more on its output; the debug file tells
// what the launcher did.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
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

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The error reports a crashed runtime leaves in the folder it ran in.
std::vector<std::string> crashReports(const std::string& folder) {
  std::vector<std::string> reports;
  for (const std::string& file : filesIn(folder)) {
    if (file.find("/hs_err") != std::string::npos) reports.push_back(file);
  }
  return reports;
}

// Overwrites COUNT bytes of the file PATH at OFFSET, in place: size and name unchanged.
void overwrite(const std::string& path, off_t offset, size_t count) {
  const int file = open(path.c_str(), O_WRONLY);
  ASSERT_GE(file, 0) << path;
  const std::string junk(count, '\x5a');
  EXPECT_EQ(pwrite(file, junk.data(), count, offset), static_cast<ssize_t>(count));
  close(file);
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

  // Returns once the maker of CACHE has ended (and stamped it).
  static void awaitMaker(const std::string& cache, const Runtime& runtime) {
    const std::string lock = cache.substr(0, cache.size() - std::string(runtime.archiveSuffix).size()) + ".lock";
    const int file = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return;
    flock(file, LOCK_SH);
    close(file);
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
  awaitMaker(cache, runtime);
  EXPECT_EQ(cache.find(app.directory() + "/app."), std::string::npos) << "never beside the program";
  log = runNormally(app);
  EXPECT_NE(log.find("Class-data cache: using " + cache), std::string::npos) << log;
  // The runtime took the application's class from the cache, not from its jar.
  EXPECT_NE(fileContents(app.path("classes.log")).find("ArgsEcho source: shared objects file"), std::string::npos);
  const std::string stem = cache.substr(0, cache.size() - std::string(runtime.archiveSuffix).size());
  // Nothing half-made outlives the work that made it.
  for (const std::string& file : filesIn(folder)) EXPECT_FALSE(endsWith(file, ".part")) << file;

  struct State {
    const char* what;
    std::function<void()> arrange;
    const char* logged;  // in the debug file
  };
  int heldLock = -1;
  const std::vector<State> states = {
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
         heldLock = open((stem + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
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

// The archive damaged in each way a disk, a user or another program damages a
// file: every launch starts normally, the damaged archive is never mapped
// (the runtime would crash), and a new one takes its place.
TEST_P(StartupCacheTest, ADamagedArchiveNeverCostsALaunch) {
  const Runtime& runtime = GetParam();
  const Runtime& other = runtime.home == kTestRuntime.home ? kTemurin25 : kTestRuntime;
  LaunchCase app;
  const std::string folder = app.path("cache") + "/app";
  std::string foreign;  // another runtime's archive of the same application
  if (installed(other)) {
    configure(app, other, app.path("cache"));
    runNormally(app);
    const std::string made = awaitCache(folder, other.archiveSuffix);
    ASSERT_FALSE(made.empty());
    foreign = fileContents(made);
  }
  configure(app, runtime, app.path("cache"));
  runNormally(app);
  std::string cache = awaitCache(folder, runtime.archiveSuffix);
  ASSERT_FALSE(cache.empty());
  awaitMaker(cache, runtime);

  struct Damage {
    std::string what;
    std::function<void(const std::string& archive)> apply;
  };
  std::vector<Damage> damages;
  const off_t size = static_cast<off_t>(fileContents(cache).size());
  for (off_t offset : {off_t{0}, off_t{4096}, size / 3, size / 2, size * 2 / 3, size - 8}) {
    damages.push_back({"8 bytes overwritten in place at " + std::to_string(offset),
                       [offset](const std::string& archive) { overwrite(archive, offset, 8); }});
  }
  damages.push_back(
      {"truncated", [size](const std::string& archive) { ASSERT_EQ(truncate(archive.c_str(), size / 2), 0); }});
  damages.push_back({"zero-length", [](const std::string& archive) { ASSERT_EQ(truncate(archive.c_str(), 0), 0); }});
  if (!foreign.empty()) {
    damages.push_back({"another runtime's archive", [&](const std::string& archive) {
                         const int file = open(archive.c_str(), O_WRONLY | O_TRUNC);
                         ASSERT_GE(file, 0);
                         EXPECT_EQ(write(file, foreign.data(), foreign.size()), static_cast<ssize_t>(foreign.size()));
                         close(file);
                       }});
  } else {
    std::printf("[ SKIPPED  ] another runtime's archive: no runtime at %s\n", other.home.c_str());
  }
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    // The runtime makes its archives read-only; a user's tool writes anyway.
    chmod(cache.c_str(), 0600);
    damage.apply(cache);
    // The second launch may already use the new archive, made under the same name.
    const std::string log = runNormally(app);
    EXPECT_NE(log.find("dropped " + cache), std::string::npos) << log;
    EXPECT_EQ(log.find("using " + cache), std::string::npos) << "the damaged archive was used\n" << log;
    runNormally(app);
    EXPECT_EQ(crashReports(app.directory()), std::vector<std::string>());
    // The new archive is whole, and used.
    cache = awaitCache(folder, runtime.archiveSuffix);
    ASSERT_FALSE(cache.empty());
    awaitMaker(cache, runtime);
    EXPECT_NE(runNormally(app).find("using " + cache), std::string::npos);
  }
}

// A launch that used the archive and died of a signal: the next launch does
// not use that archive.
TEST_P(StartupCacheTest, AnArchiveInUseWhenALaunchDiedIsNotUsedAgain) {
  LaunchCase app;
  configure(app, GetParam(), app.path("cache"));
  std::string configuration = fileContents(app.path("app.lap"));
  configuration.replace(configuration.find("ArgsEcho"), 8, "ExitOnRequest");
  app.writeConfiguration(configuration);
  // It prints "ready" and waits; SIGTERM ends it in order (the runtime runs
  // its shutdown and exits), SIGKILL kills it.
  const auto runUntil = [&app](const std::string& signal) {
    std::remove(app.path("debug.log").c_str());
    return app.runWrapped({"/bin/sh", "-c", "\"$0\" \"$@\" & sleep 8; kill -s " + signal + " $!; wait $!"});
  };
  LaunchResult making = runUntil("TERM");
  EXPECT_EQ(making.out.substr(0, 6), "ready\n") << describe(making);
  const std::string cache = awaitCache(app.path("cache") + "/app", GetParam().archiveSuffix);
  ASSERT_FALSE(cache.empty()) << fileContents(app.path("debug.log"));
  awaitMaker(cache, GetParam());
  LaunchResult killed = runUntil("KILL");
  EXPECT_EQ(killed.exitCode, 128 + 9) << describe(killed);  // as the shell reports a child killed by SIGKILL
  EXPECT_NE(fileContents(app.path("debug.log")).find("using " + cache), std::string::npos);
  LaunchResult next = runUntil("TERM");
  EXPECT_EQ(next.out.substr(0, 6), "ready\n") << describe(next);
  EXPECT_NE(fileContents(app.path("debug.log")).find("dropped " + cache + ": a launch that used it ended"),
            std::string::npos)
      << fileContents(app.path("debug.log"));
}

// Under umask 000 nothing of the cache may be written by others; with a
// native agent among the options the runtime cannot archive, and no launch
// tries.
TEST_P(StartupCacheTest, CacheFilesAreTheUsersAloneAndAnAgentIsNeverTriedWith) {
  LaunchCase app;
  const std::string folder = app.path("cache") + "/app";
  configure(app, GetParam(), app.path("cache"));
  const std::vector<std::string> openUmask = {"/bin/sh", "-c", "umask 000 && exec \"$0\" \"$@\""};
  LaunchResult result = app.runWrapped(openUmask, {"x"});
  EXPECT_EQ(result.out, "count=1\narg[0]=x\n") << describe(result);
  const std::string cache = awaitCache(folder, GetParam().archiveSuffix);
  ASSERT_FALSE(cache.empty());
  awaitMaker(cache, GetParam());
  result = app.runWrapped(openUmask, {"x"});
  EXPECT_EQ(result.out, "count=1\narg[0]=x\n") << describe(result);
  struct stat info;
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << info.st_mode;
  for (const std::string& file : filesIn(folder)) {
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 022, 0u) << file << " " << std::oct << info.st_mode;
  }

  std::string configuration = fileContents(app.path("app.lap"));
  app.writeConfiguration(configuration + "-agentlib:jdwp=transport=dt_socket,server=y,suspend=n,address=127.0.0.1:0\n");
  for (int launch = 0; launch < 2; ++launch) {
    std::remove(app.path("debug.log").c_str());
    result = app.run({"x"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    // The agent announces its port first.
    EXPECT_TRUE(endsWith(result.out, "count=1\narg[0]=x\n")) << describe(result);
    const std::string log = fileContents(app.path("debug.log"));
    EXPECT_NE(log.find("not used: the runtime cannot archive classes with a native agent"), std::string::npos) << log;
    EXPECT_EQ(log.find("listing"), std::string::npos) << log;
  }
}

// An application whose classes all lie in the runtime image (the JDK's own
// compiler, with an empty class path) gets a cache, and its classes come
// from it.
TEST_P(StartupCacheTest, AnApplicationInTheRuntimeImageHasACache) {
  LaunchCase app;
  app.writeConfiguration("vexil.main.class=com.sun.tools.javac.Main\nvexil.java.home.path=" + GetParam().home +
                         "\nvexil.startup.cache=auto\nvexil.debug.file=" + app.path("debug.log") +
                         "\n-Djava.class.path=\n-Xlog:class+load=info:file=" + app.path("classes.log") + "\n");
  app.setEnvironment("XDG_CACHE_HOME", app.path("cache"));
  LaunchResult first = app.run({"-version"});
  EXPECT_EQ(first.exitCode, 0) << describe(first);
  const std::string version = first.out + first.err;
  EXPECT_EQ(version.substr(0, 6), "javac ") << describe(first);
  const std::string cache = awaitCache(app.path("cache") + "/app", GetParam().archiveSuffix);
  ASSERT_FALSE(cache.empty()) << fileContents(app.path("debug.log"));
  awaitMaker(cache, GetParam());
  LaunchResult warm = app.run({"-version"});
  EXPECT_EQ(warm.out + warm.err, version) << describe(warm);
  EXPECT_NE(fileContents(app.path("debug.log")).find("using " + cache), std::string::npos);
  EXPECT_NE(fileContents(app.path("classes.log")).find("com.sun.tools.javac.Main source: shared objects file"),
            std::string::npos);
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
  // Its maker holds the key's lock until the archive's stamp is written; a
  // launch that finds it held leaves the files alone, not stale yet.
  awaitMaker(otherCache, other);

  // The same application now chooses this runtime: a cache of its own, and
  // the other runtime's goes as stale.
  configure(app, runtime, app.path("cache"));
  std::string log = runNormally(app);
  EXPECT_NE(log.find(runtime.makingWords), std::string::npos) << log;
  EXPECT_NE(log.find("removed the stale"), std::string::npos) << log;
  const std::string cache = awaitCache(folder, runtime.archiveSuffix);
  ASSERT_FALSE(cache.empty());
  awaitMaker(cache, runtime);
  EXPECT_NE(cache, otherCache);
  log = runNormally(app);
  EXPECT_NE(log.find("using " + cache), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Runtimes, StartupCacheTest, ::testing::Values(kTestRuntime, kTemurin25),
                         [](const ::testing::TestParamInfo<Runtime>& info) { return std::string(info.param.name); });

}  // namespace
