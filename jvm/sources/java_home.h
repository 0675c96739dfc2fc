#ifndef VEXIL_JVM_SOURCES_JAVA_HOME_H_
#define VEXIL_JVM_SOURCES_JAVA_HOME_H_

// What a Java home is, read from its files alone: never by running or loading
// anything of it.

#include <optional>
#include <set>
#include <string>

#include "jvm/jvm.h"
#include "platform/conventions.h"
#include "platform/file_system.h"

/// JAVA_VERSION of the "release" file in HOME: the first line that sets it,
/// without blanks around the line and the value and without one pair of
/// quotes around the value. Reads at most the first 64 KiB. None when the
/// file cannot be read, sets no JAVA_VERSION, or its first one is empty.
std::optional<std::string> releaseVersion(const FileSystem& fileSystem, const Conventions& conventions,
                                          const std::string& home);

/// Whether DIRECTORY (ending in a separator) holds a client or a server JVM library.
bool holdsJvmLibrary(const FileSystem& fileSystem, const Conventions& conventions, const std::string& directory);

/// Whether HOME looks like a Java home: a "release" file, or a JVM library
/// where a configured Java home's is looked for.
bool looksLikeJavaHome(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home);

/// A record of what the files of HOME say about the runtime there: the home
/// without a separator at its end; the version of its "release" file, else
/// NAMED_VERSION (a key's or a folder's name) from its first digit on; "sdk"
/// when it holds the Java compiler, else "jre"; the directory that holds its
/// JVM directories. None when nothing exists at HOME. The caller sets the source.
std::optional<Jvm> probeHome(const FileSystem& fileSystem, const Conventions& conventions, const std::string& home,
                             const std::string& namedVersion);

/// Whether PATH is absolute under CONVENTIONS ("/..."; "C:\...", "\\server\...").
/// A relative one would be read from the current directory, which never
/// decides which runtime runs.
bool isAbsolutePath(const std::string& path, const Conventions& conventions);

/// PATH without separators at its end; a drive's root keeps its own ("C:\").
std::string withoutTrailingSeparators(std::string path, char separator);

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

#endif  // VEXIL_JVM_SOURCES_JAVA_HOME_H_
