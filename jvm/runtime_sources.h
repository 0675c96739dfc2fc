#ifndef VEXIL_JVM_RUNTIME_SOURCES_H_
#define VEXIL_JVM_RUNTIME_SOURCES_H_

// The places where today's Java runtimes are, read after the two JavaSoft
// trees of the old installers: the keys that Oracle 9+, Corretto, Adoptium,
// Microsoft, Semeru, SapMachine, Zulu and Liberica installers write (below
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in the 64-bit and the 32-bit
// view), the JAVA_HOME environment variable, the folders where runtimes are
// unpacked by hand, by IDEs, version managers and build tools, and the
// folders of PATH. Each names a home only; what the runtime is comes from the
// home's files, never from running or loading anything of it.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/conventions.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/registry.h"

/// One runtime home named by a source, and what its files say.
struct FoundRuntime {
  std::string home;     ///< without a separator at its end
  std::string version;  ///< JAVA_VERSION of the home's "release" file, else taken from the key or folder name
  std::string bundle;   ///< "sdk" when the home holds the Java compiler, else "jre"
  std::string jrePath;  ///< the directory holding the JVM directories, ending in a separator
  std::string source;   ///< what named the home: a key, a variable, a folder
};

/// The homes already found, each once however it was reached: by the path
/// the file system resolves it to (through links and junctions), else as
/// written, without a separator at its end; where file names ignore case,
/// in lower case.
class FoundHomes {
 public:
  FoundHomes(const FileSystem& fileSystem, const Conventions& conventions)
      : m_fileSystem(fileSystem),
        m_conventions(conventions) {}
  /// True when HOME was not found before; it is from now on.
  bool add(const std::string& home);

 private:
  const FileSystem& m_fileSystem;
  const Conventions& m_conventions;
  std::set<std::string> m_homes;
};

/// Whether PATH is absolute under CONVENTIONS ("/..."; "C:\...", "\\server\...").
/// A relative one would be read from the current directory, which never
/// decides which runtime runs.
bool isAbsolutePath(const std::string& path, const Conventions& conventions);

/// JAVA_VERSION of the "release" file in HOME, without its quotes; empty when
/// there is none.
std::string releaseVersion(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home);

/// What the files of HOME say about the runtime there, with the version text
/// NAMED_VERSION (a key's or a folder's name, used from its first digit on)
/// when the home has no "release" file. None when nothing exists at HOME.
std::optional<FoundRuntime> probeHome(const FileSystem& fileSystem, const Conventions& conventions,
                                      const std::string& home, const std::string& namedVersion);

/// The runtimes that the installers' keys name, in the order of the sources
/// (for each: HKLM 64-bit, HKLM 32-bit, HKCU 64-bit, HKCU 32-bit), skipping
/// broken entries (an absent or unreadable key or value, a missing home) and
/// the homes in FOUND, which gains each new one. Nothing here fails.
std::vector<FoundRuntime> findRegisteredRuntimes(Registry& registry, const FileSystem& fileSystem,
                                                 const Conventions& conventions, FoundHomes& found);

/// The runtime that JAVA_HOME names, unless it is unset, relative, no
/// directory, or among FOUND.
std::optional<FoundRuntime> findJavaHomeRuntime(const Environment& environment, const FileSystem& fileSystem,
                                                const Conventions& conventions, FoundHomes& found);

/// The runtimes in the folders of the conventions' javaFolders, in their
/// order and each folder's name order: every folder reached that holds a
/// "release" file or a JVM library, unless among FOUND. Other folders, and
/// bases that are unset or relative, are skipped silently.
std::vector<FoundRuntime> findFolderRuntimes(const Platform& platform, FoundHomes& found);

/// The runtimes whose launcher (bin/java, bin\java.exe) lies in a folder of
/// PATH, in PATH's order: the launcher's path resolved through every link,
/// its home the parent of its bin folder. Empty and relative elements are
/// skipped, as are homes among FOUND.
std::vector<FoundRuntime> findPathRuntimes(const Platform& platform, FoundHomes& found);

/// Whether HOME looks like a Java home: a "release" file, or a JVM library
/// where a configured Java home's is looked for.
bool looksLikeJavaHome(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home);

#endif  // VEXIL_JVM_RUNTIME_SOURCES_H_
