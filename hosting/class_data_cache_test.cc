#include "hosting/class_data_cache.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/platform.h"
#include "tests/support/fake_platform.h"

namespace {

bool exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

void write(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

// A runtime home, a jar and a cache folder in a temporary tree; the real file
// system, the environment faked to point the cache there.
class ClassDataCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-cache-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    runtime("jdk");
    write(m_root + "/app.jar", "jar");
    m_environment.set("XDG_CACHE_HOME", m_root + "/cache");
    m_platform = Platform{&linuxConventions(), hostPlatform().fileSystem, &m_environment, nullptr};
    m_request.setting = "auto";
    m_request.executablePath = m_root + "/app/bin/tool";
    m_request.mainClass = "app.Main";
    m_request.javaHome = m_root + "/jdk";
    m_request.jvmLibraryPath = m_root + "/jdk/lib/server/libjvm.so";
    m_request.runtimeVersion = "17.0.9";
    m_request.options = {"-Xmx64m", "-Djava.class.path=" + m_root + "/app.jar", "-Dapp.name=tool"};
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + m_root + "'").c_str()), 0); }

  void runtime(const std::string& name) {
    const std::string home = m_root + "/" + name;
    ASSERT_EQ(system(("mkdir -p '" + home + "/bin' '" + home + "/lib/server'").c_str()), 0);
    write(home + "/lib/server/libjvm.so", "library");
  }

  ClassDataCachePlan plan() {
    m_log.clear();
    return planClassDataCache(m_request, m_platform, [this](const std::string& line) { m_log += line + "\n"; });
  }

  // The value of the option that begins with PREFIX, or "" when there is none.
  static std::string value(const ClassDataCachePlan& plan, const std::string& prefix) {
    for (const std::string& option : plan.jvmOptions) {
      if (option.compare(0, prefix.size(), prefix) == 0) return option.substr(prefix.size());
    }
    return std::string();
  }

  std::string cacheFolder() const { return m_root + "/cache/tool"; }

  std::string m_root;
  FakeEnvironment m_environment;
  Platform m_platform{};
  ClassDataCacheRequest m_request;
  std::string m_log;
};

