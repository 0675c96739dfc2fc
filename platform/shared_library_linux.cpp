#include <dlfcn.h>

#include "platform/shared_library.h"

// A runtime library finds the libraries of its own installation through the
// search path recorded in it; nothing needs to be added here.
LibraryHandle loadRuntimeLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL); }

std::string libraryLoadFailureReason() {
  const char* reason = dlerror();
  return reason ? reason : "unknown reason";
}

void* findLibrarySymbol(LibraryHandle library, const char* name) { return dlsym(library, name); }

void freeLibrary(LibraryHandle library) { dlclose(library); }
