#include "platform/user_cache_folder.h"

std::string userCacheFolder(const Environment& environment) {
  std::string folder;
  if (environment.lookup("LOCALAPPDATA", &folder) && !folder.empty()) return folder;
  return std::string();
}