TEST_F(ClassDataCacheTest, EachRuntimeMakesItsBestKind) {
  struct Case {
    std::string version;
    bool hasJavaProgram;
    std::vector<std::string> expectedOptionPrefixes;  // empty: no cache
  };
  const std::vector<Case> cases = {
      {"1.8.0_292", true, {}},
      {"11.0.2", true, {}},
      {"", true, {}},
      {"13", false, {"-Xlog:cds*=off", "-XX:ArchiveClassesAtExit="}},
      {"17.0.9", false, {"-Xlog:cds*=off", "-XX:ArchiveClassesAtExit="}},
      {"17.0.9", true, {"-Xlog:cds*=off", "-XX:DumpLoadedClassList="}},
      {"21.0.1", false, {"-Xlog:cds*=off", "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile="}},
      {"21.0.1", true, {"-Xlog:cds*=off", "-XX:DumpLoadedClassList="}},
      {"25", false, {"-Xlog:aot*=off,cds*=off", "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile="}},
      {"25.0.1", true, {"-Xlog:aot*=off,cds*=off", "-XX:DumpLoadedClassList="}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    m_request.runtimeVersion = c.version;
    const std::string javaProgram = m_request.javaHome + "/bin/java";
    if (c.hasJavaProgram) write(javaProgram, "");
    if (!c.hasJavaProgram) unlink(javaProgram.c_str());
    ClassDataCachePlan made = plan();
    ASSERT_EQ(made.jvmOptions.size(), c.expectedOptionPrefixes.size()) << m_log;
    for (size_t i = 0; i < made.jvmOptions.size(); ++i) {
      EXPECT_EQ(made.jvmOptions[i].compare(0, c.expectedOptionPrefixes[i].size(), c.expectedOptionPrefixes[i]), 0)
          << made.jvmOptions[i];
    }
    // The file the runtime writes lies in the user's cache folder, under a name
    // that only a finished archive loses.
    if (!made.jvmOptions.empty()) {
      const std::string& last = made.jvmOptions.back();
      EXPECT_NE(last.find("=" + cacheFolder() + "/"), std::string::npos) << last;
      EXPECT_EQ(last.substr(last.size() - 5), ".part") << last;
      ASSERT_TRUE(made.afterRun);
      made.afterRun();  // nothing was written: nothing installed
      EXPECT_NE(m_log.find("no"), std::string::npos) << m_log;
    } else {
      EXPECT_FALSE(made.afterRun);
    }
  }
  // A runtime chosen by its library alone: its home is found above the library.
  write(m_request.javaHome + "/bin/java", "");
  m_request.runtimeVersion = "17.0.9";
  m_request.javaHome.clear();
  ClassDataCachePlan fromLibrary = plan();
  EXPECT_FALSE(value(fromLibrary, "-XX:DumpLoadedClassList=").empty()) << m_log;
  fromLibrary.afterRun();  // left pending, it would run at exit, after this test
  // Without the setting nothing is made, not even the folder.
  for (const char* setting : {"", "off", "Auto"}) {
    m_request.setting = setting;
    EXPECT_TRUE(plan().jvmOptions.empty()) << setting;
  }
}

TEST_F(ClassDataCacheTest, AnArchiveIsUsedOnceWholeAndReplacedWhenItsKeyChanges) {
  ClassDataCachePlan first = plan();
  const std::string made = value(first, "-XX:ArchiveClassesAtExit=");
  ASSERT_FALSE(made.empty()) << m_log;
  // A second launch while the first one runs goes without.
  ClassDataCachePlan meanwhile = plan();
  EXPECT_TRUE(meanwhile.jvmOptions.empty());
  EXPECT_NE(m_log.find("another launch is making"), std::string::npos) << m_log;

  write(made, "archive");  // as the runtime does at its exit
  first.afterRun();
  first.afterRun();  // once only
  const std::string installed = made.substr(0, made.size() - 5);
  ASSERT_TRUE(exists(installed)) << m_log;
  EXPECT_FALSE(exists(made));

  ClassDataCachePlan warm = plan();
  EXPECT_EQ(value(warm, "-XX:SharedArchiveFile="), installed) << m_log;
  EXPECT_FALSE(warm.afterRun);
  // The same options in another order of unkeyed properties keep the key.
  m_request.options.push_back("-Dother=1");
  EXPECT_EQ(value(plan(), "-XX:SharedArchiveFile="), installed);

  // Each change that the runtime would see makes a new key; the old file goes.
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const std::vector<Change> changes = {
      {"jar rewritten", [&] { write(m_root + "/app.jar", "a longer jar"); }},
      {"keyed option", [&] { m_request.options.push_back("-Xshare:auto-like-but-not"); }},
      {"other runtime",
       [&] {
         runtime("jdk2");
         m_request.javaHome = m_root + "/jdk2";
         m_request.jvmLibraryPath = m_root + "/jdk2/lib/server/libjvm.so";
       }},
      {"runtime updated in place", [&] { write(m_request.jvmLibraryPath, "a newer library"); }},
  };
  std::string previous = installed;
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    change.apply();
    if (std::string(change.what) == "keyed option") {
      // An option that manages class data itself keeps the cache out.
      EXPECT_TRUE(plan().jvmOptions.empty());
      EXPECT_NE(m_log.find("manages class data itself"), std::string::npos) << m_log;
      m_request.options.back() = "-XX:+UseSerialGC";
    }
    ClassDataCachePlan again = plan();
    const std::string next = value(again, "-XX:ArchiveClassesAtExit=");
    ASSERT_FALSE(next.empty()) << m_log;
    EXPECT_NE(next.substr(0, next.size() - 5), previous);
    EXPECT_FALSE(exists(previous)) << "stale " << previous;
    write(next, "archive");
    again.afterRun();
    previous = next.substr(0, next.size() - 5);
    ASSERT_TRUE(exists(previous));
  }
}

