#ifndef VEXIL_JVM_JVM_H_
#define VEXIL_JVM_JVM_H_

#include <string>

#include "jvm/jvm_settings.h"

struct Conventions;
struct Platform;

/// One Java runtime found on the machine together with one JVM library of it.
/// A plain value: copied member by member. The operations that look at the
/// file system take the platform to ask; the record does not keep it.
class Jvm {
 public:
  const std::string& getJavaBundle() const { return m_javaBundle; }
  const std::string& getBinJvmDir() const { return m_binJvmDir; }
  const std::string& getVersion() const { return m_version; }
  const std::string& getComparableVersion() const { return m_comparableVersion; }
  const std::string& getJvmPath() const { return m_jvmPath; }
  const std::string& getJavaHomePath() const { return m_javaHomePath; }
  /// The directory that holds the JVM directories as set or resolved so far;
  /// empty before (see resolveJrePath).
  const std::string& getJrePath() const { return m_jrePath; }
  bool isAcceptable() const { return m_acceptable; }
  /// What found the runtime: a registry key, a folder, a variable, a setting.
  /// Not part of the dump.
  const std::string& getSource() const { return m_source; }

  void setJavaBundle(const std::string& bundle) { m_javaBundle = bundle; }
  void setBinJvmDir(const std::string& dir) { m_binJvmDir = dir; }
  void setVersion(const std::string& version) { m_version = version; }
  void setComparableVersion(const std::string& version) { m_comparableVersion = version; }
  void setJvmPath(const std::string& path) { m_jvmPath = path; }
  void setJavaHomePath(const std::string& path) { m_javaHomePath = path; }
  /// Sets the directory that holds the JVM directories, for a home whose
  /// layout was probed rather than told by its bundle.
  void setJrePath(const std::string& path) { m_jrePath = path; }
  void setAcceptable(bool acceptable) { m_acceptable = acceptable; }
  void setSource(const std::string& source) { m_source = source; }

  /// Appends "B<code>." for how well the bundle ("sdk"/"jre") meets the
  /// desired Java bundle; a missed requirement makes the record unacceptable.
  void adjustComparableVersionBundle(BundleWish desiredBundle);
  /// Appends "D<code>." for how well the JVM directory ("client"/"server")
  /// meets the desired JVM type; a missed requirement makes the record
  /// unacceptable.
  void adjustComparableVersionJvmDir(JvmTypeWish desiredJvmDir);

  /// The directory below the home that holds the JVM directories, ending in
  /// a separator. Worked out once from the bundle and the home's layout, then
  /// kept even if the home changes; a record without a bundle fails.
  const std::string& resolveJrePath(const Platform& platform);
  /// The JVM library inside the JVM directory JVM_DIR ("client"/"server").
  std::string resolveJvmDllPath(const Platform& platform, const std::string& jvmDir);
  bool jvmDllExists(const Platform& platform, const std::string& jvmDir);

  /// A new record with only the home, the bundle, the version and the source
  /// of this one.
  Jvm duplicate() const;

  /// The one-line dump written to the diagnostics log.
  std::string toString() const;

 private:
  /// Appends LETTER and the code of how well this record, of the wish's first
  /// kind or not (IS_FIRST), meets WISH, which without a wish prefers the
  /// first kind or not (NO_WISH_PREFERS_FIRST). 3: required and met, 2:
  /// preferred and met, 1: preferred and missed, 0: required and missed.
  void appendWishCode(char letter, bool isFirst, Wish wish, bool noWishPrefersFirst, const char* unknownWishText);

  std::string m_javaBundle;
  std::string m_binJvmDir;
  std::string m_version;
  std::string m_comparableVersion;
  std::string m_jvmPath;
  std::string m_javaHomePath;
  std::string m_jrePath;
  bool m_acceptable = true;
  std::string m_source;
};

/// The JVM library in the JVM directory JVM_DIR ("client"/"server") of
/// DIRECTORY, which ends in a separator.
std::string jvmLibraryIn(const Conventions& conventions, const std::string& directory, const std::string& jvmDir);

#endif  // VEXIL_JVM_JVM_H_
