#ifndef VEXIL_HOSTING_STACK_SIZE_H_
#define VEXIL_HOSTING_STACK_SIZE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Reads a memory size as the runtime writes it: decimal digits, then
/// optionally one of k, m, g (either case) for kibibytes, mebibytes,
/// gibibytes. False for anything else, and for a size beyond 64 bits.
bool parseMemorySize(const std::string& text, std::uint64_t* bytes);

/// The stack size, in bytes, that the runtime options OPTIONS give Java
/// threads: the last -Xss<size> or -XX:ThreadStackSize=<size in kibibytes>,
/// as the runtime reads them. 0 when no option sets it, when the last one
/// says 0 (the runtime's default), or when its value cannot be read (the
/// runtime then refuses the option itself).
std::size_t configuredStackSize(const std::vector<std::string>& options);

/// The least stack of the thread that creates the runtime and runs main. A
/// runtime needs about 128 KiB to start on it (JDK 17 and 25 on x64) and up to
/// 48 KiB to refuse a stack size it finds too small; a smaller thread dies of
/// its own stack overflow before the runtime can say anything.
inline constexpr std::size_t kLeastMainThreadStackSize = 256 * 1024;

/// The stack of the thread that creates the runtime and runs main: the size
/// OPTIONS give Java threads (configuredStackSize), else RUNTIME_DEFAULT, and
/// never below kLeastMainThreadStackSize; 0 (the system's default) when both
/// are 0. The runtime judges the option itself: a size it refuses still gets
/// a thread on which it can say so.
std::size_t mainThreadStackSize(const std::vector<std::string>& options, std::size_t runtimeDefault);

#endif  // VEXIL_HOSTING_STACK_SIZE_H_
