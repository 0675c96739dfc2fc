#ifndef VEXIL_CONFIG_LAUNCHER_PROPERTIES_H_
#define VEXIL_CONFIG_LAUNCHER_PROPERTIES_H_

#include <optional>
#include <string>
#include <vector>

#include "jvm/jvm.h"
#include "jvm/jvm_settings.h"
#include "platform/platform.h"

/// The one record of a launch: where the executable is, the settings and JVM
/// option lines of the configuration file, the launcher's own arguments and,
/// once the selection has run, the chosen JVM. Settings are kept as text and
/// interpreted where they are used.
class LauncherProperties {
 public:
  /// A record that reads PLATFORM (the running system's, or a fake), which must outlive it.
  explicit LauncherProperties(const Platform& platform);
  LauncherProperties(const LauncherProperties&) = default;
  LauncherProperties& operator=(const LauncherProperties&) = default;
  virtual ~LauncherProperties() = default;

  /// Stores the executable's full path and derives the application home: its
  /// folder, without a last folder named exactly "bin".
  void setNameOfExecutable(const std::string& path);
  void addCommandLineArgument(const std::string& argument);

  // Setters of the configuration keys.
  void setMainClass(const std::string& value);
  void setCustomJavaBundle(const std::string& value);
  void setCustomBinJvmDir(const std::string& value);
  void setCustomJvmPath(const std::string& value);
  void setCustomJavaHomePath(const std::string& value);
  void setMinJavaVersion(const std::string& value);
  void setMaxJavaVersion(const std::string& value);
  void setTrapConsoleCtrl(const std::string& value);
  void setDebugFile(const std::string& value);
  /// "auto" keeps a class-data cache for the application (hosting/class_data_cache.h).
  void setStartupCache(const std::string& value) { m_startupCache = value; }
  // One instance per user and session (platform/single_instance.h), and the
  // page that the report of a missing runtime names.
  void setSingleInstance(const std::string& value) { m_singleInstance = value; }
  void setSingleInstanceHandler(const std::string& value) { m_singleInstanceHandler = value; }
  void setJavaDownloadUrl(const std::string& value) { m_javaDownloadUrl = value; }
  /// The groups of places discovery reads, and the Java homes tried before
  /// it (jvm/jvm_settings.h).
  void setJavaSearch(const std::string& value) { m_javaSearch = value; }
  void setJavaHomeFallback(const std::string& value) { m_javaHomeFallback = value; }
  /// The image shown as the splash screen before the runtime starts; empty for none.
  void setSplashImage(const std::string& value) { m_splashImage = value; }
  /// Appends the jar file at PATH to the class path jars.
  void addClassPathJar(const std::string& path);
  /// Appends DIRECTORY, unchanged, to the library path.
  void addLibraryPathDirectory(const std::string& directory);

  void addJavaSystemProperty(const std::string& option);
  /// Stores a copy of JVM as the chosen one.
  void setFoundJvm(const Jvm& jvm) { m_foundJvm = jvm; }
  /// The chosen JVM; null until the selection has run. Valid while the
  /// record lives and its choice stays.
  const Jvm* getFoundJvm() const { return m_foundJvm ? &*m_foundJvm : nullptr; }

  const std::string& getNameOfExecutable() const { return m_nameOfExecutable; }
  const std::string& getSelfHomePath() const { return m_selfHomePath; }
  const std::string& getCustomJavaHomePath() const { return m_customJavaHomePath; }
  const std::string& getMainClass() const { return m_mainClass; }
  const std::string& getCustomJvmPath() const { return m_customJvmPath; }
  const std::string& getCustomBinJvmDir() const { return m_customBinJvmDir; }
  const std::string& getCustomJavaBundle() const { return m_customJavaBundle; }
  const std::vector<std::string>& getJavaSystemProperties() const { return m_javaSystemProperties; }
  const std::vector<std::string>& getCommandLineArguments() const { return m_commandLineArguments; }
  const std::string& getMinJavaVersion() const { return m_minJavaVersion; }
  const std::string& getMaxJavaVersion() const { return m_maxJavaVersion; }
  const std::string& getTrapConsoleCtrl() const { return m_trapConsoleCtrl; }
  const std::string& getJarsInClasspath() const { return m_jarsInClasspath; }
  const std::string& getDebugFile() const { return m_debugFile; }
  const std::string& getStartupCache() const { return m_startupCache; }
  const std::string& getSingleInstanceHandler() const { return m_singleInstanceHandler; }
  const std::string& getJavaDownloadUrl() const { return m_javaDownloadUrl; }
  /// Whether vexil.single.instance is a word for true, as for the console trap.
  bool isSingleInstance() const;
  const std::string& getJavaSearch() const { return m_javaSearch; }
  const std::string& getJavaHomeFallback() const { return m_javaHomeFallback; }
  const std::string& getSplashImage() const { return m_splashImage; }
  const std::string& getLibraryPath() const { return m_libraryPath; }
  const Platform& getPlatform() const { return *m_platform; }

  /// The main class in the slash form that class lookup expects.
  std::string getJniMainClass() const;

  bool isTrapConsoleCtrl() const;
  bool isJavaBundlePreference() const { return isPreference(bundleWishOf(m_customJavaBundle)); }
  bool isJavaBundleRequirement() const { return isRequirement(bundleWishOf(m_customJavaBundle)); }
  bool isBinJvmDirRequirement() const { return isRequirement(jvmTypeWishOf(m_customBinJvmDir)); }

  /// What the runtime selection reads of this record.
  JvmSettings getJvmSettings() const;

  /// Whether OPTION begins with "-Djava.class.path" / "-Djava.library.path".
  static bool isClassPathOption(const std::string& option);
  static bool isLibraryPathOption(const std::string& option);

  /// The one-line dump written to the diagnostics log.
  std::string toString() const;

 private:
  const Platform* m_platform;

  std::string m_nameOfExecutable;
  std::string m_selfHomePath;
  std::string m_customJavaHomePath;
  std::string m_mainClass;
  std::string m_customJvmPath;
  std::string m_customBinJvmDir;
  std::string m_customJavaBundle;
  std::vector<std::string> m_javaSystemProperties;
  std::vector<std::string> m_commandLineArguments;
  std::string m_minJavaVersion;
  std::string m_maxJavaVersion;
  std::string m_trapConsoleCtrl;
  std::string m_jarsInClasspath;
  std::optional<Jvm> m_foundJvm;
  std::string m_debugFile;
  std::string m_libraryPath;
  std::string m_startupCache;
  std::string m_singleInstance;
  std::string m_singleInstanceHandler;
  std::string m_javaDownloadUrl;
  std::string m_javaSearch;
  std::string m_javaHomeFallback;
  std::string m_splashImage;
};

/// Whether LINE, as written, is a launcher setting: it begins with "vexil".
bool isCustomProperty(const std::string& line);

#endif  // VEXIL_CONFIG_LAUNCHER_PROPERTIES_H_
