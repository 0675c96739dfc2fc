#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

class PosixDirectorySearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-search-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_directory = pattern;
  }
  void TearDown() override {
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) std::remove(it->c_str());
    rmdir(m_directory.c_str());
  }

  void file(const std::string& name) {
    std::string path = m_directory + "/" + name;
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr) << path;
    std::fclose(f);
    m_created.push_back(path);
  }
  void directory(const std::string& name) {
    std::string path = m_directory + "/" + name;
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path;
    m_created.push_back(path);
  }
  void link(const std::string& target, const std::string& name) {
    std::string path = m_directory + "/" + name;
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
    m_created.push_back(path);
  }

  std::string m_directory;
  std::vector<std::string> m_created;
};

std::vector<std::string> describe(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> result;
  for (const DirectoryEntry& entry : entries) result.push_back(entry.name + (entry.isDirectory ? "/" : ""));
  return result;
}

TEST_F(PosixDirectorySearchTest, MatchesJarsWithoutRegardToCaseInNameOrder) {
  file("b.jar");
  file("A.JAR");
  file("c.jarx");
  file("notes.txt");
  file("jar");
  directory("classes.jar");
  directory("sub");
  link("b.jar", "link.Jar");
  link("sub", "dirlink.jar");
  const FileSystem& fileSystem = *hostPlatform().fileSystem;
  EXPECT_EQ(describe(fileSystem.findFiles(m_directory + "/*.jar")),
            (std::vector<std::string>{"A.JAR", "b.jar", "classes.jar/", "dirlink.jar/", "link.Jar"}));
  EXPECT_TRUE(fileSystem.findFiles(m_directory + "/*.war").empty());
  EXPECT_TRUE(fileSystem.findFiles(m_directory + "/missing/*.jar").empty());
}

TEST_F(PosixDirectorySearchTest, PatternWithoutDirectorySearchesTheCurrentOne) {
  directory("inner.jar");
  file("a.jar");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(m_directory.c_str()), 0);
  std::vector<std::string> found = describe(hostPlatform().fileSystem->findFiles("*.jar"));
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(found, (std::vector<std::string>{"a.jar", "inner.jar/"}));
}

// Runtime folders are anybody's: a link leads one path to its target's path,
// and only a regular file is read, never waited for or read without end.
TEST_F(PosixDirectorySearchTest, ResolvesLinksAndReadsOnlyRegularFiles) {
  const FileSystem& fileSystem = *hostPlatform().fileSystem;
  directory("home");
  file("home/release");
  link(m_directory + "/home", "current");
  link("current", "again");
  link(m_directory + "/gone", "dangling");
  link("loop", "loop");
  ASSERT_EQ(mkfifo((m_directory + "/fifo").c_str(), 0600), 0);
  m_created.push_back(m_directory + "/fifo");
  link("/dev/zero", "zero");

  std::string resolved;
  ASSERT_TRUE(fileSystem.canonicalPath(m_directory + "/again/release", &resolved));
  std::string expected;
  ASSERT_TRUE(fileSystem.canonicalPath(m_directory + "/home/release", &expected));
  EXPECT_EQ(resolved, expected);
  EXPECT_EQ(resolved.rfind('/'), resolved.size() - std::string("/release").size());
  EXPECT_FALSE(fileSystem.canonicalPath(m_directory + "/dangling", &resolved));
  EXPECT_FALSE(fileSystem.canonicalPath(m_directory + "/loop", &resolved));

  std::string contents;
  EXPECT_TRUE(fileSystem.readFileStart(m_directory + "/current/release", 100, &contents));
  for (const char* name : {"fifo", "zero", "home", "loop"}) {
    EXPECT_FALSE(fileSystem.readFileStart(m_directory + "/" + name, 1 << 20, &contents)) << name;
  }
}

TEST(PosixEnvironmentTest, LooksUpNamesWithoutRegardToCaseExactFirst) {
  // The case-insensitive match comes first in the environment, the exact one later.
  ASSERT_EQ(setenv("VEXIL_TEST_MIXED", "upper", 1), 0);
  ASSERT_EQ(setenv("Vexil_Test_Mixed", "mixed", 1), 0);
  ASSERT_EQ(setenv("VEXIL_TEST_EMPTY", "", 1), 0);
  ASSERT_EQ(setenv("VEXIL_TEST_EQ", "B=hidden", 1), 0);
  unsetenv("VEXIL_TEST_UNSET");
  const Environment& environment = *hostPlatform().environment;
  struct Case {
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"VEXIL_TEST_MIXED", true, "upper"}, {"Vexil_Test_Mixed", true, "mixed"}, {"vexil_test_empty", true, ""},
      {"VEXIL_TEST_UNSET", false, ""},     {"VEXIL_TEST_EQ=B", false, ""},      {"", false, ""},
      {"VEXIL_TEST_MIXE", false, ""},
  };
  for (const Case& c : cases) {
    std::string value;
    EXPECT_EQ(environment.lookup(c.name, &value), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(value, c.value) << c.name;
    }
  }
  // Neither matches exactly: the first in the environment wins (setenv appends).
  std::string value;
  ASSERT_TRUE(environment.lookup("vexil_test_mixed", &value));
  EXPECT_EQ(value, "upper");
  unsetenv("VEXIL_TEST_MIXED");
  unsetenv("Vexil_Test_Mixed");
  unsetenv("VEXIL_TEST_EMPTY");
  unsetenv("VEXIL_TEST_EQ");
}

}  // namespace
