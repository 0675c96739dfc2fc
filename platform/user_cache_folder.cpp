// The host's cache folder over the system's rule: the same on every system.
#include "platform/user_cache_folder.h"

namespace {

class HostUserCacheFolder : public UserCacheFolder {
 public:
  explicit HostUserCacheFolder(const Environment& environment) : m_environment(environment) {}

  Outcome<std::string> path() const override { return userCacheFolderIn(m_environment); }

 private:
  const Environment& m_environment;
};

}  // namespace

const UserCacheFolder& hostUserCacheFolder() {
  static const HostUserCacheFolder folder(hostEnvironment());
  return folder;
}
