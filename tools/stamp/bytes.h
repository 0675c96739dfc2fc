#ifndef VEXIL_TOOLS_STAMP_BYTES_H_
#define VEXIL_TOOLS_STAMP_BYTES_H_

// Header only: small inline readers and writers of fields.

// Little-endian fields in byte strings, as Windows files store them.

#include <cstddef>
#include <cstdint>
#include <string>

/// Whether LENGTH bytes at OFFSET lie inside BYTES (no overflow for any values).
inline bool fits(const std::string& bytes, std::uint64_t offset, std::uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

/// Callers check with fits() first.
inline std::uint16_t get16(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    static_cast<unsigned char>(bytes[offset + 1]) << 8);
}
inline std::uint32_t get32(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(get16(bytes, offset)) | static_cast<std::uint32_t>(get16(bytes, offset + 2)) << 16;
}

inline void set16(std::string& bytes, std::size_t offset, std::uint32_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}
inline void set32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  set16(bytes, offset, value & 0xFFFF);
  set16(bytes, offset + 2, value >> 16);
}

inline void put16(std::string& bytes, std::uint32_t value) {
  bytes.append(2, '\0');
  set16(bytes, bytes.size() - 2, value);
}
inline void put32(std::string& bytes, std::uint32_t value) {
  bytes.append(4, '\0');
  set32(bytes, bytes.size() - 4, value);
}
/// Zero bytes up to the next multiple of ALIGNMENT.
inline void padTo(std::string& bytes, std::size_t alignment) {
  bytes.append((alignment - bytes.size() % alignment) % alignment, '\0');
}

#endif  // VEXIL_TOOLS_STAMP_BYTES_H_
