#ifndef VEXIL_TESTS_E2E_HARNESS_SYSTEM_H_
#define VEXIL_TESTS_E2E_HARNESS_SYSTEM_H_

// Header only: declares what launch_harness_linux.cpp and launch_harness_win32.cpp define.

// What the launch harness needs from the operating system: one implementation
// per system (launch_harness_linux.cpp, launch_harness_win32.cpp). Operations
// that can fail return an empty string on success, else what went wrong.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace harness_system {

/// The file name a launcher copy gets when the test names none.
std::string defaultProgramFileName();
char pathSeparator();
/// The line end the console build writes to standard output.
const char* consoleLineEnd();

/// The path the programs under test see for PATH, a path as the build wrote it
/// (under Wine: Z:\... for a Linux path); symbolic links resolved where the
/// system reports executable paths that way.
std::string nativePath(const std::string& path);

std::string removeTree(const std::string& path);
std::string makeDirectories(const std::string& path);
std::string writeFile(const std::string& path, const std::string& contents);
/// Copies a file; the copy of a program stays runnable.
std::string copyFile(const std::string& from, const std::string& to);

struct ProcessRequest {
  std::string program;                     ///< full path
  std::vector<std::string> arguments;      ///< after the program name
  std::optional<std::string> commandLine;  ///< Windows: used literally instead of PROGRAM and ARGUMENTS
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;  ///< changes; nullopt removes
  std::string workingDirectory;
  int timeoutSeconds = 60;
  std::vector<OutputTrigger> triggers;  ///< taken in order while the program runs
};

/// Runs the program to its end, closing every message box it shows and taking
/// the request's triggers.
LaunchResult runProcess(const ProcessRequest& request);

/// The next trigger of STEPS, from NEXT on, whose marker OUT or ERR holds; advances NEXT.
/// Null when there is none due.
const OutputTrigger* dueTrigger(const std::vector<OutputTrigger>& steps, size_t& next, const std::string& out,
                                const std::string& err);
/// Why a run that ended with NEXT steps taken did not take them all; empty when it did.
std::string untakenTriggers(const std::vector<OutputTrigger>& steps, size_t next);

/// Imports a .reg file (Windows); elsewhere says it cannot.
std::string importRegistryFile(const std::string& path);

/// Done once in main before the tests run.
void prepareTestProcess();

}  // namespace harness_system

#endif  // VEXIL_TESTS_E2E_HARNESS_SYSTEM_H_
