#ifndef VEXIL_JVM_JVM_SELECTOR_H_
#define VEXIL_JVM_JVM_SELECTOR_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jvm/jvm.h"
#include "jvm/jvm_settings.h"
#include "platform/platform.h"

/// Chooses the JVM library to load: the configured library path, else the
/// configured Java home, else the best runtime installed on the machine.
class JvmSelector {
 public:
  /// A selection under SETTINGS that asks PLATFORM, which must outlive it.
  JvmSelector(JvmSettings settings, const Platform& platform) : m_settings(std::move(settings)), m_platform(platform) {}
  virtual ~JvmSelector() = default;

  /// The chosen JVM. Never returns empty handed: when nothing is acceptable
  /// the selection fails with a report.
  Jvm getMostAppropriateJvm() const;

  // The steps of the choice, in the order getMostAppropriateJvm takes them.

  /// A record for the configured JVM path when it is set and exists.
  std::optional<Jvm> getJvmFromCustomJvmPath() const;
  /// A record for the JVM below the configured Java home when it is set,
  /// looking in the JVM directories in the order the JVM type wish asks.
  std::optional<Jvm> getJvmFromCustomJavaHome() const;
  /// A record for the JVM library of JVM_DIR below HOME, if there is one.
  std::optional<Jvm> getJvmFromJavaHome(const std::string& home, const std::string& jvmDir) const;
  /// Appends the installed runtimes: development kits first, the registry's
  /// before those of the installation directories.
  void locateJvms(std::vector<Jvm>& jvms) const;
  /// Gives each record one JVM directory: a runtime with both a client and a
  /// server JVM becomes two records (the server ones appended at the end), a
  /// runtime with neither is dropped.
  void separateClientAndServerJvms(std::vector<Jvm>& jvms) const;
  /// Applies the version bounds and ranks each record by version and by the
  /// bundle and JVM type wishes.
  void determineVersions(std::vector<Jvm>& jvms) const;
  void removeUnacceptableJvms(std::vector<Jvm>& jvms) const;

 private:
  JvmSettings m_settings;
  const Platform& m_platform;
};

#endif  // VEXIL_JVM_JVM_SELECTOR_H_
