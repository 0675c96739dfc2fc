#ifndef VEXIL_JVM_SOURCES_RUNTIME_SOURCES_H_
#define VEXIL_JVM_SOURCES_RUNTIME_SOURCES_H_

// The places where today's Java runtimes are, read after the two JavaSoft
// trees of the old installers: the keys that Oracle 9+, Corretto, Adoptium,
// Microsoft, Semeru, SapMachine, Zulu and Liberica installers write (below
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in the 64-bit and the 32-bit
// view), the JAVA_HOME environment variable, the folders where runtimes are
// unpacked by hand, by IDEs, version managers and build tools, and the
// folders of PATH. Each names a home only; what the runtime is comes from the
// home's files, never from running or loading anything of it.

#include <optional>
#include <vector>

#include "jvm/jvm.h"
#include "jvm/sources/java_home.h"
#include "platform/conventions.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/registry.h"

// Each source gives records made by probeHome (jvm/java_home.h), with the
// source set: the key, variable or folder that named the home.

/// The runtimes that the installers' keys name, in the order of the sources
/// (for each: HKLM 64-bit, HKLM 32-bit, HKCU 64-bit, HKCU 32-bit), skipping
/// broken entries (an absent or unreadable key or value, a missing home) and
/// the homes in FOUND, which gains each new one. Nothing here fails.
std::vector<Jvm> findRegisteredRuntimes(Registry& registry, const FileSystem& fileSystem,
                                        const Conventions& conventions, FoundHomes& found);

/// The runtime that JAVA_HOME names, unless it is unset, relative, no
/// directory, or among FOUND.
std::optional<Jvm> findJavaHomeRuntime(const Environment& environment, const FileSystem& fileSystem,
                                       const Conventions& conventions, FoundHomes& found);

/// The runtimes in the folders of the conventions' javaFolders, in their
/// order and each folder's name order: every folder reached that holds a
/// "release" file or a JVM library, unless among FOUND. Other folders, and
/// bases that are unset or relative, are skipped silently.
std::vector<Jvm> findFolderRuntimes(const Platform& platform, FoundHomes& found);

/// The runtimes whose launcher (bin/java, bin\java.exe) lies in a folder of
/// PATH, in PATH's order: the launcher's path resolved through every link,
/// its home the parent of its bin folder. Empty and relative elements are
/// skipped, as are homes among FOUND.
std::vector<Jvm> findPathRuntimes(const Platform& platform, FoundHomes& found);

#endif  // VEXIL_JVM_SOURCES_RUNTIME_SOURCES_H_
