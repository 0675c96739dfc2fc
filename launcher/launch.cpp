#include "launcher/launch.h"

#include <memory>
#include <utility>

#include "config/configuration_file_loader.h"
#include "hosting/instance_message.h"
#include "hosting/jvm_host.h"
#include "platform/process.h"
#include "platform/single_instance.h"
#include "report/diagnostics_log.h"
#include "report/failure.h"
#include "report/messages.h"

namespace {

/// The start of the debug-file line that says why a launch has no
/// single-instance channel; the claim's detail follows.
const char* unavailableText(InstanceClaim::Problem problem) {
  using Problem = InstanceClaim::Problem;
  switch (problem) {
    case Problem::kTooLong:
      return message::kLogInstanceTooLong;
    case Problem::kFolderUnusable:
      return message::kLogInstanceFolderUnusable;
    case Problem::kFolderNotPrivate:
      return message::kLogInstanceFolderNotPrivate;
    case Problem::kLockTimeout:
      return message::kLogInstanceLockTimeout;
    case Problem::kOtherUser:
      return message::kLogInstanceOtherUser;
    case Problem::kNotAccepted:
      return message::kLogInstanceNotAccepted;
    case Problem::kSocketUnusable:
    case Problem::kNone:
      break;
  }
  return message::kLogInstanceSocketUnusable;
}

/// What the step before the runtime choice found out about other instances.
struct InstanceOutcome {
  bool handedOver = false;
  std::unique_ptr<InstanceEndpoint> endpoint;  ///< this launch is the first one
};

/// Hands the launch to a running instance of the program, or makes this one
/// the instance the later launches find. Anything in the way makes the launch
/// start on its own: a launch is never lost.
bool claimOrHandOver(const LauncherProperties& properties, InstanceOutcome& outcome) {
  if (!properties.isSingleInstance()) return true;
  const std::string& debugFile = properties.getDebugFile();
  // An unknown current directory does not stop the hand-over: the running
  // instance gets an empty one.
  const std::string directory = currentDirectory().valueOr(std::string());
  const std::string message = encodeInstanceMessage({directory, properties.getCommandLineArguments()});
  InstanceClaim claim = claimInstance(properties.getNameOfExecutable(), message);
  switch (claim.outcome) {
    case InstanceClaim::Outcome::kHandedOver:
      if (!debugFile.empty())
        appendLogLine(debugFile, message::kLogInstanceHandedOver + properties.getNameOfExecutable());
      outcome.handedOver = true;
      return false;
    case InstanceClaim::Outcome::kFirst:
      outcome.endpoint = std::move(claim.endpoint);
      return true;
    case InstanceClaim::Outcome::kUnavailable:
      break;
  }
  if (!debugFile.empty()) {
    appendLogLine(debugFile, unavailableText(claim.problem) + claim.detail);
    appendLogLine(debugFile, message::kLogInstanceStartsAlone);
  }
  return true;
}

}  // namespace

LauncherProperties createLauncherProperties(const Platform& platform, int argc, char** argv,
                                            const BeforeRuntimeChoice& beforeRuntimeChoice, LoadEnd* end) {
  const Outcome<std::string> program = executablePath();
  if (!program) {
    // The configuration lies beside the program; it is never looked for in
    // the current directory instead.
    failWithReport(std::string(message::kGettingConfigurationFileName) + "\n" + message::kProgramPathUnknown +
                   program.why());
  }
  LauncherProperties properties(platform);
  properties.setNameOfExecutable(*program);
  for (int i = 1; i < argc; ++i) properties.addCommandLineArgument(argv[i]);
  const LoadEnd loadEnd = loadProperties(properties, beforeRuntimeChoice);
  if (end) *end = loadEnd;
  return properties;
}

int runLaunch(const LauncherProperties& properties, ReportChannel channel,
              std::unique_ptr<InstanceEndpoint> instanceEndpoint) {
  JvmHost host(properties, channel);
  host.setInstanceEndpoint(std::move(instanceEndpoint));
  return host.launch();
}

int launchApplication(const Platform& platform, int argc, char** argv, ReportChannel channel) {
  InstanceOutcome instance;
  LoadEnd end = LoadEnd::kComplete;
  // The record is finished once loaded; hosting only reads it.
  const LauncherProperties properties = createLauncherProperties(
      platform, argc, argv, [&](const LauncherProperties& early) { return claimOrHandOver(early, instance); }, &end);
  // Only a hand-over ends the load early: the running instance has the
  // arguments, and no runtime is chosen or loaded.
  if (end == LoadEnd::kEndedBeforeRuntimeChoice) return 0;
  return runLaunch(properties, channel, std::move(instance.endpoint));
}
