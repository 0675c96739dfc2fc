#include "platform/conventions.h"

namespace {

// The name Java 8 gives the architecture directory of this build's processor.
#if defined(__x86_64__) || defined(_M_X64)
const char kJavaArch[] = "amd64";
#elif defined(__aarch64__)
const char kJavaArch[] = "aarch64";
#elif defined(__i386__) || defined(_M_IX86)
const char kJavaArch[] = "i386";
#elif defined(__arm__)
const char kJavaArch[] = "arm";
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
const char kJavaArch[] = "ppc64le";
#elif defined(__s390x__)
const char kJavaArch[] = "s390x";
#else
const char kJavaArch[] = "unknown";
#endif

/// Windows: the vendors' folders below the program folders (for every user,
/// then 32-bit, then per user), then the folders of IDEs, scoop and build tools.
std::vector<JavaFolder> windowsJavaFolders() {
  std::vector<JavaFolder> folders;
  for (const char* base : {"$ProgramFiles", "$ProgramFiles(x86)", "$LOCALAPPDATA\\Programs"}) {
    for (const char* vendor : {"Java", "Eclipse Adoptium", "Eclipse Foundation", "AdoptOpenJDK", "Microsoft", "Zulu",
                               "BellSoft", "Amazon Corretto", "Semeru", "SapMachine", "RedHat"}) {
      folders.push_back(JavaFolder{{base}, std::string(vendor) + "\\*"});
    }
  }
  folders.push_back(JavaFolder{{"$USERPROFILE\\.jdks"}, "*"});
  folders.push_back(JavaFolder{{"$USERPROFILE\\scoop"}, "apps\\*\\current"});
  folders.push_back(JavaFolder{{"$SCOOP"}, "apps\\*\\current"});
  folders.push_back(JavaFolder{{"$USERPROFILE\\.gradle\\jdks"}, "*"});
  folders.push_back(JavaFolder{{"$USERPROFILE\\.m2\\jdks"}, "*"});
  return folders;
}

/// Linux: unpacked archives, then the version managers, IDEs and build tools
/// below the user's home (or where their own variables move them).
std::vector<JavaFolder> linuxJavaFolders() {
  return {
      {{"/usr/jdk"}, "*"},
      {{"/opt/java"}, "*"},
      {{"/opt"}, "jdk*"},
      {{"$SDKMAN_CANDIDATES_DIR", "$HOME/.sdkman/candidates"}, "java/*"},
      {{"$HOME/.jdks"}, "*"},
      {{"$HOME/.gradle/jdks"}, "*"},
      {{"$HOME/.m2/jdks"}, "*"},
      {{"$ASDF_DATA_DIR", "$HOME/.asdf"}, "installs/java/*"},
      {{"$MISE_DATA_DIR", "$XDG_DATA_HOME/mise", "$HOME/.local/share/mise"}, "installs/java/*"},
      {{"$HOME/.jabba/jdk"}, "*"},
      {{"$HOME/.jenv/versions"}, "*"},
      {{"$HOME/.jbang/cache/jdks"}, "*"},
      // Homebrew keeps the home below libexec of its formula's folder.
      {{"/home/linuxbrew/.linuxbrew/opt"}, "openjdk*/libexec"},
  };
}

}  // namespace

const Conventions& windowsConventions() {
  static const Conventions conventions{
      '\\', ';', "jvm.dll",  "javac.exe",         {"\\bin\\"}, {"\\jre\\bin\\"}, {"\\bin\\", "\\jre\\bin\\"},
      true, {},  "java.exe", windowsJavaFolders()};
  return conventions;
}

const Conventions& linuxConventions() {
  // Java 9 and later keep the JVM directories in lib/; Java 8 in an
  // architecture directory, below jre/ in a development kit.
  static const std::string arch = std::string("/lib/") + kJavaArch + "/";
  static const Conventions conventions{'/',
                                       ':',
                                       "libjvm.so",
                                       "javac",
                                       {"/lib/", arch},
                                       {"/lib/", "/jre" + arch, arch},
                                       {"/lib/", "/jre" + arch, arch},
                                       false,
                                       {"/usr/lib/jvm", "/usr/java"},
                                       "java",
                                       linuxJavaFolders()};
  return conventions;
}

const Conventions& hostConventions() {
#if defined(_WIN32)
  return windowsConventions();
#else
  return linuxConventions();
#endif
}
