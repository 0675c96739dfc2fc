#ifndef VEXIL_JVM_SOURCES_JVM_REGISTRY_READER_H_
#define VEXIL_JVM_SOURCES_JVM_REGISTRY_READER_H_

#include <string>
#include <vector>

#include "jvm/jvm.h"
#include "platform/registry.h"

/// Collects the Java runtimes that installers list in the registry, below
/// HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft: one record per subkey, named by its
/// version, with the home from its value "JavaHome". Checks neither versions
/// nor files.
class JvmRegistryReader {
 public:
  explicit JvmRegistryReader(Registry& registry) : m_registry(registry) {}
  virtual ~JvmRegistryReader() = default;
  JvmRegistryReader(const JvmRegistryReader&) = delete;
  JvmRegistryReader& operator=(const JvmRegistryReader&) = delete;

  /// Appends the development kits ("sdk").
  void addJdkJvms(std::vector<Jvm>& jvms);
  /// Appends the runtime environments ("jre").
  void addJreJvms(std::vector<Jvm>& jvms);

 private:
  void addJvms(const char* treePath, const char* bundle, std::vector<Jvm>& jvms);
  /// The text of value VALUE_NAME of the key at KEY_PATH; fails when the key
  /// or the value cannot be read.
  std::string readStringValue(const std::string& keyPath, const std::string& valueName);

  Registry& m_registry;
};

#endif  // VEXIL_JVM_SOURCES_JVM_REGISTRY_READER_H_
