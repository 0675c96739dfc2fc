#include <windows.h>

#include "platform/command_line.h"
#include "platform/windows_text.h"

std::string processCommandLine() {
  // The wide line holds every character typed; the ANSI one only those of the code page.
  const wchar_t* commandLine = GetCommandLineW();
  return commandLine != nullptr ? utf8FromWide(commandLine, wcslen(commandLine)) : std::string();
}

// The C runtime's own split of the wide command line (msvcrt), the one a
// wmain program gets; its rules are those of the ANSI split main gets.
struct StartupInfo {
  int newMode;
};
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expandWildcards,
                              StartupInfo* startupInfo);

std::vector<std::string> processArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wideArguments = nullptr;
  wchar_t** environment = nullptr;
  StartupInfo startupInfo{0};
  std::vector<std::string> arguments;
  if (__wgetmainargs(&count, &wideArguments, &environment, 0, &startupInfo) >= 0 && wideArguments != nullptr) {
    for (int i = 0; i < count; ++i) {
      const wchar_t* argument = wideArguments[i] != nullptr ? wideArguments[i] : L"";
      arguments.push_back(utf8FromWide(argument, wcslen(argument)));
    }
    return arguments;
  }
  // Not to be had: the ANSI arguments, as the code page gives them.
  for (int i = 0; i < argc; ++i) arguments.push_back(utf8FromAnsi(argv[i] != nullptr ? argv[i] : ""));
  return arguments;
}
