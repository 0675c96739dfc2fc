#include "platform/user_cache_folder.h"

Outcome<std::string> userCacheFolderIn(const Environment& environment) {
  std::string folder;
  // A relative value is to be ignored, as the freedesktop.org rules say.
  if (environment.lookup("XDG_CACHE_HOME", &folder) && !folder.empty() && folder[0] == '/') return folder;
  std::string home;
  if (environment.lookup("HOME", &home) && !home.empty() && home[0] == '/') {
    if (home.back() == '/') home.pop_back();
    return home + "/.cache";
  }
  return Outcome<std::string>::failed();
}
