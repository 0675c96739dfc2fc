#ifndef VEXIL_PLATFORM_REGISTRY_INSTALLATIONS_H_
#define VEXIL_PLATFORM_REGISTRY_INSTALLATIONS_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/conventions.h"
#include "platform/file_system.h"
#include "platform/registry.h"

/// The Java installations in a few directories (on Linux /usr/lib/jvm and
/// /usr/java), presented as the two registry trees that Java installers write
/// on Windows:
///   SOFTWARE\JavaSoft\Java Development Kit\<version>   value JavaHome
///   SOFTWARE\JavaSoft\Java Runtime Environment\<version> value JavaHome
/// Each directory that holds a JVM library in one of the layouts of the
/// conventions is one installation: a development kit when it has bin/javac,
/// else a runtime environment. Its version is JAVA_VERSION of its "release"
/// file (the directory name without one), its JavaHome the directory as
/// listed. A symbolic link is an installation of its own, like a second
/// registry entry; real directories are listed before links, so that of two
/// equal entries the real one comes first.
class InstallationRegistry : public Registry {
 public:
  /// Whether the entry at a path is a symbolic link.
  using LinkTest = std::function<bool(const std::string& path)>;

  /// FILE_SYSTEM and CONVENTIONS must outlive the registry.
  InstallationRegistry(const FileSystem& fileSystem, const Conventions& conventions, std::vector<std::string> roots,
                       LinkTest isLink);

  bool openKey(const std::string& path, Key* key) override;
  bool enumerateSubkey(Key key, unsigned long index, std::string* name) override;
  bool queryStringValue(Key key, const std::string& valueName, std::string* value) override;
  void closeKey(Key key) override;

  struct Installation {
    std::string version;
    std::string home;
  };

 private:
  struct OpenKey;

  /// The installations of one bundle ("sdk" or "jre"), in listing order.
  std::vector<Installation> list(const std::string& bundle) const;
  std::string versionOf(const std::string& home, const std::string& name) const;
  bool holdsJvm(const std::string& home, const std::vector<std::string>& parents) const;

  const FileSystem& m_fileSystem;
  const Conventions& m_conventions;
  std::vector<std::string> m_roots;
  LinkTest m_isLink;
  /// Per tree, the installation last named by the enumeration. Two
  /// installations may share a version and so a subkey path; opening that
  /// path right after enumerating one of them opens that one.
  std::map<std::string, Installation> m_lastEnumerated;
};

#endif  // VEXIL_PLATFORM_REGISTRY_INSTALLATIONS_H_
