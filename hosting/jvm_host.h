#ifndef VEXIL_HOSTING_JVM_HOST_H_
#define VEXIL_HOSTING_JVM_HOST_H_

class LauncherProperties;

/// Hosts the one Java virtual machine of the process and runs the
/// application's main class in it.
class JvmHost {
 public:
  explicit JvmHost(LauncherProperties& properties) : m_properties(&properties) {}
  virtual ~JvmHost() = default;

  /// Loads the chosen runtime, runs the main class and returns when the
  /// runtime has been destroyed.
  void launch();

 private:
  LauncherProperties* m_properties;
};

#endif  // VEXIL_HOSTING_JVM_HOST_H_
