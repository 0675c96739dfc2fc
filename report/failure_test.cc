#include "report/failure.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <thread>

#include "report/report_channel.h"
#include "tests/support/report_capture.h"

TEST(FailureTest, ReportIsHeadingSpaceMessage) {
  EXPECT_EQ(reportOf([] { failWithReport("Error while locating JVMs."); }),
            "Error in Java launcher. Error while locating JVMs.");
  EXPECT_EQ(reportOf([] { failWithReport(std::string()); }), "Error in Java launcher.");
}

TEST(FailureTest, StepWithoutPayloadHandlerShowsItsGenericText) {
  EXPECT_EQ(reportOf([] { guardedStep("Error processing property.", [] { raiseFailure("inner words"); }); }),
            reportText("Error processing property."));
  EXPECT_EQ(reportOf([] { guardedStep("Error processing property.", [] { throw std::bad_alloc(); }); }),
            reportText("Error processing property."));
}

TEST(FailureTest, StepPassingPayloadShowsTheRaisedWords) {
  EXPECT_EQ(reportOf([] {
              guardedStepPassingPayload("Error while locating the most appropriate JVM.",
                                        [] { raiseFailure("This JVM file could not be found: C:\\x\\jvm.dll"); });
            }),
            reportText("This JVM file could not be found: C:\\x\\jvm.dll"));
  EXPECT_EQ(reportOf([] { guardedStepPassingPayload("Generic.", [] { throw 42; }); }), reportText("Generic."));
}

TEST(FailureTest, InnermostStepDecidesTheOnlyMessage) {
  int outerBodyAfterInner = 0;
  std::string report = reportOf([&] {
    guardedStepPassingPayload("Outer.", [&] {
      guardedStep("Inner.", [] { raiseFailure("detail"); });
      ++outerBodyAfterInner;
    });
  });
  EXPECT_EQ(report, reportText("Inner."));
  EXPECT_EQ(outerBodyAfterInner, 0);
}

TEST(FailureTest, AProgramShowsOneReportAndEndsWithOne) {
  // A failure raised on the program's thread ends the process where it is
  // raised (once no guarded step is left to settle it), so each case runs in
  // a child process whose standard output goes to a file.
  struct Case {
    const char* name;
    std::function<int()> body;
    std::string shown;
  };
  const Case cases[] = {
      {"an exception that is no failure", []() -> int { throw std::bad_alloc(); }, "Error in Java launcher.\n"},
      {"a failure without words", []() -> int { raiseUnexplainedFailure(); }, "Error in Java launcher.\n"},
      {"a failure with words", []() -> int { raiseFailure("Cannot find main Java class x"); },
       "Error in Java launcher. Cannot find main Java class x\n"},
      {"a guarded step settles it",
       []() -> int {
         guardedStep("Generic.", [] { guardedStepPassingPayload("Inner.", [] { raiseUnexplainedFailure(); }); });
         return 0;
       },
       "Error in Java launcher. Inner.\n"},
      {"a failure from another thread",
       []() -> int {
         std::exception_ptr failure;
         std::thread([&] {
           try {
             raiseFailure("elsewhere");
           } catch (...) {
             failure = std::current_exception();
           }
         }).join();
         std::rethrow_exception(failure);
       },
       "Error in Java launcher. elsewhere\n"},
  };
  const std::string shownFile = testing::TempDir() + "failure_test_shown.txt";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(shownFile.c_str());
    EXPECT_EXIT(
        {
          if (!std::freopen(shownFile.c_str(), "w", stdout)) std::abort();
          std::exit(runReportingFailures(ReportChannel::kStandardOutput, c.body));
        },
        testing::ExitedWithCode(1), "");
    std::ifstream shown(shownFile, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(shown), {}), c.shown);
  }
  // A program that ends well shows nothing and keeps its exit code.
  testing::internal::CaptureStdout();
  EXPECT_EQ(runReportingFailures(ReportChannel::kStandardOutput, [] { return 7; }), 7);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(FailureTest, StepsReturnTheirBodysValue) {
  EXPECT_EQ(guardedStep("x", [] { return 7; }), 7);
  std::string text = "abc";
  const std::string& ref = guardedStepPassingPayload("x", [&]() -> const std::string& { return text; });
  EXPECT_EQ(&ref, &text);
}
