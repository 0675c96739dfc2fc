#include "hosting/main_method.h"

#include "report/messages.h"

namespace {

const char kMainName[] = "main";
const char kWithArguments[] = "([Ljava/lang/String;)V";
const char kWithoutArguments[] = "()V";
const int kFirstVersionWithInstanceMain = 25;
// java.lang.reflect.Modifier.PRIVATE
const jni::jint kPrivateModifier = 0x0002;

/// A lookup that may fail with a pending NoSuchMethodError: cleared, so that
/// the next call into the runtime may be made.
template <typename Lookup>
jni::jmethodID lookUp(jni::JNIEnv* env, Lookup&& lookup) {
  jni::jmethodID method = lookup();
  if (!method) env->functions->ExceptionClear(env);
  return method;
}

bool isPrivate(jni::JNIEnv* env, jni::jclass owner, jni::jmethodID method, bool isStatic) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jobject reflected = jni.ToReflectedMethod(env, owner, method, isStatic ? jni::JNI_TRUE : jni::JNI_FALSE);
  jni::jclass member = reflected ? jni.FindClass(env, "java/lang/reflect/Member") : nullptr;
  jni::jmethodID getModifiers = member ? jni.GetMethodID(env, member, "getModifiers", "()I") : nullptr;
  jni::jint modifiers = getModifiers ? jni::callIntMethod(env, reflected, getModifiers) : 0;
  if (jni.ExceptionOccurred(env) || !getModifiers) {
    // Unknown: leave the choice to the call, as for any other method.
    jni.ExceptionClear(env);
    return false;
  }
  return (modifiers & kPrivateModifier) != 0;
}

}  // namespace

int runtimeFeatureVersion(jni::JNIEnv* env) {
  const jni::NativeInterface& jni = *env->functions;
  jni::jclass runtime = jni.FindClass(env, "java/lang/Runtime");
  jni::jmethodID version =
      runtime ? jni.GetStaticMethodID(env, runtime, "version", "()Ljava/lang/Runtime$Version;") : nullptr;
  jni::jobject value = version ? jni::callStaticObjectMethod(env, runtime, version) : nullptr;
  jni::jclass versionClass = value ? jni.GetObjectClass(env, value) : nullptr;
  jni::jmethodID feature = versionClass ? jni.GetMethodID(env, versionClass, "feature", "()I") : nullptr;
  jni::jint number = feature ? jni::callIntMethod(env, value, feature) : 0;
  if (jni.ExceptionOccurred(env) || !feature) {
    jni.ExceptionClear(env);
    return 0;
  }
  return number;
}

MainMethod findMainMethod(jni::JNIEnv* env, jni::jclass mainClass, const std::string& className) {
  const jni::NativeInterface& jni = *env->functions;
  MainMethod main;
  main.method = lookUp(env, [&] { return jni.GetStaticMethodID(env, mainClass, kMainName, kWithArguments); });
  if (main.method) return main;
  if (runtimeFeatureVersion(env) < kFirstVersionWithInstanceMain) {
    main.lookedFor = message::kLookedIn + className + message::kLookedForStaticMain + kWithArguments;
    return main;
  }

  struct Candidate {
    bool isStatic;
    bool takesArguments;
  };
  const Candidate candidates[] = {
      {false, true},
      {true, false},
      {false, false},
  };
  for (const Candidate& candidate : candidates) {
    const char* signature = candidate.takesArguments ? kWithArguments : kWithoutArguments;
    jni::jmethodID method = lookUp(env, [&] {
      return candidate.isStatic ? jni.GetStaticMethodID(env, mainClass, kMainName, signature)
                                : jni.GetMethodID(env, mainClass, kMainName, signature);
    });
    if (!method || isPrivate(env, mainClass, method, candidate.isStatic)) continue;
    main.method = method;
    main.isStatic = candidate.isStatic;
    main.takesArguments = candidate.takesArguments;
    break;
  }
  if (!main.method) {
    main.lookedFor = message::kLookedIn + className + message::kLookedForAnyMain;
    return main;
  }
  if (!main.isStatic) {
    main.constructor = lookUp(env, [&] { return jni.GetMethodID(env, mainClass, "<init>", kWithoutArguments); });
    if (!main.constructor || isPrivate(env, mainClass, main.constructor, false)) {
      main.method = nullptr;
      main.constructor = nullptr;
      main.lookedFor = message::kFoundInstanceMainIn + className + message::kNoConstructorForMain;
    }
  }
  return main;
}

void callMainMethod(jni::JNIEnv* env, jni::jclass mainClass, const MainMethod& main, jni::jobjectArray arguments) {
  if (main.isStatic) {
    if (main.takesArguments) {
      jni::callStaticVoidMethod(env, mainClass, main.method, arguments);
    } else {
      jni::callStaticVoidMethod(env, mainClass, main.method);
    }
    return;
  }
  jni::jobject instance = jni::newObject(env, mainClass, main.constructor);
  if (!instance) return;
  if (main.takesArguments) {
    jni::callVoidMethod(env, instance, main.method, arguments);
  } else {
    jni::callVoidMethod(env, instance, main.method);
  }
}
