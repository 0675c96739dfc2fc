// One instance of an application in both Windows launchers, under Wine, with
// the fake runtime: later launches hand their arguments to the first one's
// handler through the user's named pipe and end; a first launch that was
// killed leaves nothing in the way. (Wine has one user: another user's pipe
// cannot be made here.)
//
// In the binary with the launchers' manifest: the harness's texts are UTF-8.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

class SingleInstanceWindows : public testing::TestWithParam<Program> {
 protected:
  SingleInstanceWindows() : m_app(GetParam()) {
    m_app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
    m_app.setEnvironment("VEXIL_FAKE_JVM_RECORD", m_app.path("record.txt"));
    m_app.setEnvironment("VEXIL_FAKE_JVM_RECORD_PROCESS", "1");
    m_app.setEnvironment("VEXIL_FAKE_JVM_MAIN", "await-exit-request");
    m_app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    m_app.writeConfiguration(
        "vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\nvexil.single.instance=true\r\n"
        "vexil.single.instance.handler=app.Handler.receive\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n");
  }

  /// Each recorded line that begins with PREFIX, without it.
  std::vector<std::string> recorded(const std::string& prefix) const {
    std::vector<std::string> lines;
    std::istringstream text(fileContents(m_app.path("record.txt")));
    for (std::string line; std::getline(text, line);) {
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    }
    return lines;
  }

  /// Starts a launch that becomes the first instance, waiting for HAND_OVERS
  /// later ones; returns once its main runs.
  std::future<LaunchResult> startFirst(int handOvers) {
    m_app.setEnvironment("VEXIL_FAKE_JVM_AWAIT_DETACHES", std::to_string(handOvers));
    std::future<LaunchResult> first = std::async(std::launch::async, [this] { return m_app.run({"first"}); });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (recorded("CallStaticVoidMethod Main with").empty() && std::chrono::steady_clock::now() < limit) {
      if (first.wait_for(std::chrono::milliseconds(20)) == std::future_status::ready) break;
    }
    EXPECT_FALSE(recorded("CallStaticVoidMethod Main with").empty()) << "the first instance never ran main";
    return first;
  }

  LaunchCase m_app;
};

TEST_P(SingleInstanceWindows, TheSecondLaunchsArgumentsAndDirectoryReachTheHandlerExactly) {
  std::future<LaunchResult> first = startFirst(1);
  m_app.makeDirectory("elsewhere 日本");
  m_app.setWorkingDirectory("elsewhere 日本");
  LaunchResult second = m_app.run({"with space", "", "été 日本", "-x"});
  EXPECT_EQ(second.exitCode, 0) << describe(second);
  EXPECT_EQ(second.out, "") << describe(second);
  EXPECT_TRUE(second.boxes.empty()) << describe(second);
  LaunchResult result = first.get();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  // One runtime, and one call of the handler with the directory first.
  EXPECT_EQ(recorded("JNI_CreateJavaVM").size(), 1U);
  EXPECT_EQ(recorded("GetStaticMethodID app/Handler "), std::vector<std::string>{"receive ([Ljava/lang/String;)V"});
  // What the launch's own main would have got: the windowed program's split
  // of its command line leaves out an empty argument.
  std::vector<std::string> expected{"0=" + m_app.path("elsewhere 日本"), "1=with space", "2=", "3=été 日本", "4=-x"};
  if (GetParam() == Program::Windowed) expected = {expected[0], expected[1], "2=été 日本", "3=-x"};
  EXPECT_EQ(recorded("CallStaticVoidMethod app/Handler handler with "),
            std::vector<std::string>{std::to_string(expected.size()) + " arguments"});
  EXPECT_EQ(recorded("handler argument "), expected);
  EXPECT_NE(fileContents(m_app.path("debug.log")).find(message::kLogInstanceHandedOver), std::string::npos);
}

TEST_P(SingleInstanceWindows, LaunchesStartedTogetherGiveOneRuntime) {
  const int launches = 3;
  m_app.setEnvironment("VEXIL_FAKE_JVM_AWAIT_DETACHES", std::to_string(launches - 1));
  std::vector<std::future<LaunchResult>> runs;
  for (int i = 0; i < launches; ++i) {
    runs.push_back(std::async(std::launch::async, [this] { return m_app.run({"together"}); }));
  }
  for (std::future<LaunchResult>& run : runs) {
    LaunchResult result = run.get();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
  }
  EXPECT_EQ(recorded("JNI_CreateJavaVM").size(), 1U);
  EXPECT_EQ(recorded("CallStaticVoidMethod app/Handler handler with ").size(), static_cast<size_t>(launches - 1));
}

TEST_P(SingleInstanceWindows, AKilledFirstInstanceDoesNotBlockTheNextLaunch) {
  std::future<LaunchResult> first = startFirst(1);
  std::vector<std::string> process = recorded("process ");
  ASSERT_EQ(process.size(), 1U);
  HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(std::stoul(process[0])));
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(TerminateProcess(handle, 9));
  CloseHandle(handle);
  first.get();
  m_app.setEnvironment("VEXIL_FAKE_JVM_AWAIT_DETACHES", "0");
  LaunchResult next = m_app.run({"next"});
  EXPECT_EQ(next.exitCode, 0) << describe(next);
  // It started a runtime of its own.
  EXPECT_EQ(recorded("JNI_CreateJavaVM").size(), 2U);
  EXPECT_EQ(recorded("argument 0=next").size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Launchers, SingleInstanceWindows, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
