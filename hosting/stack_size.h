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

#endif  // VEXIL_HOSTING_STACK_SIZE_H_
