#ifndef VEXIL_HOSTING_RUNTIME_MESSAGES_H_
#define VEXIL_HOSTING_RUNTIME_MESSAGES_H_

#include <string>

#include "hosting/jni_declarations.h"

// A windowed program has no error stream, yet the runtime tells why it
// cannot be created (an invalid heap size, an unknown option) on its error
// stream. Handed the option below, the runtime writes those messages through
// the launcher instead, which keeps them for the report.

/// The extra information of the runtime's output option
/// (jni::kVfprintfOptionName) that makes the runtime write its messages here.
void* runtimeMessagesHook();

/// What the runtime has written so far, without the trailing line end; at
/// most the first 16 KiB.
std::string collectedRuntimeMessages();

#endif  // VEXIL_HOSTING_RUNTIME_MESSAGES_H_
