#include "platform/user_cache_folder.h"

namespace {

class LinuxUserCacheFolder : public UserCacheFolder {
 public:
  explicit LinuxUserCacheFolder(const Environment& environment) : m_environment(environment) {}

  Outcome<std::string> path() const override {
    std::string folder;
    // A relative value is to be ignored, as the freedesktop.org rules say.
    if (m_environment.lookup("XDG_CACHE_HOME", &folder) && !folder.empty() && folder[0] == '/') return folder;
    std::string home;
    if (m_environment.lookup("HOME", &home) && !home.empty() && home[0] == '/') {
      if (home.back() == '/') home.pop_back();
      return home + "/.cache";
    }
    return Outcome<std::string>::failed();
  }

 private:
  const Environment& m_environment;
};

}  // namespace

const UserCacheFolder& hostUserCacheFolder() {
  static const LinuxUserCacheFolder folder(hostEnvironment());
  return folder;
}
