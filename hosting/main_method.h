#ifndef VEXIL_HOSTING_MAIN_METHOD_H_
#define VEXIL_HOSTING_MAIN_METHOD_H_

#include <string>

#include "hosting/jni_declarations.h"

/// The method that starts the application, as the runtime's own rules choose
/// it.
struct MainMethod {
  jni::jmethodID method = nullptr;  ///< null when there is none
  bool isStatic = true;
  bool takesArguments = true;            ///< main(String[]) rather than main()
  jni::jmethodID constructor = nullptr;  ///< the no-argument constructor, for an instance main
  /// When there is none: what was looked for, for the report.
  std::string lookedFor;
};

/// The feature version of the created runtime (17, 25, ...) as it reports
/// itself; 0 for a runtime too old to say (before 10).
int runtimeFeatureVersion(jni::JNIEnv* env);

/// Finds the main method of MAIN_CLASS (named CLASS_NAME in the report). Every
/// runtime runs a static main(String[]). A runtime of version 25 or later that
/// lacks it runs, in this order, a non-private instance main(String[]), a
/// static main() or an instance main(), the instance methods on an object made
/// by the class's non-private constructor without arguments. Leaves no
/// exception pending.
MainMethod findMainMethod(jni::JNIEnv* env, jni::jclass mainClass, const std::string& className);

/// Calls MAIN on MAIN_CLASS, with ARGUMENTS when it takes them. An exception
/// that ends it (or the constructor) stays pending.
void callMainMethod(jni::JNIEnv* env, jni::jclass mainClass, const MainMethod& main, jni::jobjectArray arguments);

#endif  // VEXIL_HOSTING_MAIN_METHOD_H_
