// Console-control trapping on Linux with the machine's real Java runtime: the
// console launcher, signalled by the harness once the application is ready.

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

/// A configuration that runs MAIN_CLASS from the compiled test classes on the
/// test runtime, followed by EXTRA lines.
std::string configuration(const std::string& mainClass, const std::string& extra = "") {
  return "vexil.main.class=" + mainClass +
         "\nvexil.jvm.path=" VEXIL_E2E_LIBJVM "\n-Djava.class.path=" + std::string(VEXIL_E2E_JAVA_CLASSES) + "\n" +
         extra;
}

const char kTrap[] = "vexil.trap.console.ctrl=true\n";

class EachConsoleSignal : public testing::TestWithParam<int> {};

TEST_P(EachConsoleSignal, CallsInitiateExitAndTheApplicationEndsItself) {
  LaunchCase app;
  app.writeConfiguration(configuration("ExitOnRequest", kTrap));
  app.sendSignalWhenOutputContains(GetParam(), "ready");
  LaunchResult result = app.run();
  // The application chose exit code 3 after the request.
  EXPECT_EQ(result.exitCode, 3) << describe(result);
  EXPECT_EQ(result.out,
            "ready\n"
            "initiateExit(0) call 1 on another thread\n"
            "main ends on request\n"
            "shutdown hook ran\n")
      << describe(result);
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(ConsoleControlRealJvm, EachConsoleSignal, testing::Values(SIGINT, SIGHUP, SIGTERM),
                         [](const testing::TestParamInfo<int>& info) {
                           return info.param == SIGINT ? "Interrupt" : info.param == SIGHUP ? "Hangup" : "Terminate";
                         });

TEST(ConsoleControlRealJvm, ARequestStillArrivesWhileTheLauncherWaitsForTheApplicationsThreads) {
  LaunchCase app;
  app.writeConfiguration(configuration("ExitOnRequest", kTrap));
  // "ready" comes once main has returned: the launcher is destroying the runtime.
  app.sendSignalWhenOutputContains(SIGINT, "ready");
  LaunchResult result = app.run({"linger"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out,
            "ready\n"
            "initiateExit(0) call 1 on another thread\n"
            "worker ends on request\n"
            "shutdown hook ran\n")
      << describe(result);
}

TEST(ConsoleControlRealJvm, ASecondInterruptCallsInitiateExitAgainWhileTheFirstCallRuns) {
  LaunchCase app;
  app.writeConfiguration(configuration("ExitOnRequest", kTrap));
  app.sendSignalWhenOutputContains(SIGINT, "ready");
  app.sendSignalWhenOutputContains(SIGINT, "call 1 on another thread");
  LaunchResult result = app.run({"twice"});
  EXPECT_EQ(result.exitCode, 3) << describe(result);
  // Each call waits up to 30 s for the other: both overlapped.
  EXPECT_NE(result.out.find("call 1 overlapped another\n"), std::string::npos) << describe(result);
  EXPECT_NE(result.out.find("call 2 overlapped another\n"), std::string::npos) << describe(result);
}

TEST(ConsoleControlRealJvm, WithoutTheSettingTheRuntimeEndsTheApplicationThroughItsShutdownHooks) {
  for (const char* setting : {"", "vexil.trap.console.ctrl=on\n"}) {
    SCOPED_TRACE(setting);
    LaunchCase app;
    app.writeConfiguration(configuration("ExitOnRequest", setting));
    app.sendSignalWhenOutputContains(SIGINT, "ready");
    LaunchResult result = app.run();
    // The runtime's own exit code for an interrupt: 128 + 2.
    EXPECT_EQ(result.exitCode, 130) << describe(result);
    EXPECT_EQ(result.out, "ready\nshutdown hook ran\n") << describe(result);
  }
}

TEST(ConsoleControlRealJvm, WithoutInitiateExitTheApplicationRunsOnAndTheRuntimeSaysWhy) {
  LaunchCase app;
  app.writeConfiguration(configuration("NoExitMethod", kTrap));
  app.sendSignalWhenOutputContains(SIGINT, "ready");
  // Once the runtime has described the missing method, the test lets the application end.
  app.createFileWhenOutputContains("stop", "NoSuchMethodError");
  LaunchResult result = app.run({app.path("stop")});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out, "ready\nstop file found\n") << describe(result);
  EXPECT_NE(result.err.find("java.lang.NoSuchMethodError: initiateExit\n"), std::string::npos) << describe(result);
}

}  // namespace
