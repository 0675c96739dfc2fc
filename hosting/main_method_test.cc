// The choice of main against a small stand-in for the runtime's tables: which
// methods the class declares, which are private, and the runtime's version.
#include "hosting/main_method.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Declared {
  std::string key;  // "static main()V", "main([Ljava/lang/String;)V", "<init>()V"
  bool isPrivate;
};

struct ClassModel {
  int version = 17;
  std::vector<Declared> methods;
  bool pending = false;  // a lookup failed and nothing cleared it
  std::vector<std::string> calls;
};
ClassModel* g_model = nullptr;

// Handles and method IDs are addresses in this array: the n-th byte stands for n.
char g_tokens[256];
jni::jobject token(int n) { return reinterpret_cast<jni::jobject>(&g_tokens[n]); }
int tokenNumber(const void* p) { return static_cast<int>(static_cast<const char*>(p) - g_tokens); }
const int kVersionObject = 1, kMember = 2, kVersionClass = 3, kRuntime = 4, kInstance = 5, kMainClass = 6;
const int kFirstMethod = 100;

jni::jmethodID methodId(const std::string& key) {
  if (g_model->pending) ADD_FAILURE() << "a call with an exception pending: " << key;
  if (key == "static version()Ljava/lang/Runtime$Version;") return reinterpret_cast<jni::jmethodID>(token(10));
  if (key == "feature()I") return reinterpret_cast<jni::jmethodID>(token(11));
  if (key == "getModifiers()I") return reinterpret_cast<jni::jmethodID>(token(12));
  for (std::size_t i = 0; i < g_model->methods.size(); ++i) {
    if (g_model->methods[i].key == key)
      return reinterpret_cast<jni::jmethodID>(token(kFirstMethod + static_cast<int>(i)));
  }
  g_model->pending = true;
  return nullptr;
}

jni::jclass VEXIL_JNICALL findClass(jni::JNIEnv*, const char* name) {
  if (std::strcmp(name, "java/lang/Runtime") == 0) return token(kRuntime);
  if (std::strcmp(name, "java/lang/reflect/Member") == 0) return token(kMember);
  return nullptr;
}
jni::jmethodID VEXIL_JNICALL getStaticMethodID(jni::JNIEnv*, jni::jclass, const char* name, const char* signature) {
  return methodId(std::string("static ") + name + signature);
}
jni::jmethodID VEXIL_JNICALL getMethodID(jni::JNIEnv*, jni::jclass, const char* name, const char* signature) {
  return methodId(std::string(name) + signature);
}
void VEXIL_JNICALL exceptionClear(jni::JNIEnv*) { g_model->pending = false; }
jni::jthrowable VEXIL_JNICALL exceptionOccurred(jni::JNIEnv*) { return g_model->pending ? token(99) : nullptr; }
jni::jobject VEXIL_JNICALL callStaticObjectMethodV(jni::JNIEnv*, jni::jclass, jni::jmethodID, std::va_list) {
  if (g_model->version < 10) {  // no Runtime.version(): looked up, but say it threw
    g_model->pending = true;
    return nullptr;
  }
  return token(kVersionObject);
}
jni::jclass VEXIL_JNICALL getObjectClass(jni::JNIEnv*, jni::jobject) { return token(kVersionClass); }
jni::jobject VEXIL_JNICALL toReflectedMethod(jni::JNIEnv*, jni::jclass, jni::jmethodID method, jni::jboolean) {
  return reinterpret_cast<jni::jobject>(method);
}
jni::jint VEXIL_JNICALL callIntMethodV(jni::JNIEnv*, jni::jobject object, jni::jmethodID method, std::va_list) {
  if (tokenNumber(method) == 11) return g_model->version;
  int index = tokenNumber(object) - kFirstMethod;
  return g_model->methods.at(static_cast<std::size_t>(index)).isPrivate ? 0x0002 : 0x0001;
}
jni::jobject VEXIL_JNICALL newObjectV(jni::JNIEnv*, jni::jclass, jni::jmethodID, std::va_list) {
  g_model->calls.push_back("new");
  return token(kInstance);
}
void VEXIL_JNICALL callVoidMethodV(jni::JNIEnv*, jni::jobject, jni::jmethodID method, std::va_list) {
  g_model->calls.push_back("instance " + g_model->methods.at(tokenNumber(method) - kFirstMethod).key);
}
void VEXIL_JNICALL callStaticVoidMethodV(jni::JNIEnv*, jni::jclass, jni::jmethodID method, std::va_list) {
  g_model->calls.push_back("static " + g_model->methods.at(tokenNumber(method) - kFirstMethod).key);
}

