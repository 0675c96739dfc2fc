#ifndef VEXIL_CONFIG_PROPERTY_VARIABLE_RESOLVER_H_
#define VEXIL_CONFIG_PROPERTY_VARIABLE_RESOLVER_H_

#include <string>

class LauncherProperties;

/// Replaces "${NAME}" references in configuration lines: FOUND_JAVA_HOME (the
/// chosen JVM's home, known only after the selection), env.NAME (an
/// environment variable), SELF_HOME and FOUND_EXE_FOLDER. Unknown names give
/// the empty text.
class PropertyVariableResolver {
 public:
  explicit PropertyVariableResolver(const LauncherProperties& properties) : m_properties(properties) {}
  virtual ~PropertyVariableResolver() = default;

  /// Whether LINE holds a "${" with a "}" after it.
  bool hasVariables(const std::string& line) const;

  /// Whether a reference of LINE names FOUND_JAVA_HOME, blanks around the
  /// name ignored.
  bool hasLateVariables(const std::string& line) const;

  /// Replaces every reference of LINE, left to right, in place. Inserted
  /// values are not searched again; a "${" without a "}" stays as written.
  std::string& resolveVariables(std::string& line) const;

  /// The value of REFERENCE: the text from "${" up to the "}", trimmed.
  std::string getVariableValue(const std::string& reference) const;

 private:
  const LauncherProperties& m_properties;
};

#endif  // VEXIL_CONFIG_PROPERTY_VARIABLE_RESOLVER_H_
