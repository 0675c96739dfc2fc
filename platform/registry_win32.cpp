#include "platform/registry.h"

namespace {

// Placeholder until the Windows registry is read here.
class Win32Registry : public Registry {
 public:
  bool openKey(const std::string&, Key*) override { return false; }
  bool enumerateSubkey(Key, unsigned long, std::string*) override { return false; }
  bool queryStringValue(Key, const std::string&, std::string*) override { return false; }
  void closeKey(Key) override {}
};

}  // namespace

Registry& hostRegistry() {
  static Win32Registry registry;
  return registry;
}
