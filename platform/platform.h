#ifndef VEXIL_PLATFORM_PLATFORM_H_
#define VEXIL_PLATFORM_PLATFORM_H_

#include "platform/conventions.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/registry.h"

/// The operating-system services that configuration and runtime selection
/// read. Borrowed, never owned: the host's set lives for the whole process,
/// a test's set for the test.
struct Platform {
  const Conventions* conventions;
  const FileSystem* fileSystem;
  const Environment* environment;
  Registry* registry;
};

/// The real services of the running system.
const Platform& hostPlatform();

#endif  // VEXIL_PLATFORM_PLATFORM_H_
