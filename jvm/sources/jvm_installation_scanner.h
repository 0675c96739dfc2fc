#ifndef VEXIL_JVM_SOURCES_JVM_INSTALLATION_SCANNER_H_
#define VEXIL_JVM_SOURCES_JVM_INSTALLATION_SCANNER_H_

#include <string>
#include <vector>

#include "jvm/jvm.h"
#include "platform/platform.h"

/// Collects the Java runtimes installed in the directories the conventions
/// name (on Linux /usr/lib/jvm and /usr/java; none on Windows, where the
/// registry lists them). Each directory that holds a JVM library in one of
/// the layouts of the conventions is one runtime: a development kit ("sdk")
/// when it has bin/javac, else a runtime environment ("jre"). Its version is
/// JAVA_VERSION of its "release" file (the directory name without one), its
/// home the directory as listed. A symbolic link is a runtime of its own;
/// real directories come before links, so that of two equal runtimes the
/// real one comes first. Checks neither versions nor files beyond that.
class JvmInstallationScanner {
 public:
  /// A scan of the directories of PLATFORM's conventions, which must outlive it.
  explicit JvmInstallationScanner(const Platform& platform) : m_platform(platform) {}

  /// Appends the development kits.
  void addJdkJvms(std::vector<Jvm>& jvms) const;
  /// Appends the runtime environments.
  void addJreJvms(std::vector<Jvm>& jvms) const;

 private:
  void addJvms(const char* bundle, std::vector<Jvm>& jvms) const;
  std::string versionOf(const std::string& home, const std::string& name) const;
  bool holdsJvm(const std::string& home, const std::vector<std::string>& parents) const;

  const Platform& m_platform;
};

#endif  // VEXIL_JVM_SOURCES_JVM_INSTALLATION_SCANNER_H_
