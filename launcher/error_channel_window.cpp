#include "launcher/error_channel.h"
#include "platform/process.h"

// The launcher has no window of its own: the box has no owner and carries the
// executable's path as its caption.
void showReport(const std::string& report) { showWarning(executablePath(), report); }
