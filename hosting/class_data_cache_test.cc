#include "hosting/class_data_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_lock.h"
#include "platform/platform.h"
#include "tests/support/fake_platform.h"
#include "text/ascii_text.h"

namespace {

// A runtime home, a jar and a cache folder in a file system in memory, with
// the locks, the clock and the processes of the fakes: a launch that dies is
// one whose locks the fake lets go of.
class ClassDataCacheTest : public ::testing::Test {
 protected:
  ClassDataCacheTest() : m_fake(linuxConventions()) {}

  void SetUp() override {
    runtime("jdk");
    write(m_root + "/app.jar", "jar");
    m_fake.cacheFolder.set(m_root + "/cache");
    m_request.setting = "auto";
    m_request.executablePath = m_root + "/app/bin/tool";
    m_request.mainClass = "app.Main";
    m_request.javaHome = m_root + "/jdk";
    m_request.jvmLibraryPath = m_root + "/jdk/lib/server/libjvm.so";
    m_request.runtimeVersion = "17.0.9";
    m_request.options = {"-Xmx64m", "-Djava.class.path=" + m_root + "/app.jar", "-Dapp.name=tool"};
  }

  FakeFileSystem& files() { return m_fake.fileSystem; }
  bool exists(const std::string& path) { return files().stamp(path).exists; }
  // As another program writes a file.
  void write(const std::string& path, const std::string& contents) { files().addFile(path, contents); }

  void runtime(const std::string& name) {
    const std::string home = m_root + "/" + name;
    files().addDirectory(home + "/bin");
    write(home + "/lib/server/libjvm.so", "library");
  }

  ClassDataCachePlan plan() {
    m_log.clear();
    return planClassDataCache(m_request, m_fake.platform, [this](const std::string& line) { m_log += line + "\n"; });
  }

  // The value of the option that begins with PREFIX, or "" when there is none.
  static std::string value(const ClassDataCachePlan& plan, const std::string& prefix) {
    for (const std::string& option : plan.jvmOptions) {
      if (option.compare(0, prefix.size(), prefix) == 0) return option.substr(prefix.size());
    }
    return std::string();
  }

  std::string cacheFolder() const { return m_root + "/cache/tool"; }

  // Makes the archive of the current request as a run of a runtime without
  // bin/java does; returns its path.
  std::string makeArchive(const std::string& contents) {
    ClassDataCachePlan first = plan();
    std::string made = value(first, "-XX:ArchiveClassesAtExit=");
    if (made.empty()) return made;
    write(made, contents);
    first.afterRun();
    return made.substr(0, made.size() - 5);
  }

  const std::string m_root = "/home/user/work";
  FakePlatform m_fake;
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
    if (!c.hasJavaProgram) files().removeFile(javaProgram);
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

// Without a version from discovery, the home's release file names it: the
// runtime's own line, not a line that merely ends like it.
TEST_F(ClassDataCacheTest, AVersionNotGivenIsReadFromTheHomesReleaseFile) {
  struct Case {
    std::string release;
    bool cached;
  };
  const std::vector<Case> cases = {
      {"JAVA_VERSION=\"17.0.9\"\n", true},
      {"IMPLEMENTOR_JAVA_VERSION=\"1.5\"\nJAVA_VERSION=\"17.0.9\"\n", true},
      {"JAVA_VERSION=\"11.0.2\"\n", false},
      {"IMPLEMENTOR=\"x\"\n", false},
  };
  m_request.runtimeVersion.clear();
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].release);
    // A home of its own for each case: a cache of its own.
    const std::string name = "jdk" + std::to_string(i);
    runtime(name);
    m_request.javaHome = m_root + "/" + name;
    m_request.jvmLibraryPath = m_request.javaHome + "/lib/server/libjvm.so";
    write(m_request.javaHome + "/release", cases[i].release);
    ClassDataCachePlan made = plan();
    EXPECT_EQ(!made.jvmOptions.empty(), cases[i].cached) << m_log;
    if (made.afterRun) made.afterRun();  // lets go of the key
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
  // Until the runtime has ended, the launch's mark says that the archive is in use.
  ASSERT_TRUE(warm.afterRun);
  warm.afterRun();
  // The same options in another order of unkeyed properties keep the key.
  m_request.options.push_back("-Dother=1");
  ClassDataCachePlan reordered = plan();
  EXPECT_EQ(value(reordered, "-XX:SharedArchiveFile="), installed);
  reordered.afterRun();

