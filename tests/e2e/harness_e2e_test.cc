// The harness itself: what a started program receives, and what comes back.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

std::string lines(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += text + "\n";
  return joined;
}

TEST(Harness, ArgumentsArriveUnchanged) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  std::vector<std::string> arguments = {"plain",       "two words", "",          "quote\"inside", "trailing\\",
                                        "back\\slash", "tab\there", "\\\"mixed", "ends in space "};
  LaunchResult result = helper.run(arguments);
  std::vector<std::string> expected = arguments;
  expected.push_back("cwd=" + helper.directory());
  expected.push_back("HARNESS_PROBE=<unset>");
  EXPECT_EQ(withLfLineEnds(result.out), lines(expected));
}

TEST(Harness, ReportsExitCodeAndBothStreamsApart) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  LaunchResult result = helper.run();
  EXPECT_EQ(result.exitCode, 7);
  EXPECT_EQ(result.err, consoleLine("to stderr"));
  EXPECT_EQ(result.out, consoleLine("cwd=" + helper.directory()) + consoleLine("HARNESS_PROBE=<unset>"));
  EXPECT_TRUE(result.boxes.empty());
  EXPECT_TRUE(result.problem.empty());
}

TEST(Harness, SetsEnvironmentAndWorkingDirectory) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  helper.makeDirectory("sub dir");
  helper.setWorkingDirectory("sub dir");
  helper.setEnvironment("HARNESS_PROBE", "first");
  helper.setEnvironment("HARNESS_PROBE", "a value = with spaces");
  EXPECT_EQ(withLfLineEnds(helper.run().out),
            lines({"cwd=" + helper.path("sub dir"), "HARNESS_PROBE=a value = with spaces"}));

  helper.removeEnvironment("HARNESS_PROBE");
  EXPECT_EQ(withLfLineEnds(helper.run().out), lines({"cwd=" + helper.path("sub dir"), "HARNESS_PROBE=<unset>"}));
}

TEST(Harness, AProgramThatDoesNotEndIsKilledAndFailsTheTest) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  helper.setTimeoutSeconds(1);
  // The failure check cannot see local variables.
  static const LaunchCase* s_helper;
  static LaunchResult s_result;
  s_helper = &helper;
  EXPECT_NONFATAL_FAILURE(s_result = s_helper->run({"--hang"}), "did not end within 1 s and was killed");
  EXPECT_EQ(s_result.exitCode, -1);
  EXPECT_EQ(withLfLineEnds(s_result.out), lines({"--hang", "cwd=" + helper.directory(), "HARNESS_PROBE=<unset>"}));
}

TEST(Harness, ShowsReportNamesWhatDiffers) {
  LaunchCase helper(VEXIL_E2E_PRINT_INVOCATION, "print.exe");
  testing::AssertionResult verdict = helper.showsReport(helper.run(), {"anything"});
  EXPECT_FALSE(verdict);
  std::string message = verdict.message();
  EXPECT_NE(message.find("exit code is not 1"), std::string::npos) << message;
  EXPECT_NE(message.find("standard error is not empty"), std::string::npos) << message;
  EXPECT_NE(message.find("Error in Java launcher. anything"), std::string::npos) << message;
}

TEST(Harness, WithLfLineEndsTouchesOnlyCrLfPairs) { EXPECT_EQ(withLfLineEnds("a\r\nb\rc\n\r\r\n"), "a\nb\rc\n\r\n"); }

}  // namespace
