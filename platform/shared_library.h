#ifndef VEXIL_PLATFORM_SHARED_LIBRARY_H_
#define VEXIL_PLATFORM_SHARED_LIBRARY_H_

#include <string>

/// A library loaded into the process at run time; null stands for none.
using LibraryHandle = void*;

/// Loads the Java runtime library at PATH. The libraries it needs from its
/// own installation are found too (on Windows: its own folder and the "bin"
/// folder above it), without widening where the process looks for any other
/// library. Null when it cannot be loaded.
LibraryHandle loadRuntimeLibrary(const std::string& path);

/// Why the last load by loadRuntimeLibrary on this thread failed, in the
/// system's words (on Windows with what the error code means for a launcher);
/// to be asked right after the failure.
std::string libraryLoadFailureReason();

/// The address of the exported function or variable NAME, or null.
void* findLibrarySymbol(LibraryHandle library, const char* name);

void freeLibrary(LibraryHandle library);

#endif  // VEXIL_PLATFORM_SHARED_LIBRARY_H_
