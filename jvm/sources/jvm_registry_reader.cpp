#include "jvm/sources/jvm_registry_reader.h"

#include "report/failure.h"
#include "report/messages.h"

namespace {

const char kJdkTree[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kJreTree[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJavaHomeValue[] = "JavaHome";

// Closes a key however the block that opened it is left.
class OpenKey {
 public:
  OpenKey(Registry& registry, Registry::Key key) : m_registry(registry), m_key(key) {}
  ~OpenKey() { m_registry.closeKey(m_key); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  Registry::Key get() const { return m_key; }

 private:
  Registry& m_registry;
  Registry::Key m_key;
};

}  // namespace

void JvmRegistryReader::addJdkJvms(std::vector<Jvm>& jvms) { addJvms(kJdkTree, kBundleSdk, jvms); }

void JvmRegistryReader::addJreJvms(std::vector<Jvm>& jvms) { addJvms(kJreTree, kBundleJre, jvms); }

void JvmRegistryReader::addJvms(const char* treePath, const char* bundle, std::vector<Jvm>& jvms) {
  Registry::Key treeKey;
  if (!m_registry.openKey(treePath, &treeKey)) return;  // no runtime of this kind installed
  OpenKey tree(m_registry, treeKey);
  std::string name;
  for (unsigned long index = 0; m_registry.enumerateSubkey(tree.get(), index, &name); ++index) {
    if (name.empty()) continue;
    const std::string keyPath = std::string(treePath) + "\\" + name;
    std::string home = readStringValue(keyPath, kJavaHomeValue);
    if (home.empty()) continue;
    Jvm jvm;
    jvm.setJavaBundle(bundle);
    jvm.setJavaHomePath(home);
    jvm.setVersion(name);
    jvm.setSource("HKLM\\" + keyPath);
    jvms.push_back(jvm);
  }
}

std::string JvmRegistryReader::readStringValue(const std::string& keyPath, const std::string& valueName) {
  Registry::Key handle;
  if (!m_registry.openKey(keyPath, &handle)) raiseFailure(message::kOpeningRegistryKey + keyPath);
  OpenKey key(m_registry, handle);
  std::string value;
  if (!m_registry.queryStringValue(key.get(), valueName, &value)) {
    raiseFailure(message::kOpeningRegistryKey + keyPath + message::kRegistryValueName + valueName);
  }
  return value;
}
