#include "report/diagnostics_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class DiagnosticsLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_directory = pattern;
  }
  void TearDown() override {
    std::remove((m_directory + "/debug.log").c_str());
    rmdir(m_directory.c_str());
  }
  std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::string m_directory;
};

TEST_F(DiagnosticsLogTest, LinesAreAppendedAndTheFileIsNeverTruncated) {
  const std::string path = m_directory + "/debug.log";
  {
    std::ofstream earlier(path, std::ios::binary);
    earlier << "from an earlier launch\n";
  }
  testing::internal::CaptureStderr();
  appendLogLine(path, "The chosen JVM: x");
  appendLogLine(path, "The properties chosen: a=b");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(contentsOf(path), "from an earlier launch\nThe chosen JVM: x\nThe properties chosen: a=b\n");
}

TEST_F(DiagnosticsLogTest, AMissingFileIsCreatedWithExactlyTheLine) {
  const std::string path = m_directory + "/debug.log";
  appendLogLine(path, "");
  appendLogLine(path, "second");
  EXPECT_EQ(contentsOf(path), "\nsecond\n");
}

TEST_F(DiagnosticsLogTest, AnUnwritableFileIsShownAndTheCallReturns) {
  // A missing folder, a folder, and a device whose writes fail on flushing.
  const std::string cases[] = {m_directory + "/missing/debug.log", m_directory, "/dev/full"};
  for (const std::string& path : cases) {
    testing::internal::CaptureStderr();
    appendLogLine(path, "The chosen JVM: x");
    std::string warning = testing::internal::GetCapturedStderr();
    // One warning naming the file and the cause; no failure report.
    EXPECT_NE(warning.find("Cannot write to the debug file " + path + ": "), std::string::npos) << warning;
    EXPECT_EQ(warning.find("Error in Java launcher."), std::string::npos);
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
  }
}

TEST_F(DiagnosticsLogTest, LinesAppendedAtTheSameTimeAreNeverSplit) {
  // Lines far longer than the C library's buffer, written from many threads at
  // once, each through its own opening of the file as separate launches do.
  const std::string path = m_directory + "/debug.log";
  const int writers = 8;
  const int linesEach = 100;
  const std::size_t length = 20000;
  std::vector<std::thread> threads;
  for (int writer = 0; writer < writers; ++writer) {
    threads.emplace_back([&, writer] {
      const std::string line(length, static_cast<char>('a' + writer));
      for (int i = 0; i < linesEach; ++i) appendLogLine(path, line);
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::istringstream lines(contentsOf(path));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    ASSERT_EQ(line.size(), length) << "line " << count << " is torn";
    EXPECT_EQ(line.find_first_not_of(line[0]), std::string::npos) << "line " << count << " mixes writers";
  }
  EXPECT_EQ(count, writers * linesEach);
}

}  // namespace
