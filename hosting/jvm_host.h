#ifndef VEXIL_HOSTING_JVM_HOST_H_
#define VEXIL_HOSTING_JVM_HOST_H_

#include <memory>
#include <string>
#include <vector>

#include "hosting/jni_declarations.h"
#include "platform/single_instance.h"
#include "report/report_channel.h"

class LauncherProperties;

/// Hosts the one Java virtual machine of the process and runs the
/// application's main class in it, on a thread of its own whose stack is the
/// size the runtime gives Java threads (-Xss), as the JDK's own launcher does.
class JvmHost {
 public:
  /// CHANNEL is where the program's failures are shown: a program that shows
  /// them in a box has no error stream, so the runtime's messages and the
  /// reason a class does not load go into the report instead.
  explicit JvmHost(const LauncherProperties& properties, ReportChannel channel = ReportChannel::kStandardOutput)
      : m_properties(&properties),
        m_channel(channel) {}
  virtual ~JvmHost() = default;

  /// Loads the chosen runtime, runs the main class with the command-line
  /// arguments and returns once the runtime has been destroyed, which waits
  /// for the application's other threads. Returns the process exit code: 0,
  /// or 1 when an exception escaped the main method (the runtime has then
  /// described it on its error stream). Every other failure is raised
  /// (report/failure.h).
  int launch();

  /// Fills ARGS for the runtime's creation with LEADING_OPTIONS, the options
  /// of initArgOptions, then applicationIdentityOptions (hosting/init_args.h),
  /// then, for a program without an error stream, the runtime's output hook.
  /// The option array and its texts belong to this host and live as long as
  /// it, or until the next call. The texts are in the encoding the runtime
  /// reads; an option that encoding cannot carry is reported, naming the path
  /// in it.
  void buildInitArgs(jni::JavaVMInitArgs& args, const std::vector<std::string>& leadingOptions = {});

  /// Where the program's later launches come in (platform/single_instance.h):
  /// taken from the moment the application's main method is called until the
  /// runtime has been destroyed (hosting/instance_receiver.h).
  void setInstanceEndpoint(std::unique_ptr<InstanceEndpoint> endpoint) { m_instanceEndpoint = std::move(endpoint); }

  /// The created virtual machine; null before creation.
  jni::JavaVM* getJavaVM() const { return m_javaVM; }

  /// Asks the running application to end itself: calls the main class's
  /// static initiateExit(int) with 0 on the calling thread, attached to the
  /// runtime for the call. A missing method is left to the runtime to describe.
  /// Used by the console-control handler (hosting/console_control.h).
  void forwardExitRequest();

 private:
  jni::jobjectArray newArgumentArray(jni::JNIEnv* env);
  /// Creates the runtime, runs main and destroys the runtime: the work of the
  /// thread that stands for the JDK launcher's main thread. Returns the exit
  /// code.
  int runApplication(jni::CreateJavaVMFunction createJavaVM, jni::JavaVMInitArgs& initArgs);

  const LauncherProperties* m_properties;
  ReportChannel m_channel;
  jni::JavaVM* m_javaVM = nullptr;
  std::vector<std::string> m_optionTexts;  ///< the options in the runtime's encoding
  std::vector<jni::JavaVMOption> m_options;
  std::unique_ptr<InstanceEndpoint> m_instanceEndpoint;
};

/// The host whose runtime receives console-control events; set just before
/// the handler is registered (hosting/console_control.h), never reset. A
/// global: the console-event handler's forwarder takes no pointer of ours.
extern JvmHost* g_jvmHost;

#endif  // VEXIL_HOSTING_JVM_HOST_H_
