#ifndef VEXIL_PLATFORM_MACHINE_H_
#define VEXIL_PLATFORM_MACHINE_H_

// A free function, not a service of the Platform record: the launcher's machine
// is fixed when it is built, with nothing to stand in for.

/// The processor an executable image is made for, as far as the launcher
/// tells them apart: it can only load a runtime made for its own.
enum class Machine {
  Unknown,  ///< not an image the launcher can read, or cut short
  X86,      ///< 32-bit x86
  X64,      ///< 64-bit x86 (x86-64, AMD64)
  Arm64,    ///< 64-bit ARM (AArch64)
  Other,    ///< an image for any other processor
};

/// The machine this launcher was built for.
Machine launcherMachine();

#endif  // VEXIL_PLATFORM_MACHINE_H_
