#include "hosting/jvm_host.h"

#include <stdexcept>

#include "config/launcher_properties.h"
#include "hosting/console_control.h"
#include "jvm/jvm.h"
#include "launcher/diagnostics_log.h"
#include "launcher/error_reporting.h"
#include "platform/argument_encoding.h"
#include "platform/shared_library.h"

JvmHost* g_jvmHost = nullptr;

namespace {

const char kMainMethodName[] = "main";
const char kMainMethodSignature[] = "([Ljava/lang/String;)V";
const char kStringClassName[] = "java/lang/String";

}  // namespace

int JvmHost::launch() {
  return guardedStepPassingPayload("Error while launching program with JVM.", [&] {
    const Jvm* jvm = m_properties->getFoundJvm();
    if (!jvm) throw std::logic_error("no JVM has been chosen");

    const std::string& debugFile = m_properties->getDebugFile();
    if (!debugFile.empty()) {
      // Written before the option merge, so the options are the configured ones.
      appendLogLine(debugFile, "The chosen JVM: " + jvm->toString());
      appendLogLine(debugFile, "The properties chosen: " + m_properties->toString());
    }

    jni::JavaVMInitArgs initArgs;
    buildInitArgs(initArgs);

    LibraryHandle library = loadRuntimeLibrary(jvm->getJvmPath());
    if (!library) throw std::runtime_error("the JVM library does not load");
    auto createJavaVM = reinterpret_cast<jni::CreateJavaVMFunction>(findLibrarySymbol(library, jni::kCreateJavaVMName));
    if (!createJavaVM) throw std::runtime_error("the JVM library has no entry point");

    jni::JavaVM* vm = nullptr;
    jni::JNIEnv* env = nullptr;
    if (createJavaVM(&vm, reinterpret_cast<void**>(&env), &initArgs) < 0) raiseFailure("Cannot create Java VM.");
    m_javaVM = vm;
    const jni::NativeInterface& jniFunctions = *env->functions;

    const std::string& mainClassName = m_properties->getJniMainClass();
    jni::jclass mainClass = jniFunctions.FindClass(env, mainClassName.c_str());
    if (!mainClass) raiseFailure("Cannot find main Java class " + mainClassName);
    jni::jmethodID mainMethod = jniFunctions.GetStaticMethodID(env, mainClass, kMainMethodName, kMainMethodSignature);
    if (!mainMethod) raiseFailure("Cannot find main method in Java class");
    jni::jobjectArray arguments = newArgumentArray(env);

    if (m_properties->isTrapConsoleCtrl()) {
      g_jvmHost = this;
      // Registered now that the runtime exists, so it comes before the runtime's own handling.
      if (!addConsoleCtrlHandler()) raiseFailure("Unable to catch console ctrl events");
    }

    jni::callStaticVoidMethod(env, mainClass, mainMethod, arguments);
    // An exception that escapes main is described the way the runtime's own
    // launcher does it, and the run counts as failed; the application's other
    // threads are still waited for below.
    bool mainFailed = jniFunctions.ExceptionOccurred(env) != nullptr;
    if (mainFailed) jniFunctions.ExceptionDescribe(env);

    vm->functions->DestroyJavaVM(vm);
    stopForwardingExitRequests();
    freeLibrary(library);
    removeConsoleCtrlHandler();
    return mainFailed ? 1 : 0;
  });
}

jni::jobjectArray JvmHost::newArgumentArray(jni::JNIEnv* env) {
  const jni::NativeInterface& jniFunctions = *env->functions;
  const std::vector<std::string>& arguments = m_properties->getCommandLineArguments();
  jni::jclass stringClass = jniFunctions.FindClass(env, kStringClassName);
  jni::jobjectArray array = nullptr;
  if (stringClass) {
    jni::jstring empty = jniFunctions.NewStringUTF(env, "");
    array = jniFunctions.NewObjectArray(env, static_cast<jni::jsize>(arguments.size()), stringClass, empty);
  }
  if (!array) raiseFailure("Error creating new object array to hold command line arguments.");
  for (size_t i = 0; i < arguments.size(); ++i) {
    // The runtime reads modified UTF-8, not the bytes of the system's code page.
    std::string text = toModifiedUtf8(arguments[i]);
    jni::jstring value = jniFunctions.NewStringUTF(env, text.c_str());
    jniFunctions.SetObjectArrayElement(env, array, static_cast<jni::jsize>(i), value);
  }
  return array;
}
