#include <dlfcn.h>

#include "platform/shared_library.h"

// A runtime library finds the libraries of its own installation through the
// search path recorded in it; nothing needs to be added here.
Outcome<LibraryHandle, LibraryLoadFailure> loadRuntimeLibrary(const std::string& path) {
  if (LibraryHandle library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL)) return library;
  const char* reason = dlerror();
  // The system names a library for another processor in its own words ("wrong ELF class").
  return Outcome<LibraryHandle, LibraryLoadFailure>::failed({reason ? reason : "", Machine::Unknown});
}

void* findLibrarySymbol(LibraryHandle library, const char* name) { return dlsym(library, name); }

void freeLibrary(LibraryHandle library) { dlclose(library); }
