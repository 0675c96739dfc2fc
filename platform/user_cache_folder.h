#ifndef VEXIL_PLATFORM_USER_CACHE_FOLDER_H_
#define VEXIL_PLATFORM_USER_CACHE_FOLDER_H_

#include <string>

#include "platform/environment.h"

/// The folder where the current user's programs keep files they can make
/// again: %LOCALAPPDATA% on Windows; elsewhere $XDG_CACHE_HOME when it is an
/// absolute path, else $HOME/.cache. Empty when the environment names none.
/// The folder need not exist yet.
std::string userCacheFolder(const Environment& environment);

#endif  // VEXIL_PLATFORM_USER_CACHE_FOLDER_H_
