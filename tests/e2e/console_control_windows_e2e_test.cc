// Console-control trapping in both Windows launchers under Wine, with the fake
// jvm.dll of tests/fake_jvm, whose main waits for an exit request. Wine turns
// SIGINT on a program's process into a Ctrl+C event on a thread of its own;
// it makes no event of SIGTERM or SIGHUP, and no other console event can be
// produced under it (GenerateConsoleCtrlEvent needs a console, and then
// delivers Ctrl+C alone).

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

class ConsoleControlUnderWine : public testing::TestWithParam<Program> {
 protected:
  ConsoleControlUnderWine() : app(GetParam()) {
    app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.setEnvironment("VEXIL_FAKE_JVM_MAIN", "await-exit-request");
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
    app.sendSignalWhenOutputContains(SIGINT, "main waiting for an exit request");
  }

  void configure(const std::string& extra) {
    app.writeConfiguration("vexil.main.class=org.example.Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n" + extra);
  }
  /// The calls the fake runtime recorded after main was called.
  std::string callsAfterMain() const {
    std::ifstream file(app.path("record.txt"), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const std::string calls = text.str();
    const std::string main = "CallStaticVoidMethod org/example/Main with 0 arguments\n";
    size_t at = calls.find(main);
    return at == std::string::npos ? "<main never called> " + calls : calls.substr(at + main.size());
  }

  LaunchCase app;
};

TEST_P(ConsoleControlUnderWine, CtrlCCallsInitiateExitOnAThreadOfItsOwn) {
  configure("vexil.trap.console.ctrl=true\r\n");
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(callsAfterMain(),
            "AttachCurrentThread\n"
            "FindClass org/example/Main\n"
            "GetStaticMethodID org/example/Main initiateExit (I)V\n"
            "CallStaticVoidMethod org/example/Main initiateExit(0) on another thread\n"
            "DetachCurrentThread\n"
            "ExceptionOccurred\n"
            "DestroyJavaVM\n");
}

TEST_P(ConsoleControlUnderWine, WithoutInitiateExitTheRuntimeDescribesWhatIsMissing) {
  configure("vexil.trap.console.ctrl=true\r\n");
  app.setEnvironment("VEXIL_FAKE_JVM_FAIL", "exit");
  LaunchResult result = app.run();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(withLfLineEnds(result.err), "Exception in thread \"Thread-0\" java.lang.NoSuchMethodError: initiateExit\n");
  EXPECT_EQ(callsAfterMain(),
            "AttachCurrentThread\n"
            "FindClass org/example/Main\n"
            "GetStaticMethodID org/example/Main initiateExit (I)V\n"
            "ExceptionOccurred\n"
            "ExceptionDescribe\n"
            "DetachCurrentThread\n"
            "ExceptionOccurred\n"
            "DestroyJavaVM\n");
}

TEST_P(ConsoleControlUnderWine, WithoutTheSettingCtrlCEndsTheProcessAsWindowsDoes) {
  configure("");
  LaunchResult result = app.run();
  EXPECT_TRUE(result.problem.empty()) << describe(result);
  // The system's own handler ends the process inside main (with exit code 0
  // under Wine, STATUS_CONTROL_C_EXIT on Windows): the runtime is never asked.
  EXPECT_EQ(callsAfterMain(), "");
}

INSTANTIATE_TEST_SUITE_P(Launchers, ConsoleControlUnderWine, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
