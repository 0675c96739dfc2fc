#include <windows.h>

#include <cstdlib>
#include <string>

#include "launcher/command_line_arguments.h"
#include "launcher/error_reporting.h"
#include "launcher/launch.h"
#include "platform/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return topLevelGuard([&] {
    // The runtime's own text after the program name loses bytes in corner
    // cases ("prog"x, a first byte above 127): find it again in the whole line.
    const std::string text = guardedStep(kErrorReadingCommandLineArguments,
                                         [] { return commandLineAfterProgramName(processCommandLine()); });
    CommandLineArguments arguments(text.c_str(), __argv != nullptr && __argc > 0 ? __argv[0] : nullptr);
    return launcherMain(arguments.getArgc(), arguments.getArgv());
  });
}
