// importRegistry, which the registry tests build their settings with.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

// The value NAME of HKLM\SUBKEY, or "<missing>".
std::string machineValue(const std::string& subkey, const std::string& name) {
  char value[256];
  DWORD size = sizeof value;
  LONG status = RegGetValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size);
  return status == ERROR_SUCCESS ? std::string(value) : "<missing>";
}

TEST(RegistryImport, WritesAndWipesKeys) {
  importRegistry(kRegFileHeader +
                 "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VexilE2eHarness]\r\n\r\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VexilE2eHarness\\1.8]\r\n"
                 "\"JavaHome\"=\"C:\\\\Java\\\\jdk 1.8\"\r\n");
  EXPECT_EQ(machineValue("SOFTWARE\\VexilE2eHarness\\1.8", "JavaHome"), "C:\\Java\\jdk 1.8");

  importRegistry(kRegFileHeader + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VexilE2eHarness]\r\n");
  EXPECT_EQ(machineValue("SOFTWARE\\VexilE2eHarness\\1.8", "JavaHome"), "<missing>");
}

TEST(RegistryImport, ABadFileFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(importRegistry("not a registry file\r\n"), "reg import");
}

}  // namespace
