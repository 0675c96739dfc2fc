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
//   exit    the main class has no initiateExit(int)
//   attach  no thread can attach
//   descriptors  (POSIX) creation leaves the process at its limit of open
//           files, as a runtime that used them all up would
// VEXIL_FAKE_JVM_MAIN=await-exit-request makes main print "main waiting for an
// exit request", then return once a thread has detached, or been refused
// attaching (after a minute at the latest); VEXIL_FAKE_JVM_AWAIT_DETACHES=N
// makes it wait for N of them. A static method taking String[] that is not
// main (a single-instance handler) records its arguments and returns.
// VEXIL_FAKE_JVM_MAIN=close-splash makes main close the splash screen as a
// runtime's first window does (Windows).
// VEXIL_FAKE_JVM_RECORD_PROCESS=1 (Windows): creation records "process <id>".
// Calls of initiateExit are recorded with the thread they come on.
// On Windows an option that is not plain ASCII is also recorded as the runtime
// would read it: decoded in the process's code page, written in UTF-8.
// VEXIL_FAKE_JVM_PROBE_LIBRARY names a library that the fake then tries to
// load by name alone (Windows), to show where the process looks afterwards.
// Asked to list the classes it loads (-XX:DumpLoadedClassList=), it writes
// two lines into that file, as a runtime lists its classes.
// A refused creation says why through the runtime's output hook when the
// launcher passes one ("vfprintf" option), else nothing. A failure
// leaves fake.Failure pending, whose toString() and cause the launcher may
// ask for. VEXIL_FAKE_JVM_RECORD_STACK=1 records
// the stack size of the thread that runs main (POSIX). As a runtime, its
// creation takes over 100 KiB of the calling thread's stack, and it refuses a
// stack size for Java threads below 136 KiB, saying so.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "hosting/jni_declarations.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
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

// Console events call in on threads of their own while main runs.
std::mutex g_lock;
std::condition_variable g_detached;
int g_detachCount = 0;  // detaches and refused attaches
std::thread::id g_creatingThread;

// Every object handed out, alive until the next creation.
std::vector<std::unique_ptr<Object>> g_objects;
// As in a runtime, each thread has its own pending exception.
thread_local Object* t_exceptionPending = nullptr;
Object g_throwable{"fake.Failure", {}};
// The cause of g_throwable, for a launcher that asks.
Object g_throwableCause{"java.lang.ClassNotFoundException: fake.Dependency", {}};
Object g_noSuchMethod{"java.lang.NoSuchMethodError", {}};
Object g_toStringMethod{"toString", {}};
Object g_getCauseMethod{"getCause", {}};
Object g_noExitMethod{"java.lang.NoSuchMethodError: initiateExit", {}};
Object g_mainMethod{"main", {}};
Object g_exitMethod{"initiateExit", {}};
Object g_otherMethod{"other", {}};

void (*g_mainHook)(void*) = nullptr;
void* g_mainHookContext = nullptr;

std::string failure() {
  const char* value = std::getenv("VEXIL_FAKE_JVM_FAIL");
  return value ? value : "";
}

bool onCreatingThread() {
  std::lock_guard<std::mutex> hold(g_lock);
  return std::this_thread::get_id() == g_creatingThread;
}

void record(const std::string& line) {
  std::lock_guard<std::mutex> hold(g_lock);
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
  std::lock_guard<std::mutex> hold(g_lock);
  g_objects.push_back(std::make_unique<Object>(Object{text, std::move(elements)}));
  return reinterpret_cast<jobject>(g_objects.back().get());
}
Object* objectOf(jobject reference) { return reinterpret_cast<Object*>(reference); }

jclass VEXIL_JNICALL findClass(JNIEnv*, const char* name) {
  record(std::string("FindClass ") + name);
  if (failure() == "class" && std::strcmp(name, "java/lang/String") != 0) {
    t_exceptionPending = &g_throwable;
    return nullptr;
  }
  return newObject(name);
}

jthrowable VEXIL_JNICALL exceptionOccurred(JNIEnv*) {
  record("ExceptionOccurred");
  return reinterpret_cast<jthrowable>(t_exceptionPending);
}

void VEXIL_JNICALL exceptionDescribe(JNIEnv*) {
  record("ExceptionDescribe");
  if (!t_exceptionPending) return;
  // An attached thread without a name gets one as the runtime would give it.
  const char* thread = onCreatingThread() ? "main" : "Thread-0";
  std::fprintf(stderr, "Exception in thread \"%s\" %s\n", thread, t_exceptionPending->text.c_str());
  std::fflush(stderr);
  t_exceptionPending = nullptr;
}

