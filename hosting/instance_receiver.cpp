#include "hosting/instance_receiver.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "hosting/instance_message.h"
#include "platform/argument_encoding.h"
#include "report/diagnostics_log.h"
#include "report/messages.h"

namespace {

const char kStringClassName[] = "java/lang/String";
const char kHandlerSignature[] = "([Ljava/lang/String;)V";

/// How long the end of the application waits for a handler call in progress.
constexpr std::chrono::seconds kStopWait{2};

}  // namespace

// What the receiving thread uses; it may outlive the receiver when a handler
// call does not end (the process then ends around it).
struct InstanceReceiver::Shared {
  std::unique_ptr<InstanceEndpoint> endpoint;
  jni::JavaVM* vm;
  std::string handler;
  std::string debugFile;
  std::mutex lock;
  std::condition_variable stopped;
  bool done = false;    ///< serve has returned
  bool vmGone = false;  ///< the runtime is destroyed and its library about to go
  int attached = 0;     ///< calls between attaching and detaching

  void log(const std::string& line) const {
    if (!debugFile.empty()) appendLogLine(debugFile, line);
  }

  void logTurnedAway(InstanceEndpoint::TurnedAway why, const std::string& detail) const {
    switch (why) {
      case InstanceEndpoint::TurnedAway::kOtherUser:
        log(message::kLogTurnedAwayOtherUser + detail);
        break;
      case InstanceEndpoint::TurnedAway::kNoMessage:
        log(message::kLogTurnedAwayNoMessage);
        break;
      case InstanceEndpoint::TurnedAway::kTooLong:
        log(message::kLogTurnedAwayTooLong + detail);
        break;
      case InstanceEndpoint::TurnedAway::kCutShort:
        log(message::kLogTurnedAwayCutShort + detail);
        break;
      case InstanceEndpoint::TurnedAway::kStoppedAccepting:
        log(message::kLogTurnedAwayStopped + detail);
        break;
    }
  }

  void receive(const std::string& bytes, const std::function<void()>& accept) {
    InstanceMessage message;
    if (!decodeInstanceMessage(bytes, &message)) {
      log(message::kLogInstanceMessageMalformed + std::to_string(bytes.size()) + message::kLogMessageBytes);
      return;
    }
    if (handler.empty()) {
      accept();
      bringOwnWindowToFront();
      return;
    }
    {
      // Once the runtime is destroyed its library is freed: nothing may call into it.
      std::lock_guard<std::mutex> hold(lock);
      if (vmGone) return;
      ++attached;
    }
    jni::JNIEnv* env = nullptr;
    if (vm->functions->AttachCurrentThread(vm, reinterpret_cast<void**>(&env), nullptr) < 0 || !env) {
      log(message::kLogInstanceCannotAttach);
    } else {
      deliver(env, message, accept);
      if (vm->functions->DetachCurrentThread(vm) < 0) log(message::kLogInstanceCannotDetach);
    }
    std::lock_guard<std::mutex> hold(lock);
    --attached;
    stopped.notify_all();
  }

  /// Calls the handler on this attached thread; accepts the launch once the
  /// call is ready to be made.
  void deliver(jni::JNIEnv* env, const InstanceMessage& message, const std::function<void()>& accept) {
    const jni::NativeInterface& jni = *env->functions;
    std::string className, methodName;
    if (!InstanceReceiver::splitHandler(handler, &className, &methodName)) {
      log(message::kLogInstanceNoHandler + handler);
      return;
    }
    jni::jclass handlerClass = jni.FindClass(env, className.c_str());
    jni::jmethodID method =
        handlerClass ? jni.GetStaticMethodID(env, handlerClass, methodName.c_str(), kHandlerSignature) : nullptr;
    if (!method) {
      if (jni.ExceptionOccurred(env)) jni.ExceptionClear(env);
      log(message::kLogInstanceNoHandler + handler);
      return;
    }
    jni::jobjectArray array = newStringArray(env, message);
    if (!array) {
      if (jni.ExceptionOccurred(env)) jni.ExceptionClear(env);
      log(message::kLogInstanceNoArray);
      return;
    }
    accept();
    jni::callStaticVoidMethod(env, handlerClass, method, array);
    // An exception that escapes the handler is the application's: it is
    // described as the runtime describes any thread's.
    if (jni.ExceptionOccurred(env)) jni.ExceptionDescribe(env);
  }

  /// The working directory, then the arguments; null when the runtime cannot make it.
  static jni::jobjectArray newStringArray(jni::JNIEnv* env, const InstanceMessage& message) {
    const jni::NativeInterface& jni = *env->functions;
    jni::jclass stringClass = jni.FindClass(env, kStringClassName);
    if (!stringClass) return nullptr;
    const auto length = static_cast<jni::jsize>(message.arguments.size() + 1);
    jni::jobjectArray array = jni.NewObjectArray(env, length, stringClass, nullptr);
    if (!array) return nullptr;
    for (jni::jsize i = 0; i < length; ++i) {
      const std::string& text = i == 0 ? message.workingDirectory : message.arguments[static_cast<size_t>(i - 1)];
      // Read as the first launch's own arguments are.
      jni::jstring value = jni.NewStringUTF(env, toModifiedUtf8(text).c_str());
      if (!value) return nullptr;
      jni.SetObjectArrayElement(env, array, i, value);
      if (jni.ExceptionOccurred(env)) return nullptr;
    }
    return array;
  }
};

InstanceReceiver::InstanceReceiver(std::unique_ptr<InstanceEndpoint> endpoint, jni::JavaVM* vm, std::string handler,
                                   std::string debugFile)
    : m_shared(std::make_shared<Shared>()) {
  m_shared->endpoint = std::move(endpoint);
  m_shared->vm = vm;
  m_shared->handler = std::move(handler);
  m_shared->debugFile = std::move(debugFile);
  std::thread([shared = m_shared] {
    shared->endpoint->serve(
        [&](const std::string& bytes, const std::function<void()>& accept) { shared->receive(bytes, accept); },
        [&](InstanceEndpoint::TurnedAway why, const std::string& detail) { shared->logTurnedAway(why, detail); });
    std::lock_guard<std::mutex> hold(shared->lock);
    shared->done = true;
    shared->stopped.notify_all();
  }).detach();
}

InstanceReceiver::~InstanceReceiver() {
  m_shared->endpoint->close();
  std::unique_lock<std::mutex> hold(m_shared->lock);
  m_shared->vmGone = true;
  // The runtime waited for attached threads to detach before it ended; only
  // an attach caught in its end can still be under way. It is waited for a
  // moment, then left to the end of the process.
  // On the system clock: a wait on the steady clock needs glibc 2.30
  // (pthread_cond_clockwait), above what the portable Linux build may need.
  m_shared->stopped.wait_until(hold, std::chrono::system_clock::now() + kStopWait,
                               [&] { return m_shared->done && m_shared->attached == 0; });
}

bool InstanceReceiver::splitHandler(const std::string& handler, std::string* className, std::string* methodName) {
  const size_t dot = handler.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == handler.size()) return false;
  *className = handler.substr(0, dot);
  for (char& c : *className) {
    if (c == '.') c = '/';
  }
  *methodName = handler.substr(dot + 1);
  return true;
}