  // Each change that the runtime would see makes a new key; the old file goes.
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const std::vector<Change> changes = {
      {"jar rewritten", [&] { write(m_root + "/app.jar", "a longer jar"); }},
      {"jar replaced by one of the same size and time",
       [&] {
         const FileStamp before = files().stamp(m_root + "/app.jar");
         write(m_root + "/new.jar", "a longer jaR");
         files().setModified(m_root + "/new.jar", before.modified);
         ASSERT_TRUE(files().replaceFile(m_root + "/new.jar", m_root + "/app.jar"));
       }},
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
      {"an empty element, the current folder",
       [&] { m_request.options[1] = "-Djava.class.path=" + m_root + "/app.jar:"; }, "empty element"},
      {"a native agent, with which the runtime cannot archive",
       [&] { m_request.options.push_back("-agentlib:jdwp=transport=dt_socket,server=y,suspend=n"); }, "native agent"},
      {"the user's own archive", [&] { m_request.options.push_back("-XX:SharedArchiveFile=/x.jsa"); },
       "manages class data"},
      {"a cache folder that cannot be made",
       [&] {
         write(m_root + "/file", "");
         m_fake.cacheFolder.set(m_root + "/file");
       },
       "cannot be made"},
      {"an archive the runtime could not write",
       [&] {
         ClassDataCachePlan first = plan();
         const std::string made = value(first, "-XX:ArchiveClassesAtExit=");
         first.afterRun();
         // Not the failed try it counts as (nothing was written), but a folder in its way.
         const std::string failed = made.substr(0, made.size() - 9) + ".failed";
         ASSERT_TRUE(exists(failed));
         ASSERT_TRUE(files().removeFile(failed));
         files().addDirectory(made);
       },
       "cannot write"},
      {"no home and no cache folder", [&] { m_fake.cacheFolder.set(std::nullopt); }, "no cache folder"},
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
    m_fake.cacheFolder.set(m_root + "/cache");
  }
}

TEST_F(ClassDataCacheTest, AHalfWrittenArchiveIsNeverUsed) {
  // A launch that dies while its runtime writes the archive: it plans, writes
  // half a file and ends without its exit handlers; the system releases its lock.
  std::string made;
  {
    const ClassDataCachePlan dying = plan();
    made = value(dying, "-XX:ArchiveClassesAtExit=");
    ASSERT_FALSE(made.empty()) << m_log;
    write(made, "half");
    m_fake.locks.releaseAll();
  }
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
  write(javaProgram, "");
  std::string stem;
  for (int exitCode : {1, 0}) {
    SCOPED_TRACE(exitCode);
    // A stand-in for bin/java: writes its arguments into the file named by
    // -XX:SharedArchiveFile= and ends with the given code.
    m_fake.processes.setProgram([this, exitCode](const std::vector<std::string>& argv) {
      std::string out;
      std::string arguments;
      for (size_t i = 1; i < argv.size(); ++i) {
        if (startsWith(argv[i], "-XX:SharedArchiveFile=")) out = argv[i].substr(sizeof "-XX:SharedArchiveFile=" - 1);
        arguments += (i > 1 ? " " : "") + argv[i];
      }
      write(out, arguments + "\n");
      return exitCode;
    });
    m_request.runtimeVersion = exitCode == 0 ? "25.0.1" : "21.0.1";
    ClassDataCachePlan first = plan();
    const std::string list = value(first, "-XX:DumpLoadedClassList=");
    ASSERT_FALSE(list.empty()) << m_log;
    write(list, "java/lang/Object id: 0\n");
    first.afterRun();
    EXPECT_NE(m_log.find("making"), std::string::npos) << m_log;
    stem = list.substr(0, list.size() - std::string(".classlist.part").size());
    // The lock is held until the background work ends, and no longer.
    EXPECT_TRUE(m_fake.locks.tryExclusive(stem + ".lock").held());
    EXPECT_EQ(exists(stem + (exitCode == 0 ? ".aot" : ".jsa")), exitCode == 0);
    EXPECT_FALSE(exists(stem + ".classlist.part")) << "the list goes once the archive is made or not";
    EXPECT_FALSE(exists(stem + (exitCode == 0 ? ".aot.part" : ".jsa.part")));
    if (exitCode != 0) {
      // A failed try is not repeated until the key changes.
      EXPECT_TRUE(plan().jvmOptions.empty());
      EXPECT_NE(m_log.find("making it failed before"), std::string::npos) << m_log;
    }
  }
  // Made from the list with the runtime's options and class path, its classes
  // linked ahead of time, and read as an AOT cache.
  std::string arguments;
  ASSERT_TRUE(files().readFile(stem + ".aot", &arguments));
  arguments = arguments.substr(0, arguments.find('\n'));
  EXPECT_EQ(arguments, "-Xshare:dump -XX:SharedClassListFile=" + stem + ".classlist.part -XX:SharedArchiveFile=" +
                           stem + ".aot.part -XX:+AOTClassLinking -Xmx64m -cp " + m_root + "/app.jar");
  ClassDataCachePlan warm = plan();
  EXPECT_EQ(value(warm, "-XX:AOTCache="), stem + ".aot") << m_log;
  warm.afterRun();
}