TEST_F(ClassDataCacheTest, WhateverStandsInTheWayLeavesTheLaunchAsWithout) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char* logged;
  };
  const std::vector<Case> cases = {
      {"a folder on the class path",
       [&] { m_request.options[1] = "-Djava.class.path=" + m_root + "/app.jar:" + m_root + "/jdk"; },
       "holds the folder"},
      {"no class path", [&] { m_request.options.erase(m_request.options.begin() + 1); }, "no class path"},
      {"the user's own archive", [&] { m_request.options.push_back("-XX:SharedArchiveFile=/x.jsa"); },
       "manages class data"},
      {"a cache folder that cannot be made",
       [&] {
         write(m_root + "/file", "");
         m_environment = FakeEnvironment();
         m_environment.set("XDG_CACHE_HOME", m_root + "/file");
       },
       "cannot be made"},
      {"an archive the runtime could not write",
       [&] {
         ClassDataCachePlan first = plan();
         const std::string made = value(first, "-XX:ArchiveClassesAtExit=");
         first.afterRun();
         ASSERT_EQ(mkdir(made.c_str(), 0755), 0) << made;  // in its way
       },
       "cannot write"},
      {"no home and no cache folder",
       [&] {
         m_environment = FakeEnvironment();
         m_environment.set("XDG_CACHE_HOME", "relative/cache");
       },
       "no cache folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ClassDataCacheRequest saved = m_request;
    c.arrange();
    ClassDataCachePlan nothing = plan();
    EXPECT_TRUE(nothing.jvmOptions.empty());
    EXPECT_FALSE(nothing.afterRun);
    EXPECT_NE(m_log.find(c.logged), std::string::npos) << m_log;
    m_request = saved;
    m_environment = FakeEnvironment();
    m_environment.set("XDG_CACHE_HOME", m_root + "/cache");
  }
}

TEST_F(ClassDataCacheTest, AHalfWrittenArchiveIsNeverUsed) {
  // A launch that dies while its runtime writes the archive: a child process
  // plans, writes half a file and ends without its exit handlers; the system
  // releases its lock.
  const std::string named = m_root + "/made";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string made = value(plan(), "-XX:ArchiveClassesAtExit=");
    write(made, "half");
    write(named, made);
    _exit(made.empty() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::string made;
  std::ifstream(named) >> made;
  ASSERT_TRUE(exists(made));

  ClassDataCachePlan next = plan();
  EXPECT_EQ(value(next, "-XX:ArchiveClassesAtExit="), made) << m_log;
  EXPECT_FALSE(exists(made)) << "the next maker starts afresh";
  EXPECT_TRUE(value(next, "-XX:SharedArchiveFile=").empty());
  ASSERT_TRUE(next.afterRun);
  next.afterRun();
  EXPECT_FALSE(exists(made.substr(0, made.size() - 5)));
}

TEST_F(ClassDataCacheTest, TheListedClassesAreArchivedInTheBackground) {
  const std::string javaProgram = m_request.javaHome + "/bin/java";
  std::string stem;
  for (int exitCode : {1, 0}) {
    SCOPED_TRACE(exitCode);
    // A stand-in for bin/java: writes its arguments into the file named by
    // -XX:SharedArchiveFile= and ends with the given code.
    write(javaProgram,
          "#!/bin/sh\nfor a; do case $a in -XX:SharedArchiveFile=*) out=${a#-XX:SharedArchiveFile=};; esac; done\n"
          "echo \"$@\" > \"$out\"\nexit " +
              std::to_string(exitCode) + "\n");
    chmod(javaProgram.c_str(), 0755);
    m_request.runtimeVersion = exitCode == 0 ? "25.0.1" : "21.0.1";
    ClassDataCachePlan first = plan();
    const std::string list = value(first, "-XX:DumpLoadedClassList=");
    ASSERT_FALSE(list.empty()) << m_log;
    write(list, "java/lang/Object id: 0\n");
    first.afterRun();
    EXPECT_NE(m_log.find("making"), std::string::npos) << m_log;
    stem = list.substr(0, list.size() - std::string(".classlist.part").size());
    // The lock is held until the background work ends.
    for (int i = 0; i < 500 && !FileLock::tryExclusive(stem + ".lock").held(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(exists(stem + (exitCode == 0 ? ".aot" : ".jsa")), exitCode == 0);
  }
  // Made from the list with the runtime's options and class path, its classes
  // linked ahead of time, and read as an AOT cache.
  std::string arguments;
  std::getline(std::ifstream(stem + ".aot"), arguments);
  EXPECT_EQ(arguments, "-Xshare:dump -XX:SharedClassListFile=" + stem + ".classlist.part -XX:SharedArchiveFile=" +
                           stem + ".aot.part -XX:+AOTClassLinking -Xmx64m -cp " + m_root + "/app.jar");
  EXPECT_EQ(value(plan(), "-XX:AOTCache="), stem + ".aot") << m_log;
  EXPECT_FALSE(exists(stem + ".classlist.part")) << "the list goes once the cache is made";
}

}  // namespace
