#ifndef VEXIL_PLATFORM_JNI_CALLING_CONVENTION_H_
#define VEXIL_PLATFORM_JNI_CALLING_CONVENTION_H_

// Header only: one macro.

// How the Java runtime's exported functions and function tables are called:
// __stdcall on Windows (it only matters for 32-bit code), the C default
// elsewhere.
#if defined(_WIN32)
#define VEXIL_JNICALL __stdcall
#else
#define VEXIL_JNICALL
#endif

#endif  // VEXIL_PLATFORM_JNI_CALLING_CONVENTION_H_