TEST_F(ClassDataCacheTest, AnArchiveChangedOrDamagedAfterItWasMadeIsDroppedBeforeTheRuntimeMapsIt) {
  const std::string archive(std::size_t{64} * 1024, 'a');
  struct Damage {
    const char* what;
    std::function<void(const std::string& installed)> apply;
  };
  const std::vector<Damage> damages = {
      {"bytes overwritten in place",
       [&](const std::string& installed) {
         std::string bytes;
         ASSERT_TRUE(files().readFile(installed, &bytes));
         write(installed, bytes.replace(4096, 8, "XXXXXXXX"));
       }},
      {"truncated", [&](const std::string& installed) { write(installed, archive.substr(0, 4096)); }},
      {"emptied", [&](const std::string& installed) { write(installed, ""); }},
      {"replaced by another file of the same size and time",
       [&](const std::string& installed) {
         const FileStamp before = files().stamp(installed);
         write(installed + ".other", std::string(archive.size(), 'b'));
         files().setModified(installed + ".other", before.modified);
         ASSERT_TRUE(files().replaceFile(installed + ".other", installed));
       }},
      {"stamp missing",
       [&](const std::string& installed) { files().removeFile(installed.substr(0, installed.size() - 4) + ".stamp"); }},
      {"stamp damaged",
       [&](const std::string& installed) {
         write(installed.substr(0, installed.size() - 4) + ".stamp", "vexil-stamp 1 12 x\n");
       }},
      {"writable by others", [&](const std::string& installed) { files().letOthersWrite(installed); }},
      {"a launch that used it died",
       [&](const std::string& installed) {
         // What a launch that used it leaves when it dies: its mark, unlocked.
         const ClassDataCachePlan lastUse = plan();
         ASSERT_EQ(value(lastUse, "-XX:SharedArchiveFile="), installed) << m_log;
         m_fake.locks.releaseAll();
       }},
  };
  const std::string installed = makeArchive(archive);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    ASSERT_TRUE(exists(installed)) << m_log;
    damage.apply(installed);
    ClassDataCachePlan next = plan();
    EXPECT_TRUE(value(next, "-XX:SharedArchiveFile=").empty()) << m_log;
    EXPECT_NE(m_log.find("dropped " + installed), std::string::npos) << m_log;
    EXPECT_FALSE(exists(installed));
    // And it is made again at once.
    EXPECT_EQ(value(next, "-XX:ArchiveClassesAtExit="), installed + ".part") << m_log;
    write(installed + ".part", archive);
    next.afterRun();
  }
  // Undamaged, a launch uses it, and a launch that ends leaves no mark.
  for (int launch = 0; launch < 2; ++launch) {
    ClassDataCachePlan warm = plan();
    EXPECT_EQ(value(warm, "-XX:SharedArchiveFile="), installed) << m_log;
    warm.afterRun();
  }
}

