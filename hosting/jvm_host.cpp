#include "hosting/jvm_host.h"

#include "config/launcher_properties.h"
#include "hosting/class_data_cache.h"
#include "hosting/console_control.h"
#include "hosting/init_args.h"
#include "hosting/instance_receiver.h"
#include "hosting/java_exception.h"
#include "hosting/library_load.h"
#include "hosting/main_method.h"
#include "hosting/runtime_messages.h"
#include "hosting/splash_screen.h"
#include "hosting/stack_size.h"
#include "jvm/jvm.h"
#include "platform/argument_encoding.h"
#include "platform/platform.h"
#include "platform/shared_library.h"
#include "platform/thread.h"
#include "report/diagnostics_log.h"
#include "report/failure.h"
#include "report/messages.h"
#include "text/ascii_text.h"

JvmHost* g_jvmHost = nullptr;

namespace {

const char kStringClassName[] = "java/lang/String";
const char kExitMethodName[] = "initiateExit";
const char kExitMethodSignature[] = "(I)V";

void forwardToRunningHost() { g_jvmHost->forwardExitRequest(); }

// The class-data cache's plan for this launch; what it does goes to the debug file.
ClassDataCachePlan planCache(const LauncherProperties& properties, const Jvm& jvm) {
  const ClassDataCacheRequest request{properties.getStartupCache(),
                                      properties.getNameOfExecutable(),
                                      properties.getMainClass(),
                                      jvm.getJavaHomePath(),
                                      jvm.getJvmPath(),
                                      jvm.getVersion(),
                                      initArgOptions(properties)};
  // The log may be written at exit, after the properties are gone: it keeps its own copy of the path.
  return planClassDataCache(request, hostPlatform(), [debugFile = properties.getDebugFile()](const std::string& line) {
    if (!debugFile.empty()) appendLogLine(debugFile, line);
  });
}

/// TEXT, and CAUSE on the lines after it when there is one.
std::string withCause(const std::string& text, const std::string& cause) {
  return cause.empty() ? text : text + "\n" + cause;
}

std::string launchFailure(const std::string& cause) { return withCause(message::kLaunchingProgram, cause); }

/// REASON without a leading "PATH: ", which some systems put in their text.
std::string withoutPath(const std::string& path, const std::string& reason) {
  const std::string prefix = path + ": ";
  return startsWith(reason, prefix) ? reason.substr(prefix.size()) : reason;
}

/// The stack size the runtime of LIBRARY gives Java threads by default, as it
/// tells it through its first-generation init arguments; 0 (the system's
/// default) when it does not.
std::size_t runtimeDefaultStackSize(LibraryHandle library) {
  auto getDefaults = reinterpret_cast<jni::GetDefaultJavaVMInitArgsFunction>(
      findLibrarySymbol(library, jni::kGetDefaultJavaVMInitArgsName));
  if (!getDefaults) return 0;
  jni::JDK1_1InitArgs defaults{};
  defaults.version = jni::JNI_VERSION_1_1;
  // Runtimes of today fill in the size but answer that they do not support
  // the version: the size counts, not the result.
  getDefaults(&defaults);
  return defaults.javaStackSize > 0 ? static_cast<std::size_t>(defaults.javaStackSize) : 0;
}

}  // namespace

int JvmHost::launch() {
  return guardedStepPassingPayload(message::kLaunchingProgram, [&] {
    const Jvm* jvm = m_properties->getFoundJvm();
    if (!jvm) raiseUnexplainedFailure();  // no JVM has been chosen
    const std::string& debugFile = m_properties->getDebugFile();
    if (!debugFile.empty()) {
      // The record holds the configured options; the merge is the host's own.
      appendLogLine(debugFile, message::kLogChosenJvm + jvm->toString());
      appendLogLine(debugFile, message::kLogProperties + m_properties->toString());
    }
    const ClassDataCachePlan cache = planCache(*m_properties, *jvm);
    jni::JavaVMInitArgs initArgs;
    buildInitArgs(initArgs, cache.jvmOptions);
    const std::string& path = jvm->getJvmPath();
    const auto loaded = loadRuntimeLibrary(path);
    if (!loaded) {
      raiseFailure(launchFailure(std::string(message::kCannotLoadLibrary) + path + ": " +
                                 withoutPath(path, loadFailureReason(loaded.why()))));
    }
    LibraryHandle library = *loaded;
    auto createJavaVM = reinterpret_cast<jni::CreateJavaVMFunction>(findLibrarySymbol(library, jni::kCreateJavaVMName));
    if (!createJavaVM) raiseFailure(launchFailure(path + message::kNoEntryPoint + jni::kCreateJavaVMName));
    // After the JVM library, which the splash-screen library needs, and before the runtime is created.
    SplashCloseFunction closeSplash = showRuntimeSplashScreen(
        m_properties->getSplashImage(), path, m_properties->getPlatform(), [&debugFile](const std::string& line) {
          if (!debugFile.empty()) appendLogLine(debugFile, line);
        });

    // The runtime's creation, main and its destruction run on a thread with
    // the stack that the runtime gives its own threads, as with the JDK's
    // launcher: the first thread's stack is the system's, whatever -Xss says.
    const std::size_t stackSize = mainThreadStackSize(m_optionTexts, runtimeDefaultStackSize(library));
    int exitCode = 0;
    try {
      exitCode = runWithStackSize(stackSize, [&] { return runApplication(createJavaVM, initArgs); });
    } catch (...) {
      // The report is not to be hidden behind the splash.
      if (closeSplash) closeSplash();
      throw;
    }
    // The application is done: nothing more to wait for behind the splash
    // (the cache may still take a while).
    if (closeSplash) closeSplash();
    if (cache.afterRun) cache.afterRun();
    stopForwardingExitRequests();
    freeLibrary(library);
    removeConsoleCtrlHandler();
    return exitCode;
  });
}

