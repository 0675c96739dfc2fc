#ifndef VEXIL_JVM_JVM_SELECTOR_H_
#define VEXIL_JVM_JVM_SELECTOR_H_

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "jvm/jvm.h"
#include "jvm/jvm_settings.h"
#include "platform/platform.h"

// Where the records of the settings come from, in listings.
inline constexpr const char kJvmPathSource[] = "vexil.jvm.path";
inline constexpr const char kJavaHomeSource[] = "vexil.java.home.path";
inline constexpr const char kFallbackSource[] = "vexil.java.home.fallback";

/// Chooses the JVM library to load: the configured library path, else the
/// configured Java home, else the first fallback home with an acceptable
/// runtime, else the best runtime installed on the machine.
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
  /// The best runtime of the first home of the fallback setting that holds an
  /// acceptable one (this machine's, within the bounds and requirements);
  /// none when no home does or the setting is empty.
  std::optional<Jvm> getJvmFromFallbackHomes() const;
  /// A record for the JVM library of JVM_DIR below HOME, if there is one.
  std::optional<Jvm> getJvmFromJavaHome(const std::string& home, const std::string& jvmDir) const;
  /// Appends the installed runtimes of the groups that the search setting
  /// names, in this order: the old registry trees (development kits first),
  /// the installation directories, today's installers' keys, JAVA_HOME, the
  /// folders of unpacked and tool-managed runtimes, PATH. Each home once.
  void locateJvms(std::vector<Jvm>& jvms) const;
  /// Gives each record one JVM directory: a runtime with both a client and a
  /// server JVM becomes two records (the server ones appended at the end), a
  /// runtime with neither is dropped.
  void separateClientAndServerJvms(std::vector<Jvm>& jvms) const;
  /// Applies the version bounds and ranks each record by version and by the
  /// bundle and JVM type wishes; a record whose JVM library is made for
  /// another processor than the launcher's is not acceptable.
  void determineVersions(std::vector<Jvm>& jvms) const;
  void removeUnacceptableJvms(std::vector<Jvm>& jvms) const;

  /// One line for each runtime that the steps so far turned down, and why:
  /// "<version> <bundle> in <home>: <reason>". The report of a selection
  /// that finds nothing acceptable lists them.
  const std::vector<std::string>& getRejections() const { return m_rejections; }

 private:
  void reject(const Jvm& jvm, const std::string& reason) const;
  /// Whether the library at PATH is for the launcher's machine, as far as its
  /// header tells; if not, MISMATCH says what it is made for.
  bool isForThisMachine(const std::string& path, std::string* mismatch) const;

  JvmSettings m_settings;
  const Platform& m_platform;
  /// What the steps saw, not what they chose: kept by the const steps.
  mutable std::vector<std::string> m_rejections;
  mutable std::set<std::string> m_rejected;  ///< the same lines, to say each once in linear time
  /// The libraries below the configured Java home that were made for another machine.
  mutable std::vector<std::string> m_mismatchedLibraries;
};

#endif  // VEXIL_JVM_JVM_SELECTOR_H_
