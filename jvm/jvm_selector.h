#ifndef VEXIL_JVM_JVM_SELECTOR_H_
#define VEXIL_JVM_JVM_SELECTOR_H_

class Jvm;
class LauncherProperties;

/// Chooses the JVM library to load: the configured library path, else the
/// configured Java home, else the best runtime installed on the machine.
class JvmSelector {
 public:
  explicit JvmSelector(LauncherProperties& properties) : m_properties(properties) {}
  virtual ~JvmSelector() = default;

  /// The chosen JVM, which lives until the process ends. Never returns empty
  /// handed: when nothing is acceptable the launch ends with a report.
  const Jvm& getMostAppropriateJvm();

 private:
  LauncherProperties& m_properties;
};

#endif  // VEXIL_JVM_JVM_SELECTOR_H_
