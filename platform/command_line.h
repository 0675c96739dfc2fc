#ifndef VEXIL_PLATFORM_COMMAND_LINE_H_
#define VEXIL_PLATFORM_COMMAND_LINE_H_

#include <string>

/// The process's whole command line as Windows keeps it, program name
/// included, byte for byte. Windows only: only the windowed program, built
/// for Windows alone, splits its command line itself.
std::string processCommandLine();

#endif  // VEXIL_PLATFORM_COMMAND_LINE_H_
