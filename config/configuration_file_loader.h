#ifndef VEXIL_CONFIG_CONFIGURATION_FILE_LOADER_H_
#define VEXIL_CONFIG_CONFIGURATION_FILE_LOADER_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

class LauncherProperties;

/// Called once every line that needs no chosen runtime has been applied,
/// before the runtime is chosen; false ends the load there.
using BeforeRuntimeChoice = std::function<bool(const LauncherProperties& properties)>;

/// How a load that raised no failure ended.
enum class LoadEnd {
  kComplete,                 ///< every line applied, the runtime chosen
  kEndedBeforeRuntimeChoice  ///< the step before the runtime choice ended it
};

/// Reads the ".lap" file beside the executable and applies its lines to the
/// launcher properties, choosing the JVM between the lines that need no chosen
/// JVM and those that refer to its home.
class ConfigurationFileLoader {
 public:
  explicit ConfigurationFileLoader(LauncherProperties& properties);
  virtual ~ConfigurationFileLoader() = default;

  /// The executable's path with a final ".exe" (any case) replaced by ".lap",
  /// or with ".lap" appended.
  const std::string& getConfigurationFileName();

  /// Reads the file and applies its lines in their processing order.
  LoadEnd load();

  void setBeforeRuntimeChoice(BeforeRuntimeChoice step) { m_beforeRuntimeChoice = std::move(step); }

  /// Splits file contents into trimmed property lines: blank lines and
  /// comments are dropped, a CR before a line feed too, and a NUL ends a line.
  static std::vector<std::string> readPropertyLines(const std::string& contents);

  /// Applies one stored property line, resolving its variables in place.
  void processProperty(std::string& line);

  static std::string parsePropertyName(const std::string& line);
  static std::string parsePropertyValue(const std::string& line);
  static bool hasEqualsSign(const std::string& line);
  static bool isComment(const std::string& line);
  static bool isJvmOptionLine(const std::string& line);
  /// Removes spaces, tabs and line feeds from both ends of TEXT.
  static std::string& trim(std::string& text);

  /// Applies the setting NAME (a configuration key) with VALUE to the record;
  /// false when NAME is no key, and nothing changes.
  static bool applySetting(LauncherProperties& properties, const std::string& name, const std::string& value);

 private:
  /// The seven steps: settings and options that need no chosen JVM, the
  /// selection, then the lines that refer to the chosen JVM's home.
  LoadEnd applyLines(std::vector<std::string> lines);

  std::string m_configurationFileName;
  BeforeRuntimeChoice m_beforeRuntimeChoice;
  LauncherProperties& m_properties;
};

/// Appends every jar file of DIRECTORY, in the order the file system lists
/// them, to the class path jars of PROPERTIES; an empty DIRECTORY adds none.
/// Raises when a jar's path holds the path list separator.
void addJarsInDirectory(LauncherProperties& properties, const std::string& directory);

/// Reads the configuration file beside the executable named in PROPERTIES
/// and applies it, choosing the JVM: a loader for this one call.
LoadEnd loadProperties(LauncherProperties& properties, const BeforeRuntimeChoice& beforeRuntimeChoice = {});

#endif  // VEXIL_CONFIG_CONFIGURATION_FILE_LOADER_H_
