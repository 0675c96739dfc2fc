#include "platform/user_cache_folder.h"

namespace {

class Win32UserCacheFolder : public UserCacheFolder {
 public:
  explicit Win32UserCacheFolder(const Environment& environment) : m_environment(environment) {}

  Outcome<std::string> path() const override {
    std::string folder;
    if (m_environment.lookup("LOCALAPPDATA", &folder) && !folder.empty()) return folder;
    return Outcome<std::string>::failed();
  }

 private:
  const Environment& m_environment;
};

}  // namespace

const UserCacheFolder& hostUserCacheFolder() {
  static const Win32UserCacheFolder folder(hostEnvironment());
  return folder;
}
