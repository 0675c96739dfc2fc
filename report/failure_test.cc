#include "report/failure.h"

#include <gtest/gtest.h>

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

TEST(FailureTest, TopLevelGuardShowsHeadingAlone) {
  EXPECT_EQ(reportOf([] { topLevelGuard([] { throw std::bad_alloc(); }); }), "Error in Java launcher.");
}

TEST(FailureTest, StepsReturnTheirBodysValue) {
  EXPECT_EQ(guardedStep("x", [] { return 7; }), 7);
  std::string text = "abc";
  const std::string& ref = guardedStepPassingPayload("x", [&]() -> const std::string& { return text; });
  EXPECT_EQ(&ref, &text);
}
