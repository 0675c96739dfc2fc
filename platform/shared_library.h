#ifndef VEXIL_PLATFORM_SHARED_LIBRARY_H_
#define VEXIL_PLATFORM_SHARED_LIBRARY_H_

// Free functions, not a service of the Platform record: only the hosting of the
// real runtime loads libraries.

#include <string>

#include "platform/machine.h"
#include "platform/outcome.h"

/// A library loaded into the process at run time; null stands for none.
using LibraryHandle = void*;

/// Why a library did not load.
struct LibraryLoadFailure {
  /// The system's reason in its own words (on Windows with the error code);
  /// empty when the system gave none. A Windows text may hold "%1" where the
  /// file's name goes.
  std::string reason;
  /// The launcher's own machine when the file is a library for another one;
  /// Unknown when the system does not tell that apart.
  Machine neededMachine = Machine::Unknown;
};

/// Loads the Java runtime library at PATH. The libraries it needs from its
/// own installation are found too (on Windows: its own folder and the "bin"
/// folder above it), without widening where the process looks for any other
/// library. A loaded library's handle is never null.
Outcome<LibraryHandle, LibraryLoadFailure> loadRuntimeLibrary(const std::string& path);

/// The address of the exported function or variable NAME, or null.
void* findLibrarySymbol(LibraryHandle library, const char* name);

void freeLibrary(LibraryHandle library);

#endif  // VEXIL_PLATFORM_SHARED_LIBRARY_H_
