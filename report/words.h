#ifndef VEXIL_REPORT_WORDS_H_
#define VEXIL_REPORT_WORDS_H_

// Header only: a table of words, like report/messages.h.

#include <string>

// The words the launcher's settings, variables and runtime wishes are made
// of: what users write in a configuration file. Keys, variable names and
// wishes are compared exactly, with case; the search groups without.

// Configuration keys, in the order a property's name is compared with them.
inline constexpr const char kKeyMainClass[] = "vexil.main.class";
inline constexpr const char kKeyJavaBundle[] = "vexil.java.bundle";
inline constexpr const char kKeyBinJvmDir[] = "vexil.bin.jvm.dir";
inline constexpr const char kKeyJvmPath[] = "vexil.jvm.path";
inline constexpr const char kKeyJavaHomePath[] = "vexil.java.home.path";
inline constexpr const char kKeyMinJavaVersion[] = "vexil.min.java.version";
inline constexpr const char kKeyMaxJavaVersion[] = "vexil.max.java.version";
inline constexpr const char kKeyTrapConsoleCtrl[] = "vexil.trap.console.ctrl";
inline constexpr const char kKeyClasspathJarsDir[] = "vexil.classpath.jars.dir";
inline constexpr const char kKeyDebugFile[] = "vexil.debug.file";
inline constexpr const char kKeyLibraryPathDir[] = "vexil.library.path.dir";
inline constexpr const char kKeyStartupCache[] = "vexil.startup.cache";
// One instance per user and session, and where to get Java.
inline constexpr const char kKeySingleInstance[] = "vexil.single.instance";
inline constexpr const char kKeySingleInstanceHandler[] = "vexil.single.instance.handler";
inline constexpr const char kKeyJavaDownloadUrl[] = "vexil.java.download.url";
// Where discovery looks for runtimes, and the homes tried before it.
inline constexpr const char kKeyJavaSearch[] = "vexil.java.search";
inline constexpr const char kKeyJavaHomeFallback[] = "vexil.java.home.fallback";
// The splash screen: the setting, and the option line of the JDK's launcher that means the same.
inline constexpr const char kKeySplashImage[] = "vexil.splash.image";
inline constexpr const char kSplashOptionPrefix[] = "-splash:";

/// Every launcher setting begins with this word.
inline constexpr const char kCustomPropertyPrefix[] = "vexil";

/// The blanks trimmed from both ends of lines, names, values and references.
inline constexpr const char kBlanks[] = " \t\n";

// The runtime's path properties, as option lines set them ("-Dname=value").
inline constexpr const char kClassPathProperty[] = "-Djava.class.path";
inline constexpr const char kLibraryPathProperty[] = "-Djava.library.path";

/// The words that switch a yes-or-no setting on (vexil.trap.console.ctrl,
/// vexil.single.instance), compared exactly; any other value is false.
inline constexpr const char* const kTrueWords[] = {"Y", "y", "YES", "yes", "t", "T", "true", "TRUE"};

inline bool isTrueWord(const std::string& value) {
  for (const char* word : kTrueWords) {
    if (value == word) return true;
  }
  return false;
}

// Variable names of "${...}" references.
inline constexpr const char kVarFoundJavaHome[] = "FOUND_JAVA_HOME";
inline constexpr const char kVarSelfHome[] = "SELF_HOME";
inline constexpr const char kVarFoundExeFolder[] = "FOUND_EXE_FOLDER";
inline constexpr const char kVarEnvPrefix[] = "env.";

// Java bundles: the kind of a runtime, and the words of the wishes about it.
inline constexpr const char kBundleJre[] = "jre";
inline constexpr const char kBundleSdk[] = "sdk";
inline constexpr const char kPreferJre[] = "prefer_jre";
inline constexpr const char kPreferSdk[] = "prefer_sdk";
inline constexpr const char kRequireJre[] = "require_jre";
inline constexpr const char kRequireSdk[] = "require_sdk";

// JVM types: the directory of a JVM library, and the words of the wishes about it.
inline constexpr const char kJvmDirClient[] = "client";
inline constexpr const char kJvmDirServer[] = "server";
inline constexpr const char kPreferClient[] = "prefer_client";
inline constexpr const char kPreferServer[] = "prefer_server";
inline constexpr const char kRequireClient[] = "require_client";
inline constexpr const char kRequireServer[] = "require_server";

// The groups of places that discovery reads, as "vexil.java.search" names
// them; they are read in this order.
inline constexpr const char kSearchRegistry[] = "registry";
inline constexpr const char kSearchEnvironment[] = "environment";
inline constexpr const char kSearchFolders[] = "folders";
inline constexpr const char kSearchPath[] = "path";

#endif  // VEXIL_REPORT_WORDS_H_
