#include "platform/machine.h"

// The compilers that build the launcher (GCC, Clang, MinGW) name the target
// processor in these macros; MSVC's names are here for completeness.
Machine launcherMachine() {
#if defined(__x86_64__) || defined(_M_X64)
  return Machine::X64;
#elif defined(__i386__) || defined(_M_IX86)
  return Machine::X86;
#elif defined(__aarch64__) || defined(_M_ARM64)
  return Machine::Arm64;
#else
  return Machine::Other;
#endif
}
