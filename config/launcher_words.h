#ifndef VEXIL_CONFIG_LAUNCHER_WORDS_H_
#define VEXIL_CONFIG_LAUNCHER_WORDS_H_

// The words the launcher's settings, records and variables are made of. Keys,
// words and variable names are compared exactly, with case.

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

/// Every launcher setting begins with this word.
inline constexpr const char kCustomPropertyPrefix[] = "vexil";

// Java bundles: the kind of a runtime, and the wishes about it.
inline constexpr const char kBundleJre[] = "jre";
inline constexpr const char kBundleSdk[] = "sdk";
inline constexpr const char kPreferJre[] = "prefer_jre";
inline constexpr const char kPreferSdk[] = "prefer_sdk";
inline constexpr const char kRequireJre[] = "require_jre";
inline constexpr const char kRequireSdk[] = "require_sdk";

// JVM types: the directory of a JVM library, and the wishes about it.
inline constexpr const char kJvmDirClient[] = "client";
inline constexpr const char kJvmDirServer[] = "server";
inline constexpr const char kPreferClient[] = "prefer_client";
inline constexpr const char kPreferServer[] = "prefer_server";
inline constexpr const char kRequireClient[] = "require_client";
inline constexpr const char kRequireServer[] = "require_server";

// Variable names of "${...}" references.
inline constexpr const char kVarFoundJavaHome[] = "FOUND_JAVA_HOME";
inline constexpr const char kVarSelfHome[] = "SELF_HOME";
inline constexpr const char kVarFoundExeFolder[] = "FOUND_EXE_FOLDER";
inline constexpr const char kVarEnvPrefix[] = "env.";

#endif  // VEXIL_CONFIG_LAUNCHER_WORDS_H_
