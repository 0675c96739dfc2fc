#include "hosting/java_exception.h"

#include "report/messages.h"

namespace {

// Enough to reach the reason behind the usual wrappers
// (ExceptionInInitializerError, NoClassDefFoundError) without flooding a box.
const int kMostCausesShown = 4;

/// Modified UTF-8 as plain UTF-8: a surrogate pair becomes one four-byte
/// sequence, and the two-byte form of U+0000 a question mark so that the
/// report holds no zero byte.
std::string utf8FromModifiedUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == 0xC0 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
      out += '?';
      ++i;
      continue;
    }
    // ED A0..AF xx (high surrogate) followed by ED B0..BF xx (low surrogate).
    if (byte == 0xED && i + 5 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xF0) == 0xA0 &&
        static_cast<unsigned char>(text[i + 3]) == 0xED && (static_cast<unsigned char>(text[i + 4]) & 0xF0) == 0xB0) {
      char32_t high = 0xD000 | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                      (static_cast<unsigned char>(text[i + 2]) & 0x3F);
      char32_t low = 0xD000 | ((static_cast<unsigned char>(text[i + 4]) & 0x3F) << 6) |
                     (static_cast<unsigned char>(text[i + 5]) & 0x3F);
      char32_t code = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
      i += 5;
      continue;
    }
    out += text[i];
  }
  return out;
}

/// THROWABLE's toString(), or empty when that cannot be had.
std::string describe(jni::JNIEnv* env, jni::jthrowable throwable) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jclass type = jni.GetObjectClass(env, throwable);
  jni::jmethodID toString = type ? jni.GetMethodID(env, type, "toString", "()Ljava/lang/String;") : nullptr;
  jni::jstring text = toString ? jni::callObjectMethod(env, throwable, toString) : nullptr;
  std::string result;
  if (text && !jni.ExceptionOccurred(env)) {
    if (const char* chars = jni.GetStringUTFChars(env, text, nullptr)) {
      result = utf8FromModifiedUtf8(chars);
      jni.ReleaseStringUTFChars(env, text, chars);
    }
  }
  jni.ExceptionClear(env);
  return result;
}

jni::jthrowable causeOf(jni::JNIEnv* env, jni::jthrowable throwable) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jclass type = jni.GetObjectClass(env, throwable);
  jni::jmethodID getCause = type ? jni.GetMethodID(env, type, "getCause", "()Ljava/lang/Throwable;") : nullptr;
  jni::jthrowable cause = getCause ? jni::callObjectMethod(env, throwable, getCause) : nullptr;
  if (jni.ExceptionOccurred(env)) {
    jni.ExceptionClear(env);
    return nullptr;
  }
  return cause;
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
