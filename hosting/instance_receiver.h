#ifndef VEXIL_HOSTING_INSTANCE_RECEIVER_H_
#define VEXIL_HOSTING_INSTANCE_RECEIVER_H_

#include <memory>
#include <string>

#include "hosting/jni_declarations.h"
#include "platform/single_instance.h"

/// While the first launch's application runs: takes the messages of the
/// later launches on a thread of its own. With a handler ("class.method", a
/// public static method taking String[]) each message becomes one call of
/// it on that thread, attached to the runtime for the call; its array holds
/// the later launch's working directory, then its arguments. Without one the
/// application's window is brought to the front where the system has such a
/// thing. A message that cannot be delivered is left unaccepted, so its
/// launch starts on its own; what went wrong goes to DEBUG_FILE.
class InstanceReceiver {
 public:
  InstanceReceiver(std::unique_ptr<InstanceEndpoint> endpoint, jni::JavaVM* vm, std::string handler,
                   std::string debugFile);
  /// Stops taking messages and removes the endpoint.
  ~InstanceReceiver();
  InstanceReceiver(const InstanceReceiver&) = delete;
  InstanceReceiver& operator=(const InstanceReceiver&) = delete;

  /// The handler's class in slash form and its method; false when HANDLER is
  /// not "class.method".
  static bool splitHandler(const std::string& handler, std::string* className, std::string* methodName);

  struct Shared;

 private:
  std::shared_ptr<Shared> m_shared;
};

#endif  // VEXIL_HOSTING_INSTANCE_RECEIVER_H_
