#ifndef VEXIL_HOSTING_JNI_DECLARATIONS_H_
#define VEXIL_HOSTING_JNI_DECLARATIONS_H_

// Header only: the layout of the runtime's interface, nothing to define.

// The part of the Java Native Interface that the launcher uses: the
// invocation entry point, the init arguments and the two function tables.
// The tables are laid out slot by slot as the runtime publishes them; slots
// the launcher never calls are kept as untyped placeholders so that every used
// slot sits at its published index. Everything is in a namespace of its own so
// that a test can set it beside a development kit's own header and compare.

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "platform/jni_calling_convention.h"

namespace jni {

using jint = std::int32_t;
using jsize = jint;
using jboolean = unsigned char;

struct ObjectTag;
using jobject = ObjectTag*;
using jclass = jobject;
using jstring = jobject;
using jobjectArray = jobject;
using jthrowable = jobject;
struct MethodTag;
using jmethodID = MethodTag*;

constexpr jint JNI_OK = 0;
constexpr jint JNI_VERSION_1_2 = 0x00010002;
constexpr jboolean JNI_FALSE = 0;
constexpr jboolean JNI_TRUE = 1;

struct NativeInterface;
struct InvokeInterface;

/// The per-thread interface; what the runtime hands out is a pointer to this.
struct JNIEnv {
  const NativeInterface* functions;
};

/// The virtual machine's invocation interface.
struct JavaVM {
  const InvokeInterface* functions;
};

struct JavaVMOption {
  char* optionString;
  void* extraInfo;
};

struct JavaVMInitArgs {
  jint version;
  jint nOptions;
  JavaVMOption* options;
  jboolean ignoreUnrecognized;
};

struct JavaVMAttachArgs {
  jint version;
  char* name;
  jobject group;
};

using Unused = void*;

/// The JNIEnv function table, up to the last slot the launcher uses.
struct NativeInterface {
  Unused slots0to5[6];
  jclass(VEXIL_JNICALL* FindClass)(JNIEnv* env, const char* name);  // 6
  Unused slots7to8[2];
  jobject(VEXIL_JNICALL* ToReflectedMethod)(JNIEnv* env, jclass clazz, jmethodID method, jboolean isStatic);  // 9
  Unused slots10to12[3];
  jint(VEXIL_JNICALL* Throw)(JNIEnv* env, jthrowable throwable);  // 13
  Unused slot14;
  jthrowable(VEXIL_JNICALL* ExceptionOccurred)(JNIEnv* env);  // 15
  void(VEXIL_JNICALL* ExceptionDescribe)(JNIEnv* env);        // 16
  void(VEXIL_JNICALL* ExceptionClear)(JNIEnv* env);           // 17
  Unused slots18to28[11];
  jobject(VEXIL_JNICALL* NewObjectV)(JNIEnv* env, jclass clazz, jmethodID constructor, std::va_list args);  // 29
  Unused slot30;
  jclass(VEXIL_JNICALL* GetObjectClass)(JNIEnv* env, jobject object);  // 31
  Unused slot32;
  jmethodID(VEXIL_JNICALL* GetMethodID)(JNIEnv* env, jclass clazz, const char* name, const char* signature);  // 33
  Unused slot34;
  jobject(VEXIL_JNICALL* CallObjectMethodV)(JNIEnv* env, jobject object, jmethodID method, std::va_list args);  // 35
  Unused slots36to49[14];
  jint(VEXIL_JNICALL* CallIntMethodV)(JNIEnv* env, jobject object, jmethodID method, std::va_list args);  // 50
  Unused slots51to61[11];
  void(VEXIL_JNICALL* CallVoidMethodV)(JNIEnv* env, jobject object, jmethodID method, std::va_list args);  // 62
  Unused slots63to112[50];
  jmethodID(VEXIL_JNICALL* GetStaticMethodID)(JNIEnv* env, jclass clazz, const char* name,
                                              const char* signature);  // 113
  Unused slot114;
  jobject(VEXIL_JNICALL* CallStaticObjectMethodV)(JNIEnv* env, jclass clazz, jmethodID method,
                                                  std::va_list args);  // 115
  Unused slots116to141[26];
  void(VEXIL_JNICALL* CallStaticVoidMethodV)(JNIEnv* env, jclass clazz, jmethodID method,
                                             std::va_list args);  // 142
  Unused slots143to166[24];
  jstring(VEXIL_JNICALL* NewStringUTF)(JNIEnv* env, const char* modifiedUtf8);  // 167
  Unused slot168;
  const char*(VEXIL_JNICALL* GetStringUTFChars)(JNIEnv* env, jstring string, jboolean* isCopy);  // 169
  void(VEXIL_JNICALL* ReleaseStringUTFChars)(JNIEnv* env, jstring string, const char* chars);    // 170
  Unused slot171;
  jobjectArray(VEXIL_JNICALL* NewObjectArray)(JNIEnv* env, jsize length, jclass elementClass,
                                              jobject initialElement);  // 172
  Unused slot173;
  void(VEXIL_JNICALL* SetObjectArrayElement)(JNIEnv* env, jobjectArray array, jsize index,
                                             jobject value);  // 174
};

/// The JavaVM function table, up to the last slot the launcher uses.
struct InvokeInterface {
  Unused slots0to2[3];
  jint(VEXIL_JNICALL* DestroyJavaVM)(JavaVM* vm);                                      // 3
  jint(VEXIL_JNICALL* AttachCurrentThread)(JavaVM* vm, void** env, void* attachArgs);  // 4
  jint(VEXIL_JNICALL* DetachCurrentThread)(JavaVM* vm);                                // 5
};

/// The option whose extra information is the runtime's output hook: the
/// runtime then writes its own messages through it instead of to its error
/// stream.
constexpr const char kVfprintfOptionName[] = "vfprintf";
using VfprintfHook = jint(VEXIL_JNICALL*)(std::FILE* stream, const char* format, std::va_list args);

/// The first-generation init arguments, through which a runtime still tells
/// its default stack size for Java threads (javaStackSize) when asked with
/// version 1.1. Only the leading fields are ever read.
constexpr jint JNI_VERSION_1_1 = 0x00010001;
struct JDK1_1InitArgs {
  jint version;
  char** properties;
  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;
  char* classpath;
  VfprintfHook vfprintf;
  void(VEXIL_JNICALL* exit)(jint code);
  void(VEXIL_JNICALL* abort)();
  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
};
constexpr const char kGetDefaultJavaVMInitArgsName[] = "JNI_GetDefaultJavaVMInitArgs";
using GetDefaultJavaVMInitArgsFunction = jint(VEXIL_JNICALL*)(void* initArgs);

/// The runtime library's entry point, resolved by this name.
constexpr const char kCreateJavaVMName[] = "JNI_CreateJavaVM";
using CreateJavaVMFunction = jint(VEXIL_JNICALL*)(JavaVM** vm, void** env, void* initArgs);

/// Calls a static void method with variable arguments, the way the runtime's
/// own C++ interface does it: through the va_list slot.
inline void callStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID method, ...) {
  std::va_list args;
  va_start(args, method);
  env->functions->CallStaticVoidMethodV(env, clazz, method, args);
  va_end(args);
}

