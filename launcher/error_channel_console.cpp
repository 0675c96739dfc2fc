#include "launcher/error_channel.h"
#include "platform/process.h"

void showReport(const std::string& report) { writeConsoleLine(report); }
