#include "hosting/java_exception.h"

#include "report/messages.h"
#include "text/modified_utf8.h"

namespace {

// Enough to reach the reason behind the usual wrappers
// (ExceptionInInitializerError, NoClassDefFoundError) without flooding a box.
const int kMostCausesShown = 4;

/// What OBJECT's method NAME, which takes no arguments, returns (SIGNATURE);
/// null when there is no such method or it throws. Leaves no exception
/// pending.
jni::jobject callWithoutArguments(jni::JNIEnv* env, jni::jobject object, const char* name, const char* signature) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jclass type = jni.GetObjectClass(env, object);
  jni::jmethodID method = type ? jni.GetMethodID(env, type, name, signature) : nullptr;
  jni::jobject result = method ? jni::callObjectMethod(env, object, method) : nullptr;
  if (jni.ExceptionOccurred(env)) {
    jni.ExceptionClear(env);
    return nullptr;
  }
  return result;
}

/// THROWABLE's toString(), or empty when that cannot be had.
std::string textOf(jni::JNIEnv* env, jni::jthrowable throwable) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jstring text = callWithoutArguments(env, throwable, "toString", "()Ljava/lang/String;");
  std::string result;
  if (text) {
    if (const char* chars = jni.GetStringUTFChars(env, text, nullptr)) {
      result = utf8FromModifiedUtf8(chars);
      jni.ReleaseStringUTFChars(env, text, chars);
    }
  }
  jni.ExceptionClear(env);
  return result;
}

jni::jthrowable causeOf(jni::JNIEnv* env, jni::jthrowable throwable) {
  return callWithoutArguments(env, throwable, "getCause", "()Ljava/lang/Throwable;");
}

/// Whether the class CLASS_NAME (slash form) loads through the system class
/// loader, which class lookup from a thread without Java frames uses, without
/// being initialised. Leaves no exception pending.
bool loadsWithoutInitialising(jni::JNIEnv* env, const std::string& className) {
  const jni::NativeInterface& jni = *env->functions;
  std::string binaryName = className;
  for (char& c : binaryName) {
    if (c == '/') c = '.';
  }
  jni::jclass classClass = jni.FindClass(env, "java/lang/Class");
  jni::jclass loaderClass = classClass ? jni.FindClass(env, "java/lang/ClassLoader") : nullptr;
  jni::jmethodID systemLoader =
      loaderClass ? jni.GetStaticMethodID(env, loaderClass, "getSystemClassLoader", "()Ljava/lang/ClassLoader;")
                  : nullptr;
  jni::jobject loader = systemLoader ? jni::callStaticObjectMethod(env, loaderClass, systemLoader) : nullptr;
  jni::jmethodID forName = loader
                               ? jni.GetStaticMethodID(env, classClass, "forName",
                                                       "(Ljava/lang/String;ZLjava/lang/ClassLoader;)Ljava/lang/Class;")
                               : nullptr;
  jni::jstring name = forName ? jni.NewStringUTF(env, modifiedUtf8FromUtf8(binaryName).c_str()) : nullptr;
  // A jboolean travels through the variable arguments as an int.
  jni::jobject found =
      name ? jni::callStaticObjectMethod(env, classClass, forName, name, jni::jint{jni::JNI_FALSE}, loader) : nullptr;
  const bool loads = found && !jni.ExceptionOccurred(env);
  jni.ExceptionClear(env);
  return loads;
}

/// THROWABLE's description and its causes, for a report.
std::string reportedText(jni::JNIEnv* env, jni::jthrowable throwable) {
  std::string text = textOf(env, throwable);
  if (text.empty()) text = message::kUndescribableException;
  jni::jthrowable cause = causeOf(env, throwable);
  for (int shown = 0; cause && shown < kMostCausesShown; ++shown) {
    std::string causeText = textOf(env, cause);
    if (causeText.empty()) break;
    text += std::string("\n") + message::kCausedBy + causeText;
    cause = causeOf(env, cause);
  }
  return text;
}

}  // namespace

std::string takeMainClassFailure(jni::JNIEnv* env, const std::string& className, bool describeOnErrorStream) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jthrowable throwable = jni.ExceptionOccurred(env);
  if (!throwable) return std::string();
  // Calls into Java below need a thread without a pending exception.
  jni.ExceptionClear(env);
  if (describeOnErrorStream && loadsWithoutInitialising(env, className) && jni.Throw(env, throwable) == 0) {
    // Thrown again as it was, so the runtime describes it the way it would
    // have for the failed lookup.
    jni.ExceptionDescribe(env);
    jni.ExceptionClear(env);
  }
  return reportedText(env, throwable);
}
