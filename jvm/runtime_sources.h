#ifndef VEXIL_JVM_RUNTIME_SOURCES_H_
#define VEXIL_JVM_RUNTIME_SOURCES_H_

// The places where today's Java installers leave their runtimes, read after
// the two JavaSoft trees of the old installers: the keys that Oracle 9+,
// Corretto, Adoptium, Microsoft, Semeru, SapMachine, Zulu and Liberica
// installers write (below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in the
// 64-bit and the 32-bit view), and the JAVA_HOME environment variable.
// Each names a home only; what the runtime is comes from the home itself.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/conventions.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/registry.h"

/// One runtime home named by a source, and what its files say.
struct FoundRuntime {
  std::string home;     ///< without a separator at its end
  std::string version;  ///< JAVA_VERSION of the home's "release" file, else taken from the key or folder name
  std::string bundle;   ///< "sdk" when the home holds the Java compiler, else "jre"
  std::string jrePath;  ///< the directory holding the JVM directories, ending in a separator
};

/// The homes already found, each once however it was written: without a
/// separator at its end and, where file names ignore case, in lower case.
class FoundHomes {
 public:
  explicit FoundHomes(const Conventions& conventions) : m_conventions(conventions) {}
  /// True when HOME was not found before; it is from now on.
  bool add(const std::string& home);

 private:
  const Conventions& m_conventions;
  std::set<std::string> m_homes;
};

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

/// The runtime that JAVA_HOME names, unless it is unset, no directory, or
/// among FOUND.
std::optional<FoundRuntime> findJavaHomeRuntime(const Environment& environment, const FileSystem& fileSystem,
                                                const Conventions& conventions, FoundHomes& found);

#endif  // VEXIL_JVM_RUNTIME_SOURCES_H_