void VEXIL_JNICALL exceptionClear(JNIEnv*) {
  record("ExceptionClear");
  t_exceptionPending = nullptr;
}

jclass VEXIL_JNICALL getObjectClass(JNIEnv*, jobject object) { return newObject("class of " + objectOf(object)->text); }

// Only Throwable's toString() and getCause() exist as instance methods.
jmethodID VEXIL_JNICALL getMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
  record("GetMethodID " + objectOf(clazz)->text + " " + name + " " + signature);
  if (std::strcmp(name, "toString") == 0) return reinterpret_cast<jmethodID>(&g_toStringMethod);
  if (std::strcmp(name, "getCause") == 0) return reinterpret_cast<jmethodID>(&g_getCauseMethod);
  t_exceptionPending = &g_noSuchMethod;
  return nullptr;
}

jobject VEXIL_JNICALL callObjectMethodV(JNIEnv*, jobject object, jmethodID method, std::va_list) {
  Object* self = objectOf(object);
  if (method == reinterpret_cast<jmethodID>(&g_toStringMethod)) return newObject(self->text);
  if (self == &g_throwable) return reinterpret_cast<jobject>(&g_throwableCause);
  return nullptr;
}

const char* VEXIL_JNICALL getStringUTFChars(JNIEnv*, jstring string, jboolean* isCopy) {
  if (isCopy) *isCopy = JNI_FALSE;
  return objectOf(string)->text.c_str();
}

void VEXIL_JNICALL releaseStringUTFChars(JNIEnv*, jstring, const char*) {}

jmethodID VEXIL_JNICALL getStaticMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
  record("GetStaticMethodID " + objectOf(clazz)->text + " " + name + " " + signature);
  if (std::strcmp(name, "initiateExit") == 0) {
    if (failure() == "exit") {
      t_exceptionPending = &g_noExitMethod;
      return nullptr;
    }
    return reinterpret_cast<jmethodID>(&g_exitMethod);
  }
  if (failure() == "main") {
    t_exceptionPending = &g_throwable;
    return nullptr;
  }
  if (std::strcmp(name, "main") != 0 && std::strcmp(signature, "([Ljava/lang/String;)V") == 0) {
    return reinterpret_cast<jmethodID>(&g_otherMethod);
  }
  return reinterpret_cast<jmethodID>(&g_mainMethod);
}

int detachCount() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_detachCount;
}

// Waits for VEXIL_FAKE_JVM_AWAIT_DETACHES (default 1) detaches after the BEFORE-th.
void awaitExitRequest(int before) {
  std::printf("main waiting for an exit request\n");
  std::fflush(stdout);
  const char* wanted = std::getenv("VEXIL_FAKE_JVM_AWAIT_DETACHES");
  const int count = wanted && *wanted ? std::atoi(wanted) : 1;
  std::unique_lock<std::mutex> hold(g_lock);
  bool came = g_detached.wait_for(hold, std::chrono::minutes(1), [&] { return g_detachCount >= before + count; });
  hold.unlock();
  if (!came) record("no exit request came");
}

void VEXIL_JNICALL callStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID method, std::va_list args) {
  if (method == reinterpret_cast<jmethodID>(&g_exitMethod)) {
    jint code = va_arg(args, jint);
    const char* thread = onCreatingThread() ? "the main thread" : "another thread";
    record("CallStaticVoidMethod " + objectOf(clazz)->text + " initiateExit(" + std::to_string(code) + ") on " +
           thread);
    return;
  }
  Object* array = objectOf(va_arg(args, jobject));
  if (method == reinterpret_cast<jmethodID>(&g_otherMethod)) {
    record("CallStaticVoidMethod " + objectOf(clazz)->text + " handler with " + std::to_string(array->elements.size()) +
           " arguments");
    for (size_t i = 0; i < array->elements.size(); ++i) {
      record("handler argument " + std::to_string(i) + "=" + objectOf(array->elements[i])->text);
    }
    return;
  }
  std::string line = "CallStaticVoidMethod " + objectOf(clazz)->text + " with " +
                     std::to_string(array->elements.size()) + " arguments";
  record(line);
  for (size_t i = 0; i < array->elements.size(); ++i) {
    record("argument " + std::to_string(i) + "=" + objectOf(array->elements[i])->text);
  }
#ifndef _WIN32
  const char* recordStack = std::getenv("VEXIL_FAKE_JVM_RECORD_STACK");
  pthread_attr_t attributes;
  if (recordStack && *recordStack && pthread_getattr_np(pthread_self(), &attributes) == 0) {
    size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    record("main runs with a stack of " + std::to_string(size / 1024) + " KiB");
  }
#endif
  int detachesBefore = detachCount();
  if (g_mainHook) g_mainHook(g_mainHookContext);
  const char* mainMode = std::getenv("VEXIL_FAKE_JVM_MAIN");
  if (mainMode && std::strcmp(mainMode, "await-exit-request") == 0) awaitExitRequest(detachesBefore);
#ifdef _WIN32
  if (mainMode && std::strcmp(mainMode, "close-splash") == 0) {
    // As the runtime closes the splash when its first window shows: through
    // the splash-screen library already in the process.
    HMODULE splash = GetModuleHandleA("splashscreen.dll");
    auto close =
        splash ? reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(splash, "SplashClose"))) : nullptr;
    record(close ? "main closes the splash" : "main finds no splash-screen library in the process");
    if (close) close();
  }