jni::NativeInterface table() {
  jni::NativeInterface t{};
  t.FindClass = findClass;
  t.GetStaticMethodID = getStaticMethodID;
  t.GetMethodID = getMethodID;
  t.ExceptionClear = exceptionClear;
  t.ExceptionOccurred = exceptionOccurred;
  t.CallStaticObjectMethodV = callStaticObjectMethodV;
  t.GetObjectClass = getObjectClass;
  t.ToReflectedMethod = toReflectedMethod;
  t.CallIntMethodV = callIntMethodV;
  t.NewObjectV = newObjectV;
  t.CallVoidMethodV = callVoidMethodV;
  t.CallStaticVoidMethodV = callStaticVoidMethodV;
  return t;
}

const char kStaticWithArgs[] = "static main([Ljava/lang/String;)V";
const char kStaticNoArgs[] = "static main()V";
const char kInstanceWithArgs[] = "main([Ljava/lang/String;)V";
const char kInstanceNoArgs[] = "main()V";
const char kConstructor[] = "<init>()V";

TEST(MainMethodTest, TheRuntimesRulesChooseTheMethod) {
  struct Case {
    const char* name;
    int version;
    std::vector<Declared> methods;
    std::vector<std::string> calls;  // empty: none found
  } cases[] = {
      {"classic main on 17", 17, {{kStaticWithArgs, false}}, {std::string("static ") + kStaticWithArgs}},
      {"classic main on 25",
       25,
       {{kStaticWithArgs, false}, {kInstanceNoArgs, false}, {kConstructor, false}},
       {std::string("static ") + kStaticWithArgs}},
      {"instance main on 17 is not run", 17, {{kInstanceNoArgs, false}, {kConstructor, false}}, {}},
      {"a runtime too old to tell its version", 8, {{kInstanceNoArgs, false}, {kConstructor, false}}, {}},
      {"instance main() on 25",
       25,
       {{kInstanceNoArgs, false}, {kConstructor, false}},
       {"new", std::string("instance ") + kInstanceNoArgs}},
      {"static main() on 25", 25, {{kStaticNoArgs, false}}, {std::string("static ") + kStaticNoArgs}},
      {"main(String[]) before main(), static or not",
       25,
       {{kStaticNoArgs, false}, {kInstanceWithArgs, false}, {kConstructor, false}},
       {"new", std::string("instance ") + kInstanceWithArgs}},
      {"a private candidate is passed over",
       26,
       {{kInstanceWithArgs, true}, {kInstanceNoArgs, false}, {kConstructor, false}},
       {"new", std::string("instance ") + kInstanceNoArgs}},
      {"a private constructor makes no instance", 25, {{kInstanceNoArgs, false}, {kConstructor, true}}, {}},
      {"no constructor without arguments", 25, {{kInstanceNoArgs, false}}, {}},
      {"nothing at all on 25", 25, {}, {}},
  };
  const jni::NativeInterface functions = table();
  jni::JNIEnv env{&functions};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClassModel model;
    model.version = c.version;
    model.methods = c.methods;
    g_model = &model;
    MainMethod main = findMainMethod(&env, token(kMainClass), "app/Main");
    EXPECT_FALSE(model.pending);
    if (c.calls.empty()) {
      EXPECT_EQ(main.method, nullptr);
      EXPECT_NE(main.lookedFor.find("app/Main"), std::string::npos) << main.lookedFor;
    } else {
      ASSERT_NE(main.method, nullptr);
      callMainMethod(&env, token(kMainClass), main, token(kInstance));
      EXPECT_EQ(model.calls, c.calls);
    }
    g_model = nullptr;
  }
}

TEST(MainMethodTest, TheReportSaysWhatWasLookedFor) {
  const jni::NativeInterface functions = table();
  jni::JNIEnv env{&functions};
  struct Case {
    int version;
    std::vector<Declared> methods;
    const char* lookedFor;
  } cases[] = {
      {17, {}, "Looked in app/Main for static main with signature ([Ljava/lang/String;)V"},
      {25,
       {},
       "Looked in app/Main for main with signature ([Ljava/lang/String;)V or ()V, static or not, and not private"},
      {25,
       {{kInstanceNoArgs, false}, {kConstructor, true}},
       "Found an instance main in app/Main, but no constructor without arguments that is not private to make the "
       "instance"},
  };
  for (const Case& c : cases) {
    ClassModel model;
    model.version = c.version;
    model.methods = c.methods;
    g_model = &model;
    EXPECT_EQ(findMainMethod(&env, token(kMainClass), "app/Main").lookedFor, c.lookedFor);
    g_model = nullptr;
  }
}

}  // namespace
