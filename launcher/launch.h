#ifndef VEXIL_LAUNCHER_LAUNCH_H_
#define VEXIL_LAUNCHER_LAUNCH_H_

#include <memory>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "platform/single_instance.h"
#include "report/report_channel.h"

/// The sequence both programs share: build the properties from the
/// executable's path, the arguments and the configuration file, reading
/// PLATFORM, then run the Java application. Returns 0 when its main method has
/// returned, 1 when an exception escaped it. A failure is raised, and the
/// entry point, which ends the process, shows it through CHANNEL. With
/// vexil.single.instance set, a launch that finds a running instance of the
/// program hands it its arguments and returns 0 before any runtime is chosen.
int launchApplication(const Platform& platform, int argc, char** argv, ReportChannel channel);

/// A record of PLATFORM named after the running executable, holding ARGV[1..]
/// and loaded from the configuration file, with the JVM chosen.
/// BEFORE_RUNTIME_CHOICE may end the load before the choice; END (when given)
/// says how the load ended.
LauncherProperties createLauncherProperties(const Platform& platform, int argc, char** argv,
                                            const BeforeRuntimeChoice& beforeRuntimeChoice = {},
                                            LoadEnd* end = nullptr);

/// Runs the Java application described by PROPERTIES in a program that shows
/// failures through CHANNEL; the later launches come in through
/// INSTANCE_ENDPOINT when there is one. Returns the exit code: 0 when its main
/// method has returned, 1 when an exception escaped it.
int runLaunch(const LauncherProperties& properties, ReportChannel channel,
              std::unique_ptr<InstanceEndpoint> instanceEndpoint = nullptr);

#endif  // VEXIL_LAUNCHER_LAUNCH_H_
