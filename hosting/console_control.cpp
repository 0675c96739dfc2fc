#include "hosting/console_control.h"

#include <condition_variable>
#include <mutex>

#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "platform/console_events.h"

namespace {

const char kExitMethodName[] = "initiateExit";
const char kExitMethodSignature[] = "(I)V";

// Whether events may reach the runtime, and how many are doing so now. Once
// the runtime is destroyed its library is freed: an event must not call into
// it from then on, nor be inside it when that happens.
struct ForwardingGate {
  std::mutex lock;
  std::condition_variable idle;
  bool open = false;
  int inside = 0;
};

ForwardingGate& gate() {
  // Never destroyed: an event thread may still be running when the process exits.
  static ForwardingGate* const shared = new ForwardingGate;
  return *shared;
}

void forwardToHost() {
  ForwardingGate& forwarding = gate();
  JvmHost* host;
  {
    std::lock_guard<std::mutex> hold(forwarding.lock);
    if (!forwarding.open || !g_jvmHost) return;
    host = g_jvmHost;
    ++forwarding.inside;
  }
  // Not under the lock: a second event forwards at the same time as the first.
  host->forwardExitRequest();
  std::lock_guard<std::mutex> hold(forwarding.lock);
  if (--forwarding.inside == 0) forwarding.idle.notify_all();
}

}  // namespace

bool consoleCtrlHandler(int eventCode) {
  switch (eventCode) {
    case kCtrlCEvent:
    case kCtrlBreakEvent:
    case kCtrlCloseEvent:
    case kCtrlShutdownEvent:
      forwardToHost();
      return true;
    case kCtrlLogoffEvent:
      return true;
    default:
      return false;
  }
}

bool addConsoleCtrlHandler() {
  ForwardingGate& forwarding = gate();
  {
    std::lock_guard<std::mutex> hold(forwarding.lock);
    forwarding.open = true;
  }
  if (addConsoleEventHandler(consoleCtrlHandler)) return true;
  std::lock_guard<std::mutex> hold(forwarding.lock);
  forwarding.open = false;
  return false;
}

void stopForwardingExitRequests() {
  ForwardingGate& forwarding = gate();
  std::unique_lock<std::mutex> hold(forwarding.lock);
  forwarding.open = false;
  forwarding.idle.wait(hold, [&] { return forwarding.inside == 0; });
}

void removeConsoleCtrlHandler() { removeConsoleEventHandler(); }

void JvmHost::forwardExitRequest() {
  jni::JavaVM* vm = m_javaVM;
  jni::JNIEnv* env = nullptr;
  // Null attach arguments: no thread name or group.
  if (vm->functions->AttachCurrentThread(vm, reinterpret_cast<void**>(&env), nullptr) < 0) return;
  const jni::NativeInterface& jniFunctions = *env->functions;
  jni::jclass mainClass = jniFunctions.FindClass(env, m_properties->getJniMainClass().c_str());
  jni::jmethodID exitMethod =
      mainClass ? jniFunctions.GetStaticMethodID(env, mainClass, kExitMethodName, kExitMethodSignature) : nullptr;
  if (exitMethod) {
    jni::callStaticVoidMethod(env, mainClass, exitMethod, jni::jint{0});
  } else if (jniFunctions.ExceptionOccurred(env)) {
    // A missing class or method: the runtime describes it on its error stream.
    jniFunctions.ExceptionDescribe(env);
  }
  vm->functions->DetachCurrentThread(vm);
}
