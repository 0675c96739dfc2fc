#ifndef VEXIL_PLATFORM_PLATFORM_H_
#define VEXIL_PLATFORM_PLATFORM_H_

#include "platform/clock.h"
#include "platform/conventions.h"
#include "platform/environment.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/file_updates.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/user_cache_folder.h"

/// The operating-system services that portable code uses: configuration and
/// runtime selection read files, the environment and the registry; the
/// class-data cache also writes and locks files and starts a process.
/// Borrowed, never owned: the host's set lives for the whole process, a
/// test's set for the test. A set made for readers alone may leave the
/// services of the cache null.
struct Platform {
  const Conventions* conventions;
  const FileSystem* fileSystem;
  const Environment* environment;
  Registry* registry;
  FileUpdates* fileUpdates = nullptr;
  FileLocks* fileLocks = nullptr;
  Processes* processes = nullptr;
  const Clock* clock = nullptr;
  const UserCacheFolder* userCacheFolder = nullptr;
};

/// The real services of the running system.
const Platform& hostPlatform();

#endif  // VEXIL_PLATFORM_PLATFORM_H_
