#ifndef VEXIL_PLATFORM_USER_CACHE_FOLDER_H_
#define VEXIL_PLATFORM_USER_CACHE_FOLDER_H_

#include <string>

#include "platform/environment.h"
#include "platform/outcome.h"

/// The folder where the current user's programs keep files they can make
/// again: %LOCALAPPDATA% on Windows; elsewhere $XDG_CACHE_HOME when it is an
/// absolute path, else $HOME/.cache. The folder need not exist yet.
class UserCacheFolder {
 public:
  virtual ~UserCacheFolder() = default;

  /// The folder; failed when the environment names none.
  virtual Outcome<std::string> path() const = 0;
};

/// The running system's, read from the process environment.
const UserCacheFolder& hostUserCacheFolder();

/// The system's rule above applied to ENVIRONMENT: the folder, or failed when
/// it names none.
Outcome<std::string> userCacheFolderIn(const Environment& environment);

#endif  // VEXIL_PLATFORM_USER_CACHE_FOLDER_H_