#endif
  if (failure() == "throw") t_exceptionPending = &g_throwable;
}

jstring VEXIL_JNICALL newStringUTF(JNIEnv*, const char* bytes) { return newObject(bytes); }

jobjectArray VEXIL_JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  record("NewObjectArray " + std::to_string(length) + " " + objectOf(elementClass)->text + " " +
         (initial ? "\"" + objectOf(initial)->text + "\"" : std::string("null")));
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
  if (failure() == "attach") {
    record("AttachCurrentThread refused");
    std::lock_guard<std::mutex> hold(g_lock);
    ++g_detachCount;
    g_detached.notify_all();
    return -1;
  }
  record("AttachCurrentThread");
  *env = &g_env;
  return JNI_OK;
}

jint VEXIL_JNICALL detachCurrentThread(JavaVM*) {
  record("DetachCurrentThread");
  std::lock_guard<std::mutex> hold(g_lock);
  ++g_detachCount;
  g_detached.notify_all();
  return JNI_OK;
}

NativeInterface makeNativeInterface() {
  NativeInterface table{};
  table.FindClass = findClass;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionDescribe = exceptionDescribe;
  table.ExceptionClear = exceptionClear;
  table.GetObjectClass = getObjectClass;
  table.GetMethodID = getMethodID;
  table.CallObjectMethodV = callObjectMethodV;
  table.GetStringUTFChars = getStringUTFChars;
  table.ReleaseStringUTFChars = releaseStringUTFChars;
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

/// The stack size for Java threads that ARGS's options ask for, in bytes, as a
/// runtime reads the last -Xss<size> or -XX:ThreadStackSize=<KiB>; 0 for none.
unsigned long long requestedStackSize(const JavaVMInitArgs* args) {
  unsigned long long size = 0;
  for (jint i = 0; i < args->nOptions; ++i) {
    const char* option = args->options[i].optionString;
    unsigned long long unit = 1;
    const char* value = nullptr;
    if (std::strncmp(option, "-Xss", 4) == 0) {
      value = option + 4;
    } else if (std::strncmp(option, "-XX:ThreadStackSize=", 20) == 0) {
      value = option + 20;
      unit = 1024;
    }
    if (!value) continue;
    char* end = nullptr;
    size = std::strtoull(value, &end, 10) * unit;
    if (*end == 'k' || *end == 'K') size *= 1024;
    if (*end == 'm' || *end == 'M') size *= 1024ULL * 1024;
    if (*end == 'g' || *end == 'G') size *= 1024ULL * 1024 * 1024;
  }
  return size;
}

/// Takes what a runtime's start takes of the calling thread's stack, so that a
/// thread too small for a runtime dies here as it would in one.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void useStackAsARuntimeStarts() {
  volatile char frames[112 * 1024];
  for (size_t at = 0; at < sizeof frames; at += 1024) frames[at] = 1;
}

/// Says why creation fails through the output hook among ARGS's options, as a
/// runtime does; without one the fake says nothing (false).
bool sayWhyNotCreated(const JavaVMInitArgs* args, const char* format, ...) {
  VfprintfHook hook = nullptr;
  for (jint i = 0; i < args->nOptions; ++i) {
    if (std::strcmp(args->options[i].optionString, kVfprintfOptionName) == 0) {
      hook = reinterpret_cast<VfprintfHook>(args->options[i].extraInfo);
    }
  }
  if (!hook) return false;
  std::va_list arguments;
  va_start(arguments, format);
  hook(stderr, format, arguments);
  va_end(arguments);
  return true;
}

}  // namespace

