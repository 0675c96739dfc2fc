#include <windows.h>

#include <cstdlib>

#include "launcher/error_reporting.h"
#include "launcher/launch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return topLevelGuard([&] { return launcherMain(__argc, __argv); });
}
