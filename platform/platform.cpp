#include "platform/platform.h"

const Platform& hostPlatform() {
  static const Platform platform{&hostConventions(), &hostFileSystem(),  &hostEnvironment(),
                                 &hostRegistry(),    &hostFileUpdates(), &hostFileLocks(),
                                 &hostProcesses(),   &hostClock(),       &hostUserCacheFolder()};
  return platform;
}
