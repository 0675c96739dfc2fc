#include <string>
#include <vector>

#include "launcher/launch.h"
#include "platform/command_line.h"
#include "platform/platform.h"
#include "report/report_channel.h"

int main(int argc, char** argv) {
  return runReportingFailures(ReportChannel::kStandardOutput, [&] {
    // On Windows the arguments come again from the wide command line, so that
    // characters outside the code page arrive as typed.
    std::vector<std::string> arguments = processArguments(argc, argv);
    std::vector<char*> vector;
    for (std::string& argument : arguments) vector.push_back(argument.data());
    vector.push_back(nullptr);
    return launchApplication(hostPlatform(), static_cast<int>(arguments.size()), vector.data(),
                             ReportChannel::kStandardOutput);
  });
}
