#include "jvm/machine_type.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/image_headers.h"

namespace {

/// The start of an ELF file of class ELF_CLASS (1, 2) and byte order ORDER
/// (1 little, 2 big) that names MACHINE.
std::string elf(char elfClass, char order, uint16_t machine) {
  std::string bytes = std::string(
                          "\x7F"
                          "ELF",
                          4) +
                      elfClass + order + std::string(58, '\0');
  bytes[18] = static_cast<char>(order == 1 ? machine & 0xFF : machine >> 8);
  bytes[19] = static_cast<char>(order == 1 ? machine >> 8 : machine & 0xFF);
  return bytes;
}

TEST(MachineTypeTest, ReadsThePeAndElfMachineFields) {
  struct Case {
    const char* what;
    std::string head;
    Machine machine;
    size_t bytesNeeded;
  } cases[] = {
      {"PE x64", peImageHead(0x8664), Machine::X64, 0},
      {"PE x86", peImageHead(0x014C), Machine::X86, 0},
      {"PE ARM64", peImageHead(0xAA64), Machine::Arm64, 0},
      {"PE ARM (32-bit)", peImageHead(0x01C4), Machine::Other, 0},
      {"PE header far in", peImageHead(0x014C, 0x3000), Machine::X86, 0},
      {"PE header beyond the head", peImageHead(0x8664, 0x3000).substr(0, 1024), Machine::Unknown, 0x3006},
      {"PE cut before the offset field", peImageHead(0x8664).substr(0, 0x3E), Machine::Unknown, 0x40},
      {"PE offset far beyond any header", peImageHead(0x8664).replace(0x3C, 4, "\xFF\xFF\xFF\xFF"), Machine::Unknown,
       0},
      {"MZ without PE signature", peImageHead(0x8664).replace(0x80, 2, "NE"), Machine::Unknown, 0},
      {"ELF x86-64", elf(2, 1, 62), Machine::X64, 0},
      {"ELF x86", elf(1, 1, 3), Machine::X86, 0},
      {"ELF AArch64", elf(2, 1, 183), Machine::Arm64, 0},
      {"ELF AArch64, big-endian", elf(2, 2, 183), Machine::Other, 0},
      {"ELF x86-64, big-endian", elf(2, 2, 62), Machine::Other, 0},
      {"ELF x86-64 code, 32-bit pointers", elf(1, 1, 62), Machine::Other, 0},
      {"ELF RISC-V", elf(2, 1, 243), Machine::Other, 0},
      {"ELF of no class", elf(0, 1, 62), Machine::Unknown, 0},
      {"ELF cut short", elf(2, 1, 62).substr(0, 19), Machine::Unknown, 20},
      {"a text file", "not a library at all", Machine::Unknown, 0},
      {"an empty file", "", Machine::Unknown, 4},
      {"MZ alone", "MZ", Machine::Unknown, 4},
  };
  for (const Case& c : cases) {
    size_t bytesNeeded = 12345;
    EXPECT_EQ(machineOfImage(c.head, &bytesNeeded), c.machine) << c.what;
    EXPECT_EQ(bytesNeeded, c.bytesNeeded) << c.what;
  }
}

// The reads a file takes: one head, and a second only when the header lies
// beyond it and the file is long enough to hold it.
TEST(MachineTypeTest, ReadsMoreOnlyWhenTheHeaderLiesFurther) {
  struct Case {
    const char* what;
    std::string file;
    Machine machine;
    int reads;
  } cases[] = {
      {"header in the head", peImageHead(0x8664) + std::string(5000, 'x'), Machine::X64, 1},
      {"header beyond the head", peImageHead(0x014C, 0x3000) + std::string(5000, 'x'), Machine::X86, 2},
      {"a short file", peImageHead(0x8664).substr(0, 0x50), Machine::Unknown, 1},
      {"a long file that is no image", std::string(5000, 'x'), Machine::Unknown, 1},
  };
  for (const Case& c : cases) {
    int reads = 0;
    Machine machine = readImageMachine([&](size_t maxBytes, std::string* contents) {
      ++reads;
      *contents = c.file.substr(0, maxBytes);
      return true;
    });
    EXPECT_EQ(machine, c.machine) << c.what;
    EXPECT_EQ(reads, c.reads) << c.what;
  }
  EXPECT_EQ(readImageMachine([](size_t, std::string*) { return false; }), Machine::Unknown);
}

// The test runtime is built like the launcher, so its header names the
// launcher's own machine.
TEST(MachineTypeTest, TheTestRuntimeIsForTheLaunchersMachine) {
  std::ifstream file(VEXIL_FAKE_JVM_PATH, std::ios::binary);
  ASSERT_TRUE(file) << VEXIL_FAKE_JVM_PATH;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  size_t bytesNeeded = 0;
  EXPECT_EQ(machineOfImage(bytes, &bytesNeeded), launcherMachine());
  EXPECT_NE(launcherMachine(), Machine::Other);
}

}  // namespace
