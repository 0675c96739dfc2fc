#include "launcher/launch.h"

#include "config/configuration_file_loader.h"
#include "hosting/jvm_host.h"
#include "platform/process.h"
#include "report/failure.h"
#include "report/messages.h"

LauncherProperties createLauncherProperties(int argc, char** argv) {
  std::string program, reason;
  if (!findExecutablePath(&program, &reason)) {
    // The configuration lies beside the program; it is never looked for in
    // the current directory instead.
    failWithReport(std::string(message::kGettingConfigurationFileName) + "\n" + message::kProgramPathUnknown + reason);
  }
  LauncherProperties properties;
  properties.setNameOfExecutable(program);
  for (int i = 1; i < argc; ++i) properties.addCommandLineArgument(argv[i]);
  loadProperties(properties);
  return properties;
}

int runLaunch(const LauncherProperties& properties, ReportChannel channel) {
  JvmHost host(properties, channel);
  return host.launch();
}

int launchApplication(int argc, char** argv, ReportChannel channel) {
  // The record is finished once loaded; hosting only reads it.
  const LauncherProperties properties = createLauncherProperties(argc, argv);
  return runLaunch(properties, channel);
}

int launcherMain(int argc, char** argv, ReportChannel channel) {
  return runReportingFailures(channel, [&] { return launchApplication(argc, argv, channel); });
}
