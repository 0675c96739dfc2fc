#include <sys/stat.h>

#include "platform/platform.h"
#include "platform/registry_installations.h"

namespace {

bool isSymbolicLink(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// There is no registry here: the Java installations that distributions and
// vendor packages put in /usr/lib/jvm and /usr/java stand in for it. Made on
// first use, as it reads the host file system, which hostPlatform() builds
// together with this registry.
class PosixRegistry : public Registry {
 public:
  bool openKey(const std::string& path, Key* key) override { return installations().openKey(path, key); }
  bool enumerateSubkey(Key key, unsigned long index, std::string* name) override {
    return installations().enumerateSubkey(key, index, name);
  }
  bool queryStringValue(Key key, const std::string& valueName, std::string* value) override {
    return installations().queryStringValue(key, valueName, value);
  }
  void closeKey(Key key) override { installations().closeKey(key); }

 private:
  static InstallationRegistry& installations() {
    static InstallationRegistry registry(*hostPlatform().fileSystem, posixConventions(), {"/usr/lib/jvm", "/usr/java"},
                                         isSymbolicLink);
    return registry;
  }
};

}  // namespace

Registry& hostRegistry() {
  static PosixRegistry registry;
  return registry;
}
