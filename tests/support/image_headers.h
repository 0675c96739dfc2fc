#ifndef VEXIL_TESTS_SUPPORT_IMAGE_HEADERS_H_
#define VEXIL_TESTS_SUPPORT_IMAGE_HEADERS_H_

// Header only: small builders of file heads, inlined.

#include <cstdint>
#include <string>

/// The start of a PE file (a DLL such as jvm.dll) whose header lies at OFFSET
/// and names MACHINE: 0x8664 x64, 0x014C x86, 0xAA64 ARM64.
inline std::string peImageHead(uint16_t machine, uint32_t offset = 0x80) {
  std::string bytes(offset + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>(offset >> (8 * i) & 0xFF);
  bytes.replace(offset, 4, std::string("PE\0\0", 4));
  bytes[offset + 4] = static_cast<char>(machine & 0xFF);
  bytes[offset + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

#endif  // VEXIL_TESTS_SUPPORT_IMAGE_HEADERS_H_
