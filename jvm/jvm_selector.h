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

  /// A record for the configured JVM path, which must be set. Fails when no
  /// file is there or it is made for another machine.
  Jvm getJvmFromCustomJvmPath() const;
  /// A record for the JVM below the configured Java home, which must be set,
  /// looking in the JVM directories in the order the JVM type wish asks.
  /// Fails when none holds a library for this machine.
  Jvm getJvmFromCustomJavaHome() const;
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
  /// Fails with the report of no acceptable runtime, listing the rejections.
  [[noreturn]] void raiseNoneAcceptable() const;
  /// Makes JVM unacceptable, and says why, when its version is out of the bounds.
  void applyBounds(Jvm& jvm) const;
  /// Appends the bundle and JVM type codes, BUNDLE_FIRST deciding their
  /// order, and says which requirement an unacceptable record misses.
  void rateByWishes(Jvm& jvm, bool bundleFirst) const;
  void reject(const Jvm& jvm, const std::string& reason) const;
  /// What the library at PATH is made for, for a report, when its header
  /// names another machine than the launcher's; none when it is for this one
  /// or its header does not tell.
  std::optional<std::string> machineMismatch(const std::string& path) const;

  JvmSettings m_settings;
  const Platform& m_platform;
  /// What the steps saw, not what they chose: kept by the const steps.
  mutable std::vector<std::string> m_rejections;
  mutable std::set<std::string> m_rejected;  ///< the same lines, to say each once in linear time
  /// The libraries below the configured Java home that were made for another machine.
  mutable std::vector<std::string> m_mismatchedLibraries;
};

#endif  // VEXIL_JVM_JVM_SELECTOR_H_