inline jobject callStaticObjectMethod(JNIEnv* env, jclass clazz, jmethodID method, ...) {
  std::va_list args;
  va_start(args, method);
  jobject result = env->functions->CallStaticObjectMethodV(env, clazz, method, args);
  va_end(args);
  return result;
}

inline jobject newObject(JNIEnv* env, jclass clazz, jmethodID constructor, ...) {
  std::va_list args;
  va_start(args, constructor);
  jobject result = env->functions->NewObjectV(env, clazz, constructor, args);
  va_end(args);
  return result;
}

inline jobject callObjectMethod(JNIEnv* env, jobject object, jmethodID method, ...) {
  std::va_list args;
  va_start(args, method);
  jobject result = env->functions->CallObjectMethodV(env, object, method, args);
  va_end(args);
  return result;
}

inline jint callIntMethod(JNIEnv* env, jobject object, jmethodID method, ...) {
  std::va_list args;
  va_start(args, method);
  jint result = env->functions->CallIntMethodV(env, object, method, args);
  va_end(args);
  return result;
}

inline void callVoidMethod(JNIEnv* env, jobject object, jmethodID method, ...) {
  std::va_list args;
  va_start(args, method);
  env->functions->CallVoidMethodV(env, object, method, args);
  va_end(args);
}

}  // namespace jni

#endif  // VEXIL_HOSTING_JNI_DECLARATIONS_H_
