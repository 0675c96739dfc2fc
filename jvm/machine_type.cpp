#include "jvm/machine_type.h"

#include <cstdint>

#include "report/messages.h"

namespace {

// PE: "MZ", the offset of the PE header at 0x3C, there "PE\0\0" and the
// 16-bit machine field, all little-endian.
constexpr size_t kPeOffsetField = 0x3C;
constexpr uint16_t kPeMachineX86 = 0x014C;
constexpr uint16_t kPeMachineX64 = 0x8664;
constexpr uint16_t kPeMachineArm64 = 0xAA64;
// A PE header lies in the first kilobytes of a file; an offset beyond this is
// no image the launcher will read, however the file goes on.
constexpr uint32_t kPeLargestOffset = 1u << 20;

// ELF: "\x7F" "ELF", the class (1: 32-bit, 2: 64-bit) and the byte order
// (1: little-endian, 2: big-endian) in bytes 4 and 5, the 16-bit machine
// field at 18 in the file's byte order.
constexpr size_t kElfMachineField = 18;
constexpr uint16_t kElfMachineX86 = 3;
constexpr uint16_t kElfMachineX64 = 62;
constexpr uint16_t kElfMachineArm64 = 183;

uint32_t littleEndian(std::string_view bytes, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = count; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

Machine peMachine(std::string_view head, size_t* bytesNeeded) {
  if (head.size() < kPeOffsetField + 4) {
    *bytesNeeded = kPeOffsetField + 4;
    return Machine::Unknown;
  }
  const uint32_t offset = littleEndian(head, kPeOffsetField, 4);
  if (offset > kPeLargestOffset) return Machine::Unknown;
  if (head.size() < offset + 6) {
    *bytesNeeded = offset + 6;
    return Machine::Unknown;
  }
  if (head.substr(offset, 4) != std::string_view("PE\0\0", 4)) return Machine::Unknown;
  switch (littleEndian(head, offset + 4, 2)) {
    case kPeMachineX86:
      return Machine::X86;
    case kPeMachineX64:
      return Machine::X64;
    case kPeMachineArm64:
      return Machine::Arm64;
    default:
      return Machine::Other;
  }
}

Machine elfMachine(std::string_view head, size_t* bytesNeeded) {
  if (head.size() < kElfMachineField + 2) {
    *bytesNeeded = kElfMachineField + 2;
    return Machine::Unknown;
  }
  const char elfClass = head[4];
  const char byteOrder = head[5];
  if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2)) return Machine::Unknown;
  uint16_t machine = static_cast<uint16_t>(littleEndian(head, kElfMachineField, 2));
  if (byteOrder == 2) machine = static_cast<uint16_t>(machine >> 8 | machine << 8);
  // The launchers are little-endian: a big-endian AArch64 library (aarch64_be)
  // is as foreign to the ARM64 launcher as any other processor's.
  if (byteOrder != 1) return Machine::Other;
  const bool is64Bit = elfClass == 2;
  if (machine == kElfMachineX86 && !is64Bit) return Machine::X86;
  if (machine == kElfMachineX64 && is64Bit) return Machine::X64;
  if (machine == kElfMachineArm64 && is64Bit) return Machine::Arm64;
  return Machine::Other;  // also x86-64 or AArch64 code with 32-bit pointers
}

}  // namespace

Machine machineOfImage(std::string_view head, size_t* bytesNeeded) {
  *bytesNeeded = 0;
  if (head.size() < 4) {
    *bytesNeeded = 4;  // not even a signature yet
    return Machine::Unknown;
  }
  if (head.substr(0, 2) == "MZ") return peMachine(head, bytesNeeded);
  if (head.substr(0, 4) ==
      "\x7F"
      "ELF")
    return elfMachine(head, bytesNeeded);
  return Machine::Unknown;
}

Machine readImageMachine(const ReadFileStart& readStart) {
  std::string head;
  if (!readStart(kImageHeadBytes, &head)) return Machine::Unknown;
  size_t bytesNeeded = 0;
  Machine machine = machineOfImage(head, &bytesNeeded);
  // A file shorter than asked for has given all it has.
  if (machine != Machine::Unknown || bytesNeeded <= head.size() || head.size() < kImageHeadBytes) return machine;
  if (!readStart(bytesNeeded, &head)) return Machine::Unknown;
  return machineOfImage(head, &bytesNeeded);
}

Machine readLibraryMachine(const FileSystem& fileSystem, const std::string& path) {
  return readImageMachine(
      [&](size_t maxBytes, std::string* contents) { return fileSystem.readFileStart(path, maxBytes, contents); });
}

std::string describeMachine(Machine machine) {
  switch (machine) {
    case Machine::X86:
      return message::kMachineX86;
    case Machine::X64:
      return message::kMachineX64;
    case Machine::Arm64:
      return message::kMachineArm64;
    case Machine::Other:
      return message::kMachineOther;
    case Machine::Unknown:
      break;
  }
  return message::kMachineUnknown;
}
