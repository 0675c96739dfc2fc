#include "tests/support/report_capture.h"

namespace {

void throwReport(const std::string& report) { throw FailureReported{report}; }

}  // namespace

ScopedReportCapture::ScopedReportCapture() { setReportHook(&throwReport); }

ScopedReportCapture::~ScopedReportCapture() { setReportHook(nullptr); }
