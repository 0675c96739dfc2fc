#ifndef VEXIL_JVM_JVM_SELECTOR_H_
#define VEXIL_JVM_JVM_SELECTOR_H_

#include <optional>
#include <string>
#include <vector>

#include "jvm/jvm.h"

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

  // The steps of the choice, in the order getMostAppropriateJvm takes them.

  /// A record for "vexil.jvm.path" when it is set and exists.
  std::optional<Jvm> getJvmFromCustomJvmPath();
  /// A record for the JVM below "vexil.java.home.path" when it is set,
  /// looking in the JVM directories in the order "vexil.bin.jvm.dir" asks.
  std::optional<Jvm> getJvmFromCustomJavaHome();
  /// A record for the JVM library of JVM_DIR below HOME, if there is one.
  std::optional<Jvm> getJvmFromJavaHome(const std::string& home, const std::string& jvmDir);
  /// Appends the installed runtimes: development kits first.
  void locateJvms(std::vector<Jvm>& jvms);
  /// Gives each record one JVM directory: a runtime with both a client and a
  /// server JVM becomes two records (the server ones appended at the end), a
  /// runtime with neither is dropped.
  void separateClientAndServerJvms(std::vector<Jvm>& jvms);
  /// Applies the version bounds and ranks each record by version and by the
  /// bundle and JVM type wishes.
  void determineVersions(std::vector<Jvm>& jvms);
  void removeUnacceptableJvms(std::vector<Jvm>& jvms);

 private:
  LauncherProperties& m_properties;
};

#endif  // VEXIL_JVM_JVM_SELECTOR_H_
