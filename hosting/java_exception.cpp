#include "hosting/java_exception.h"

#include "platform/modified_utf8.h"
#include "report/messages.h"

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
std::string describe(jni::JNIEnv* env, jni::jthrowable throwable) {
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

}  // namespace

std::string takePendingException(jni::JNIEnv* env, bool describeOnErrorStream) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jthrowable throwable = jni.ExceptionOccurred(env);
  if (!throwable) return std::string();
  if (describeOnErrorStream) {
    jni.ExceptionDescribe(env);
  }
  // Calls into Java below need a thread without a pending exception.
  jni.ExceptionClear(env);
  std::string text = describe(env, throwable);
  if (text.empty()) text = message::kUndescribableException;
  jni::jthrowable cause = causeOf(env, throwable);
  for (int shown = 0; cause && shown < kMostCausesShown; ++shown) {
    std::string causeText = describe(env, cause);
    if (causeText.empty()) break;
    text += std::string("\n") + message::kCausedBy + causeText;
    cause = causeOf(env, cause);
  }
  return text;
}
