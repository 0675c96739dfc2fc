// The harness acting on a running program once its output holds a marker.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

TEST(HarnessTriggers, SignalsGoOutOneAfterTheOtherAsTheirMarkersShow) {
  LaunchCase helper(VEXIL_E2E_AWAIT_INTERRUPT, "await.exe");
  helper.sendSignalWhenOutputContains(SIGINT, "waiting 1");
  helper.sendSignalWhenOutputContains(SIGINT, "waiting 2");
  LaunchResult result = helper.run({"2"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(withLfLineEnds(result.out), "waiting 1\ninterrupt\nwaiting 2\ninterrupt\n");
}

TEST(HarnessTriggers, AFileAppearsWhenItsMarkerShows) {
  LaunchCase helper(VEXIL_E2E_AWAIT_INTERRUPT, "await.exe");
  helper.createFileWhenOutputContains("sub/stop", "waiting for file");
  helper.makeDirectory("sub");
  LaunchResult result = helper.run({"--file", helper.path("sub/stop")});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(withLfLineEnds(result.out), "waiting for file\nfile found\n");
}

TEST(HarnessTriggers, AMarkerThatNeverShowsFailsTheTest) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  // Standard error counts too: the first step is taken, the second never.
  helper.createFileWhenOutputContains("first", "to stderr");
  helper.sendSignalWhenOutputContains(SIGINT, "never printed");
  // The failure check cannot see local variables.
  static const LaunchCase* sharedHelper;
  static LaunchResult sharedResult;
  sharedHelper = &helper;
  EXPECT_NONFATAL_FAILURE(sharedResult = sharedHelper->run(), "The output never held \"never printed\"");
  sharedHelper = nullptr;
  EXPECT_EQ(sharedResult.exitCode, 7);
  EXPECT_TRUE(std::ifstream(helper.path("first")).good());
}

}  // namespace
