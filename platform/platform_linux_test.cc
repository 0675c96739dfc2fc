#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/standard_io.h"

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

// The same temporary folder for files to read.
using PosixFileReadTest = PosixDirectorySearchTest;

TEST_F(PosixFileReadTest, OnlyARegularFileWithinTheLimitIsReadAndNothingWaits) {
  using Kind = FileReadFailure::Kind;
  const std::string dir = m_directory + "/";
  file("small");
  {
    FILE* f = std::fopen((dir + "small").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("a=b\n", f);
    std::fclose(f);
  }
  file("at-limit");
  ASSERT_EQ(truncate((dir + "at-limit").c_str(), static_cast<off_t>(kLargestFileRead)), 0);
  file("beyond-limit");
  ASSERT_EQ(truncate((dir + "beyond-limit").c_str(), static_cast<off_t>(kLargestFileRead + 1)), 0);
  directory("folder");
  ASSERT_EQ(mkfifo((dir + "fifo").c_str(), 0600), 0);
  m_created.push_back(dir + "fifo");
  link("/dev/zero", "zero");
  link(dir + "fifo", "to-fifo");
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir + "socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  m_created.push_back(socketPath);

  struct Case {
    std::string path;
    bool read;
    std::size_t size;  // when read
    Kind kind;         // when not
    const char* systemReason;
  } cases[] = {
      {dir + "small", true, 4, Kind::kSystemError, ""},
      {dir + "at-limit", true, kLargestFileRead, Kind::kSystemError, ""},
      {dir + "beyond-limit", false, 0, Kind::kTooLarge, ""},
      {dir + "folder", false, 0, Kind::kFolder, ""},
      {dir + "fifo", false, 0, Kind::kPipe, ""},
      {dir + "to-fifo", false, 0, Kind::kPipe, ""},
      {dir + "zero", false, 0, Kind::kDevice, ""},
      {"/dev/null", false, 0, Kind::kDevice, ""},
      {socketPath, false, 0, Kind::kNotAFile, ""},
      {dir + "missing", false, 0, Kind::kSystemError, "No such file or directory"},
      {dir + "small/below", false, 0, Kind::kSystemError, "Not a directory"},
  };
  const FileSystem& fileSystem = *hostPlatform().fileSystem;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string contents = "earlier";
    FileReadFailure failure;
    ASSERT_EQ(fileSystem.readFileWithReason(c.path, &contents, &failure), c.read);
    std::string start;
    EXPECT_EQ(fileSystem.readFileStart(c.path, 2, &start), c.read || c.kind == Kind::kTooLarge);
    if (c.read) {
      EXPECT_EQ(contents.size(), c.size);
      continue;
    }
    EXPECT_EQ(static_cast<int>(failure.kind), static_cast<int>(c.kind));
    EXPECT_EQ(failure.systemReason, c.systemReason);
    EXPECT_TRUE(contents.empty());
    EXPECT_FALSE(fileSystem.readFile(c.path, &contents));
  }
  close(listener);
  // A file that says it has no size is read to its end all the same.
  std::string status;
  ASSERT_TRUE(fileSystem.readFile("/proc/self/status", &status));
  EXPECT_NE(status.find("Name:"), std::string::npos);
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
