// A stand-in for a Java runtime's JVM library, for testing the launcher where
// no real runtime can run (Windows programs under Wine). It exports the
// creation entry point and fills the table slots the launcher uses; each call
// is appended as one line to the file named by VEXIL_FAKE_JVM_RECORD.
// VEXIL_FAKE_JVM_FAIL makes one step fail as a runtime would:
//   create  creation is refused
//   class   every class but java/lang/String is missing
//   main    the main method is missing
//   array   the argument array cannot be created
//   throw   main ends with an exception
// VEXIL_FAKE_JVM_PROBE_LIBRARY names a library that the fake then tries to
// load by name alone (Windows), to show where the process looks afterwards.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hosting/jni_declarations.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifdef VEXIL_FAKE_JVM_NEEDS_HELPER
// Lies in the runtime's bin folder only, like a runtime's own C library.
extern "C" int vexilHelperValue();
#endif

using namespace jni;

namespace {

struct Object {
  std::string text;               // a class name or a string's bytes
  std::vector<jobject> elements;  // an array's elements
};

// Every object handed out, alive until the next creation.
std::vector<std::unique_ptr<Object>> g_objects;
bool g_exceptionPending = false;
Object g_throwable{"fake.Failure", {}};
Object g_mainMethod{"main", {}};

std::string failure() {
  const char* value = std::getenv("VEXIL_FAKE_JVM_FAIL");
  return value ? value : "";
}

void record(const std::string& line) {
  const char* path = std::getenv("VEXIL_FAKE_JVM_RECORD");
  if (!path || !*path) return;
  // Binary, so that the bytes arrive as they were passed.
  std::FILE* file = std::fopen(path, "ab");
  if (!file) return;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fputc('\n', file);
  std::fclose(file);
}

jobject newObject(const std::string& text, std::vector<jobject> elements = {}) {
  g_objects.push_back(std::make_unique<Object>(Object{text, std::move(elements)}));
  return reinterpret_cast<jobject>(g_objects.back().get());
}
Object* objectOf(jobject reference) { return reinterpret_cast<Object*>(reference); }

jclass VEXIL_JNICALL findClass(JNIEnv*, const char* name) {
  record(std::string("FindClass ") + name);
  if (failure() == "class" && std::strcmp(name, "java/lang/String") != 0) {
    g_exceptionPending = true;
    return nullptr;
  }
  return newObject(name);
}

jthrowable VEXIL_JNICALL exceptionOccurred(JNIEnv*) {
  record("ExceptionOccurred");
  return g_exceptionPending ? reinterpret_cast<jthrowable>(&g_throwable) : nullptr;
}

void VEXIL_JNICALL exceptionDescribe(JNIEnv*) {
  record("ExceptionDescribe");
  if (!g_exceptionPending) return;
  std::fprintf(stderr, "Exception in thread \"main\" %s\n", g_throwable.text.c_str());
  std::fflush(stderr);
  g_exceptionPending = false;
}

jmethodID VEXIL_JNICALL getStaticMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
  record("GetStaticMethodID " + objectOf(clazz)->text + " " + name + " " + signature);
  if (failure() == "main") {
    g_exceptionPending = true;
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(&g_mainMethod);
}

void VEXIL_JNICALL callStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID, std::va_list args) {
  Object* array = objectOf(va_arg(args, jobject));
  std::string line = "CallStaticVoidMethod " + objectOf(clazz)->text + " with " +
                     std::to_string(array->elements.size()) + " arguments";
  record(line);
  for (size_t i = 0; i < array->elements.size(); ++i) {
    record("argument " + std::to_string(i) + "=" + objectOf(array->elements[i])->text);
  }
  if (failure() == "throw") g_exceptionPending = true;
}

jstring VEXIL_JNICALL newStringUTF(JNIEnv*, const char* bytes) { return newObject(bytes); }

jobjectArray VEXIL_JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  record("NewObjectArray " + std::to_string(length) + " " + objectOf(elementClass)->text + " \"" +
         objectOf(initial)->text + "\"");
  if (failure() == "array") return nullptr;
  return newObject("array", std::vector<jobject>(static_cast<size_t>(length), initial));
}

void VEXIL_JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
  objectOf(array)->elements.at(static_cast<size_t>(index)) = value;
}

jint VEXIL_JNICALL destroyJavaVM(JavaVM*) {
  record("DestroyJavaVM");
  return JNI_OK;
}

JNIEnv g_env;
JavaVM g_vm;

jint VEXIL_JNICALL attachCurrentThread(JavaVM*, void** env, void*) {
  record("AttachCurrentThread");
  *env = &g_env;
  return JNI_OK;
}

jint VEXIL_JNICALL detachCurrentThread(JavaVM*) {
  record("DetachCurrentThread");
  return JNI_OK;
}

NativeInterface makeNativeInterface() {
  NativeInterface table{};
  table.FindClass = findClass;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionDescribe = exceptionDescribe;
  table.GetStaticMethodID = getStaticMethodID;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.NewStringUTF = newStringUTF;
  table.NewObjectArray = newObjectArray;
  table.SetObjectArrayElement = setObjectArrayElement;
  return table;
}

InvokeInterface makeInvokeInterface() {
  InvokeInterface table{};
  table.DestroyJavaVM = destroyJavaVM;
  table.AttachCurrentThread = attachCurrentThread;
  table.DetachCurrentThread = detachCurrentThread;
  return table;
}

const NativeInterface g_nativeInterface = makeNativeInterface();
const InvokeInterface g_invokeInterface = makeInvokeInterface();

}  // namespace

extern "C" jint VEXIL_JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* initArgs) {
  const JavaVMInitArgs* args = static_cast<const JavaVMInitArgs*>(initArgs);
  char version[16];
  std::snprintf(version, sizeof version, "0x%08lx", static_cast<unsigned long>(args->version));
  record(std::string("JNI_CreateJavaVM version=") + version + " ignoreUnrecognized=" +
         std::to_string(args->ignoreUnrecognized) + " nOptions=" + std::to_string(args->nOptions));
  for (jint i = 0; i < args->nOptions; ++i) {
    const JavaVMOption& option = args->options[i];
    record(std::string("option ") + option.optionString + (option.extraInfo ? " (with extra info)" : ""));
  }
#ifdef VEXIL_FAKE_JVM_NEEDS_HELPER
  record("helper " + std::to_string(vexilHelperValue()));
#endif
#ifdef _WIN32
  if (const char* probe = std::getenv("VEXIL_FAKE_JVM_PROBE_LIBRARY")) {
    HMODULE module = LoadLibraryA(probe);
    record(std::string("probe ") + probe + (module ? " loaded" : " not found"));
  }
#endif
  g_objects.clear();
  g_exceptionPending = false;
  if (failure() == "create") return -1;
  g_env.functions = &g_nativeInterface;
  g_vm.functions = &g_invokeInterface;
  *vm = &g_vm;
  *env = &g_env;
  return JNI_OK;
}