int JvmHost::runApplication(jni::CreateJavaVMFunction createJavaVM, jni::JavaVMInitArgs& initArgs) {
  // Only the console programs have an error stream for the runtime's descriptions.
  const bool errorStream = m_channel == ReportChannel::kStandardOutput;
  jni::JavaVM* vm = nullptr;
  jni::JNIEnv* env = nullptr;
  if (createJavaVM(&vm, reinterpret_cast<void**>(&env), &initArgs) < 0 || !vm || !env) {
    raiseFailure(withCause(message::kCannotCreateJavaVm, errorStream ? std::string() : collectedRuntimeMessages()));
  }
  m_javaVM = vm;
  const jni::NativeInterface& jniFunctions = *env->functions;
  const std::string mainClassName = m_properties->getJniMainClass();
  // A class without a name is never found: the report says why.
  if (mainClassName.empty()) raiseFailure(withCause(message::kCannotFindMainClass, message::kMainClassNotSet));
  jni::jclass mainClass = jniFunctions.FindClass(env, mainClassName.c_str());
  if (!mainClass) {
    // Why the class did not load (built for a newer Java, a failing static
    // initialiser, a missing dependency) is the runtime's pending exception.
    raiseFailure(withCause(message::kCannotFindMainClass + mainClassName,
                           takeMainClassFailure(env, mainClassName, errorStream)));
  }
  MainMethod mainMethod = findMainMethod(env, mainClass, mainClassName);
  if (!mainMethod.method) raiseFailure(withCause(message::kCannotFindMainMethod, mainMethod.lookedFor));
  jni::jobjectArray arguments = newArgumentArray(env);
  if (m_properties->isTrapConsoleCtrl()) {
    g_jvmHost = this;
    // Registered now that the runtime exists, so it comes before the runtime's own handling.
    if (!addConsoleCtrlHandler(&forwardToRunningHost)) raiseFailure(message::kCannotCatchConsoleEvents);
  }
  // Later launches are taken from the moment the application runs until the
  // runtime is gone: before that there is nothing to hand them to.
  std::unique_ptr<InstanceReceiver> instances;
  if (m_instanceEndpoint) {
    instances = std::make_unique<InstanceReceiver>(
        std::move(m_instanceEndpoint), vm, m_properties->getSingleInstanceHandler(), m_properties->getDebugFile());
  }
  callMainMethod(env, mainClass, mainMethod, arguments);
  // An exception that escapes main is described the way the runtime's own
  // launcher does it, and the run counts as failed; the application's other
  // threads are still waited for below.
  bool mainFailed = jniFunctions.ExceptionOccurred(env) != nullptr;
  if (mainFailed) jniFunctions.ExceptionDescribe(env);
  // Its answer changes nothing: the run's exit code is main's.
  vm->functions->DestroyJavaVM(vm);
  instances.reset();
  return mainFailed ? 1 : 0;
}

jni::jobjectArray JvmHost::newArgumentArray(jni::JNIEnv* env) {
  const jni::NativeInterface& jniFunctions = *env->functions;
  const std::vector<std::string>& arguments = m_properties->getCommandLineArguments();
  jni::jclass stringClass = jniFunctions.FindClass(env, kStringClassName);
  jni::jstring empty = stringClass ? jniFunctions.NewStringUTF(env, "") : nullptr;
  jni::jobjectArray array =
      empty ? jniFunctions.NewObjectArray(env, static_cast<jni::jsize>(arguments.size()), stringClass, empty) : nullptr;
  if (!array) raiseFailure(message::kCreatingArgumentArray);
  for (size_t i = 0; i < arguments.size(); ++i) {
    // The runtime reads modified UTF-8, not the bytes of the system's code page.
    std::string text = toModifiedUtf8(arguments[i]);
    jni::jstring value = jniFunctions.NewStringUTF(env, text.c_str());
    if (!value) raiseFailure(message::kCreatingArgumentArray);
    // Nothing to check: the index is inside the array, and a String fits in a String[].
    jniFunctions.SetObjectArrayElement(env, array, static_cast<jni::jsize>(i), value);
  }
  return array;
}

void JvmHost::forwardExitRequest() {
  jni::JavaVM* vm = m_javaVM;
  jni::JNIEnv* env = nullptr;
  // Null attach arguments: no thread name or group.
  if (vm->functions->AttachCurrentThread(vm, reinterpret_cast<void**>(&env), nullptr) < 0 || !env) return;
  const jni::NativeInterface& jniFunctions = *env->functions;
  jni::jclass mainClass = jniFunctions.FindClass(env, m_properties->getJniMainClass().c_str());
  jni::jmethodID exitMethod =
      mainClass ? jniFunctions.GetStaticMethodID(env, mainClass, kExitMethodName, kExitMethodSignature) : nullptr;
  if (exitMethod) {
    // An exception that escapes initiateExit stays pending: detaching hands
    // it to the thread's uncaught-exception handling, as for any thread's.
    jni::callStaticVoidMethod(env, mainClass, exitMethod, jni::jint{0});
  } else if (jniFunctions.ExceptionOccurred(env)) {
    // A missing class or method: the runtime describes it on its error stream.
    jniFunctions.ExceptionDescribe(env);
  }
  vm->functions->DetachCurrentThread(vm);
}
