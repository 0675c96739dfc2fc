#ifndef VEXIL_HOSTING_JAVA_EXCEPTION_H_
#define VEXIL_HOSTING_JAVA_EXCEPTION_H_

#include <string>

#include "hosting/jni_declarations.h"

/// Takes the exception pending on ENV's thread after the lookup of the main
/// class CLASS_NAME (slash form) failed, and clears it. Returns its class and
/// message ("java.lang.NoClassDefFoundError: app/Base"), followed by one
/// "Caused by: " line for each cause, for a report; empty when nothing is
/// pending. When DESCRIBE_ON_ERROR_STREAM, the runtime also describes it on
/// its error stream, stack trace and all, but only when the class loads and
/// its initialisation threw, which is the application's own code failing; a
/// class that does not load at all is described by the report alone, as the
/// JDK's launcher does it.
std::string takeMainClassFailure(jni::JNIEnv* env, const std::string& className, bool describeOnErrorStream);

#endif  // VEXIL_HOSTING_JAVA_EXCEPTION_H_
