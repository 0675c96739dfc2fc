#ifndef VEXIL_PLATFORM_CONVENTIONS_H_
#define VEXIL_PLATFORM_CONVENTIONS_H_

#include <string>
#include <vector>

/// A place where runtimes are unpacked without being registered: the folders
/// that PATTERN leads to below the first of BASES that names an absolute
/// folder. A base is an absolute path, or "$NAME" and optionally more path
/// after it: the environment variable NAME. PATTERN is relative, and each of
/// its segments holding "*" stands for every folder whose name it matches.
/// Each folder reached is a candidate Java home.
struct JavaFolder {
  std::vector<std::string> bases;
  std::string pattern;
};

/// The ways in which paths and Java installations differ between systems.
/// Plain data, so that the portable code can be tested with either set on
/// any machine.
struct Conventions {
  /// Separates directories in a path: '\' on Windows, '/' elsewhere.
  char pathSeparator;
  /// Separates entries of the JVM's class and library paths: ';' or ':'.
  char pathListSeparator;
  /// File name of the JVM library inside a JVM directory ("client"/"server").
  std::string jvmLibraryName;
  /// File name of the Java compiler in a development kit's bin directory.
  std::string javaCompilerName;
  /// Where the JVM directories lie below the home of a runtime environment
  /// ("jre") and of a development kit ("sdk"), tried in order. Each begins and
  /// ends with a separator, e.g. "\bin\".
  std::vector<std::string> jreJvmParents;
  std::vector<std::string> sdkJvmParents;
  /// Where the JVM directories lie below a Java home named in the
  /// configuration, tried in order.
  std::vector<std::string> javaHomeJvmParents;
  /// Whether "vexil.jvm.path" is lower-cased when stored. Only sound where
  /// file names ignore case.
  bool lowerCaseJvmPath;
  /// The directories whose subdirectories are Java installations, where no
  /// registry lists them (e.g. "/usr/lib/jvm"); no separator at the end.
  std::vector<std::string> installationRoots;
  /// The program that starts a runtime, in its bin directory: what a folder
  /// of PATH holds when it leads to a Java home.
  std::string javaLauncherName;
  /// The places where unpacked, per-user and tool-managed runtimes lie, in
  /// the order they are read.
  std::vector<JavaFolder> javaFolders;
};

const Conventions& windowsConventions();
/// Linux on the processor architecture this program was built for: Java 8
/// keeps its JVM directories below lib/<arch> (lib/amd64, lib/aarch64, ...),
/// and a JVM library must match the process that loads it.
const Conventions& linuxConventions();

/// The conventions of the system this program was built for.
const Conventions& hostConventions();

#endif  // VEXIL_PLATFORM_CONVENTIONS_H_