TEST_F(ClassDataCacheTest, CacheFilesAreTheUsersAloneWhateverTheUmask) {
  // An earlier version's folders, made under the umask 0.
  for (const std::string& folder : {m_root + "/cache", cacheFolder()}) {
    files().addDirectory(folder);
    files().letOthersWrite(folder);
  }
  ClassDataCachePlan first = plan();
  const std::string made = value(first, "-XX:ArchiveClassesAtExit=");
  write(made, "archive");  // as the runtime writes it under that umask
  files().letOthersWrite(made);
  first.afterRun();
  EXPECT_TRUE(files().isPrivateToUser(cacheFolder()));
  for (const char* suffix : {".jsa", ".stamp", ".lock"}) {
    SCOPED_TRACE(suffix);
    const std::string path = made.substr(0, made.size() - 9) + suffix;
    ASSERT_TRUE(exists(path)) << m_log;
    EXPECT_TRUE(files().isPrivateToUser(path));
  }
  // A folder of another user.
  files().giveToAnotherUser(cacheFolder());
  EXPECT_TRUE(plan().jvmOptions.empty());
  EXPECT_NE(m_log.find("not the user's alone"), std::string::npos) << m_log;
}

TEST_F(ClassDataCacheTest, ATryThatCannotSucceedIsNotRepeatedUntilTheKeyChanges) {
  ClassDataCachePlan first = plan();
  const std::string made = value(first, "-XX:ArchiveClassesAtExit=");
  first.afterRun();  // the runtime wrote nothing
  EXPECT_NE(m_log.find("no new try"), std::string::npos) << m_log;
  for (int launch = 0; launch < 2; ++launch) {
    EXPECT_TRUE(plan().jvmOptions.empty());
    EXPECT_NE(m_log.find("making it failed before"), std::string::npos) << m_log;
    EXPECT_FALSE(exists(made));
  }
  m_request.options.push_back("-Xmx128m");
  EXPECT_FALSE(makeArchive("archive").empty()) << m_log;
}

TEST_F(ClassDataCacheTest, AnApplicationInTheRuntimeImageHasACacheToo) {
  write(m_request.javaHome + "/bin/java", "");
  m_request.options[1] = "-Djava.class.path=";
  ClassDataCachePlan first = plan();
  EXPECT_FALSE(value(first, "-XX:DumpLoadedClassList=").empty()) << m_log;
  first.afterRun();
}

TEST_F(ClassDataCacheTest, OtherInstallationsGoWhenUnusedForLongOrBeyondTheCap) {
  ASSERT_FALSE(makeArchive("archive").empty()) << m_log;
  const std::string folder = cacheFolder();
  struct Installation {
    const char* what;
    std::string key;
    std::int64_t ageDays;
    std::uint64_t size;
    bool inUse;
    bool kept;
  };
  const std::vector<Installation> installations = {
      {"recently used", "1111111111111111-aaaaaaaaaaaaaaaa", 2, 1000, false, true},
      {"unused for 40 days", "2222222222222222-aaaaaaaaaaaaaaaa", 40, 1000, false, false},
      {"unused for 40 days but running now", "3333333333333333-aaaaaaaaaaaaaaaa", 40, 1000, true, true},
      {"recent, but past the folder's cap", "4444444444444444-aaaaaaaaaaaaaaaa", 3, std::uint64_t{600} << 20, false,
       false},
  };
  std::vector<FileLock> running;
  for (const Installation& installation : installations) {
    const std::string stem = folder + "/" + installation.key;
    write(stem + ".stamp", "stamp");
    write(stem + ".jsa", "");
    files().setSize(stem + ".jsa", installation.size);
    const std::int64_t then = m_fake.clock.nowSeconds() - installation.ageDays * 24 * 60 * 60;
    for (const char* suffix : {".stamp", ".jsa"}) files().setModified(stem + suffix, then * 1000000000);
    if (installation.inUse) running.push_back(m_fake.locks.tryExclusive(stem + ".run-1"));
  }
  ClassDataCachePlan warm = plan();
  EXPECT_FALSE(value(warm, "-XX:SharedArchiveFile=").empty()) << m_log;
  warm.afterRun();
  for (const Installation& installation : installations) {
    SCOPED_TRACE(installation.what);
    EXPECT_EQ(exists(folder + "/" + installation.key + ".jsa"), installation.kept) << m_log;
  }
}

}  // namespace
