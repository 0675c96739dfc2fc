#include "platform/user_cache_folder.h"

Outcome<std::string> userCacheFolderIn(const Environment& environment) {
  std::string folder;
  if (environment.lookup("LOCALAPPDATA", &folder) && !folder.empty()) return folder;
  return Outcome<std::string>::failed();
}
