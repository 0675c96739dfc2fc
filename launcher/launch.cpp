#include "launcher/launch.h"

#include "hosting/jvm_host.h"
#include "launcher/error_reporting.h"
#include "platform/process.h"

LauncherProperties createLauncherProperties(int argc, char** argv) {
  return topLevelGuard([&] {
    LauncherProperties properties;
    properties.setNameOfExecutable(executablePath());
    for (int i = 1; i < argc; ++i) properties.addCommandLineArgument(argv[i]);
    properties.loadProperties();
    return properties;
  });
}

int runLaunch(LauncherProperties& properties) {
  return topLevelGuard([&] {
    JvmHost host(properties);
    return host.launch();
  });
}

int launcherMain(int argc, char** argv) {
  return topLevelGuard([&] {
    // The run works on its own copy; the chosen JVM record is shared, not copied.
    LauncherProperties properties = createLauncherProperties(argc, argv);
    return runLaunch(properties);
  });
}