// A runtime's default stack size for Java threads, asked for with the
// first-generation init arguments.
extern "C" jint VEXIL_JNICALL JNI_GetDefaultJavaVMInitArgs(void* initArgs) {
  JDK1_1InitArgs* args = static_cast<JDK1_1InitArgs*>(initArgs);
  if (args->version != JNI_VERSION_1_1) return -1;
  args->javaStackSize = 2 * 1024 * 1024;
  return JNI_OK;
}

extern "C" jint VEXIL_JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* initArgs) {
  const JavaVMInitArgs* args = static_cast<const JavaVMInitArgs*>(initArgs);
  char version[16];
  std::snprintf(version, sizeof version, "0x%08lx", static_cast<unsigned long>(args->version));
  record(std::string("JNI_CreateJavaVM version=") + version + " ignoreUnrecognized=" +
         std::to_string(args->ignoreUnrecognized) + " nOptions=" + std::to_string(args->nOptions));
  for (jint i = 0; i < args->nOptions; ++i) {
    const JavaVMOption& option = args->options[i];
    record(std::string("option ") + option.optionString + (option.extraInfo ? " (with extra info)" : ""));
    const std::string classList = "-XX:DumpLoadedClassList=";
    if (std::strncmp(option.optionString, classList.c_str(), classList.size()) == 0) {
      if (std::FILE* list = std::fopen(option.optionString + classList.size(), "wb")) {
        std::fputs("java/lang/Object id: 0\nMain id: 1\n", list);
        std::fclose(list);
      }
    }
#ifdef _WIN32
    // What a runtime makes of the bytes: it decodes them in the process's
    // code page. Recorded in UTF-8 for the options that are not plain ASCII.
    std::string bytes = option.optionString;
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) {
      int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
      std::wstring wide(units > 0 ? units : 0, L'\0');
      if (units > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], units);
      int size =
          WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
      std::string decoded(size > 0 ? size : 0, '\0');
      if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &decoded[0], size, nullptr,
                            nullptr);
      }
      record("decoded in code page " + std::to_string(GetACP()) + ": " + decoded);
    }
#endif
  }
#ifdef VEXIL_FAKE_JVM_NEEDS_HELPER
  record("helper " + std::to_string(vexilHelperValue()));
#endif
#ifdef _WIN32
  const char* recordProcess = std::getenv("VEXIL_FAKE_JVM_RECORD_PROCESS");
  if (recordProcess && *recordProcess) record("process " + std::to_string(GetCurrentProcessId()));
#endif
#ifdef _WIN32
  if (const char* probe = std::getenv("VEXIL_FAKE_JVM_PROBE_LIBRARY")) {
    HMODULE module = LoadLibraryA(probe);
    record(std::string("probe ") + probe + (module ? " loaded" : " not found"));
  }
#endif
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_objects.clear();
    g_creatingThread = std::this_thread::get_id();
  }
  t_exceptionPending = nullptr;
  useStackAsARuntimeStarts();
  const unsigned long long stackSize = requestedStackSize(args);
  if (stackSize != 0 && stackSize < 136ULL * 1024) {
    // A runtime's own words, through its output hook or on standard output.
    const char* tooSmall = "The Java thread stack size specified is too small. Specify at least 136k\n";
    if (!sayWhyNotCreated(args, "%s", tooSmall)) {
      std::fputs(tooSmall, stdout);
      std::fflush(stdout);
    }
    return -1;
  }
  if (failure() == "create") {
    sayWhyNotCreated(args, "Fake runtime: %s refuses to be created\n", "VEXIL_FAKE_JVM_FAIL=create");
    return -1;
  }
#ifndef _WIN32
  if (failure() == "descriptors") {
    // The lowest free descriptor becomes the limit: no file can be opened.
    int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (lowestFree >= 0) {
      close(lowestFree);
      rlimit limit;
      getrlimit(RLIMIT_NOFILE, &limit);
      limit.rlim_cur = static_cast<rlim_t>(lowestFree);
      setrlimit(RLIMIT_NOFILE, &limit);
    }
  }
#endif
  g_env.functions = &g_nativeInterface;
  g_vm.functions = &g_invokeInterface;
  *vm = &g_vm;
  *env = &g_env;
  return JNI_OK;
}

// In-process tests run HOOK (with CONTEXT) inside each main call, on the
// calling thread, before main waits; null removes it.
extern "C" void vexilFakeJvmSetMainHook(void (*hook)(void*), void* context) {
  g_mainHook = hook;
  g_mainHookContext = context;
}
