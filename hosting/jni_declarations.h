#ifndef VEXIL_HOSTING_JNI_DECLARATIONS_H_
#define VEXIL_HOSTING_JNI_DECLARATIONS_H_

// The part of the Java Native Interface that the launcher uses: the
// invocation entry point, the init arguments and the two function tables.
// The tables are laid out slot by slot as the runtime publishes them; slots
// the launcher never calls are kept as untyped placeholders so that every used
// slot sits at its published index. Everything is in a namespace of its own so
// that a test can set it beside a development kit's own header and compare.

#include <cstdarg>
#include <cstdint>

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
  Unused slots7to14[8];
  jthrowable(VEXIL_JNICALL* ExceptionOccurred)(JNIEnv* env);  // 15
  void(VEXIL_JNICALL* ExceptionDescribe)(JNIEnv* env);        // 16
  Unused slots17to112[96];
  jmethodID(VEXIL_JNICALL* GetStaticMethodID)(JNIEnv* env, jclass clazz, const char* name,
                                              const char* signature);  // 113
  Unused slots114to141[28];
  void(VEXIL_JNICALL* CallStaticVoidMethodV)(JNIEnv* env, jclass clazz, jmethodID method,
                                             std::va_list args);  // 142
  Unused slots143to166[24];
  jstring(VEXIL_JNICALL* NewStringUTF)(JNIEnv* env, const char* modifiedUtf8);  // 167
  Unused slots168to171[4];
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

}  // namespace jni

#endif  // VEXIL_HOSTING_JNI_DECLARATIONS_H_
