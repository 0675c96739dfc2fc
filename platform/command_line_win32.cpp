#include <windows.h>

#include "platform/command_line.h"

std::string processCommandLine() {
  const char* commandLine = GetCommandLineA();
  return commandLine != nullptr ? std::string(commandLine) : std::string();
}
