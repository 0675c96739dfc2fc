#include <windows.h>

#include <string>

#include "launcher/command_line_arguments.h"
#include "launcher/launch.h"
#include "platform/command_line.h"
#include "platform/platform.h"
#include "report/failure.h"
#include "report/messages.h"
#include "report/report_channel.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return runReportingFailures(ReportChannel::kMessageBox, [&] {
    // The runtime's own text after the program name loses bytes in corner
    // cases ("prog"x, a first byte above 127): find it again in the whole line.
    const std::string text = guardedStep(message::kReadingCommandLineArguments,
                                         [] { return commandLineAfterProgramName(processCommandLine()); });
    CommandLineArguments arguments(text.c_str(), __argv != nullptr && __argc > 0 ? __argv[0] : nullptr);
    return launchApplication(hostPlatform(), arguments.getArgc(), arguments.getArgv(), ReportChannel::kMessageBox);
  });
}
