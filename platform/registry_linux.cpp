#include "platform/registry.h"

namespace {

// Linux has no registry: it holds no key. Runtime discovery finds the Java
// installations in their directories instead (jvm/jvm_installation_scanner.h).
class EmptyRegistry : public Registry {
 public:
  bool openKey(const std::string&, Key*) override { return false; }
  bool openKeyIn(RegistryRoot, RegistryView, const std::string&, Key*) override { return false; }
  bool enumerateSubkey(Key, unsigned long, std::string*) override { return false; }
  bool queryStringValue(Key, const std::string&, std::string*) override { return false; }
  void closeKey(Key) override {}
};

}  // namespace

Registry& hostRegistry() {
  static EmptyRegistry registry;
  return registry;
}
