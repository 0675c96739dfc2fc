#ifndef VEXIL_PLATFORM_COMMAND_LINE_H_
#define VEXIL_PLATFORM_COMMAND_LINE_H_

// A free function, not a service of the Platform record: only the entry points
// read it, before any platform record is made.

#include <string>
#include <vector>

/// The process's whole command line as Windows keeps it, program name
/// included, read as UTF-16 and given in UTF-8, so that characters outside
/// the ANSI code page arrive intact. Windows only: only the windowed
/// program, built for Windows alone, splits its command line itself.
std::string processCommandLine();

/// The console program's arguments, program name first, in the encoding the
/// rest of the launcher reads. ARGC and ARGV are those main received. On
/// Windows they are read again from the UTF-16 command line, split by the
/// same C runtime rules, and given in UTF-8; elsewhere they are ARGV.
std::vector<std::string> processArguments(int argc, char** argv);

#endif  // VEXIL_PLATFORM_COMMAND_LINE_H_
