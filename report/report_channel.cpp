#include "report/report_channel.h"

#include "platform/process.h"
#include "platform/standard_io.h"
#include "report/messages.h"
#include "text/ascii_text.h"

namespace {

/// Only web pages are offered: the system opens whatever it is given, programs too.
bool isWebPage(const std::string& page) { return startsWith(page, "https://") || startsWith(page, "http://"); }

}  // namespace

void showReport(ReportChannel channel, const std::string& report, const std::string& offeredPage) {
  if (channel == ReportChannel::kMessageBox) {
    // The launcher has no window of its own: the box has no owner and carries
    // the executable's path as its caption (none when the path is unknown).
    const std::string caption = executablePath().valueOr(std::string());
    if (!isWebPage(offeredPage)) {
      showWarning(caption, report);
    } else if (askYesNo(caption, report + "\n\n" + message::kOpenDownloadPage)) {
      openWebPage(offeredPage);
    }
  } else {
    writeConsoleLine(report);
  }
}
