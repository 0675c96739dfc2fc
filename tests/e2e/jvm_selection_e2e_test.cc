// Runtime discovery and selection on the Wine registry: jvm_probe.exe reads
// the runtimes that .reg imports list, with empty jvm.dll files standing in
// for the runtimes' JVM libraries on the prefix's drive C:.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

#ifndef VEXIL_E2E_JVM_PROBE
#error VEXIL_E2E_JVM_PROBE must name the jvm_probe program
#endif

namespace {

const std::string kJdkTree = "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit";
const std::string kJreTree = "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kJdkHome = "C:\\j2sdk1.4.2_05";
const std::string kJreHome = "C:\\Program Files\\Java\\j2re1.4.2_05";

/// BYTES as a .reg file's hex value (REG_BINARY): no terminator is added.
std::string regHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex = "hex:";
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (i) hex += ',';
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

std::string subkey(const std::string& tree, const std::string& name, const std::string& valueLine) {
  return "[" + tree + "\\" + name + "]\r\n" + valueLine + "\r\n\r\n";
}

std::string javaHome(const std::string& home) { return "\"JavaHome\"=" + regString(home); }

/// The lines of OUTPUT that begin with PREFIX, without it.
std::vector<std::string> linesAfter(const std::string& output, const std::string& prefix) {
  std::vector<std::string> lines;
  std::string text = withLfLineEnds(output);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    start = end + 1;
  }
  return lines;
}

/// The value of FIELD ("m_comparableVersion") in a record's dump.
std::string field(const std::string& dump, const std::string& name) {
  size_t at = dump.find(name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 1;
  return dump.substr(at, dump.find(',', at) - at);
}

class JvmSelectionOnWine : public ::testing::Test {
 protected:
  JvmSelectionOnWine() : probe(VEXIL_E2E_JVM_PROBE, "jvm_probe.exe") {}

  ~JvmSelectionOnWine() override {
    importRegistry(kRegFileHeader + kRegWipeJavaSoft);
    std::error_code ignored;
    for (const std::string& directory : made) std::filesystem::remove_all(directory, ignored);
  }

  /// An empty file at PATH, and its directories; TOP is removed after the test.
  void addFile(const std::string& top, const std::string& path) {
    made.push_back(top);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).flush();
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
  }

  /// The installed runtimes of the selection's worked example: a development
  /// kit with both JVMs and a runtime environment with a client JVM only,
  /// listed twice, as 1.4 and as 1.4.2_05.
  void installWorkedExample() {
    addFile(kJdkHome, kJdkHome + "\\jre\\bin\\client\\jvm.dll");
    addFile(kJdkHome, kJdkHome + "\\jre\\bin\\server\\jvm.dll");
    addFile("C:\\Program Files\\Java", kJreHome + "\\bin\\client\\jvm.dll");
    importRegistry(kRegFileHeader + kRegWipeJavaSoft + subkey(kJdkTree, "1.4.2_05", javaHome(kJdkHome)) +
                   subkey(kJreTree, "1.4", javaHome(kJreHome)) + subkey(kJreTree, "1.4.2_05", javaHome(kJreHome)));
  }

  LaunchResult run(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"--list"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return probe.run(all);
  }

  LaunchCase probe;
  std::vector<std::string> made;
};

TEST_F(JvmSelectionOnWine, WorkedExample) {
  struct Row {
    std::vector<std::string> settings;
    std::vector<std::string> comparableVersions;  // of the acceptable records, in list order
    std::string chosen;
  } rows[] = {
      {{},
       {"001.004.002.005.B1.D2.", "001.004.000.000.B2.D2.", "001.004.002.005.B2.D2.", "001.004.002.005.B1.D1."},
       "m_jvmPath=" + kJreHome +
           "\\bin\\client\\jvm.dll,m_javaBundle=jre,m_binJvmDir=client,"
           "m_comparableVersion=001.004.002.005.B2.D2.,m_javaHomePath=" +
           kJreHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJreHome + "\\bin\\,m_acceptable=true"},
      {{"vexil.bin.jvm.dir=prefer_server"},
       {"001.004.002.005.D1.B1.", "001.004.000.000.D1.B2.", "001.004.002.005.D1.B2.", "001.004.002.005.D2.B1."},
       "m_jvmPath=" + kJdkHome +
           "\\jre\\bin\\server\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=server,"
           "m_comparableVersion=001.004.002.005.D2.B1.,m_javaHomePath=" +
           kJdkHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJdkHome + "\\jre\\bin\\,m_acceptable=true"},
      {{"vexil.java.bundle=require_sdk"},
       {"001.004.002.005.B3.D2.", "001.004.002.005.B3.D1."},
       "m_jvmPath=" + kJdkHome +
           "\\jre\\bin\\client\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=client,"
           "m_comparableVersion=001.004.002.005.B3.D2.,m_javaHomePath=" +
           kJdkHome +
           ",m_version=1.4.2_05,"
           "m_jrePath=" +
           kJdkHome + "\\jre\\bin\\,m_acceptable=true"},
      {{"vexil.max.java.version=1.4.2"},
       {"001.004.000.000.B2.D2."},
       "m_jvmPath=" + kJreHome +
           "\\bin\\client\\jvm.dll,m_javaBundle=jre,m_binJvmDir=client,"
           "m_comparableVersion=001.004.000.000.B2.D2.,m_javaHomePath=" +
           kJreHome +
           ",m_version=1.4,"
           "m_jrePath=" +
           kJreHome + "\\bin\\,m_acceptable=true"},
  };
  installWorkedExample();
  for (const Row& row : rows) {
    const std::string settings = row.settings.empty() ? "no settings" : row.settings.front();
    LaunchResult result = run(row.settings);
    ASSERT_EQ(result.exitCode, 0) << settings << "\n" << describe(result);
    std::vector<std::string> comparableVersions;
    for (const std::string& dump : linesAfter(result.out, "rated[")) {
      if (field(dump, "m_acceptable") == "true") comparableVersions.push_back(field(dump, "m_comparableVersion"));
    }
    EXPECT_EQ(comparableVersions, row.comparableVersions) << settings << "\n" << describe(result);
    EXPECT_EQ(linesAfter(result.out, "chosen="), std::vector<std::string>{row.chosen}) << settings;
  }
}

TEST_F(JvmSelectionOnWine, ASubkeyWithoutJavaHomeStopsTheLaunch) {
  installWorkedExample();
  importRegistry(kRegFileHeader +
                 subkey(kJreTree, "1.5", "\"RuntimeLib\"=" + regString("C:\\jre5\\bin\\client\\jvm.dll")));
  LaunchResult result = probe.run();
  EXPECT_TRUE(probe.showsReport(
      result, {"Error opening registry key SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.5, value name JavaHome"}));
}

TEST_F(JvmSelectionOnWine, NoTreesNoRuntimes) {
  importRegistry(kRegFileHeader + kRegWipeJavaSoft);
  EXPECT_TRUE(probe.showsReport(probe.run(), {"No acceptable JVMs were found."}));
  // Listed, but without a JVM library in client or server: the report says so.
  addFile("C:\\jre6", "C:\\jre6\\bin\\hotspot\\jvm.dll");
  importRegistry(kRegFileHeader + subkey(kJreTree, "1.6", javaHome("C:\\jre6")));
  EXPECT_TRUE(probe.showsReport(
      probe.run(),
      {"No acceptable JVMs were found.", "1.6 jre in C:\\jre6: no client or server JVM library in C:\\jre6\\bin\\"}));
}

// JavaHome values are read into 260 bytes: a value that fills them without a
// terminator is read whole and no further; a longer one cannot be read.
TEST_F(JvmSelectionOnWine, JavaHomeValuesUpTo260Bytes) {
  const std::string full = "C:\\" + std::string(257, 'h');
  importRegistry(kRegFileHeader + kRegWipeJavaSoft + subkey(kJreTree, "full", "\"JavaHome\"=" + regHex(full)) +
                 subkey(kJreTree, "nul", "\"JavaHome\"=" + regHex(std::string("C:\\ab\0cd", 8))));
  LaunchResult result = run({});
  std::vector<std::string> discovered = linesAfter(result.out, "discovered[");
  ASSERT_EQ(discovered.size(), 2u) << describe(result);
  EXPECT_EQ(field(discovered[0], "m_javaHomePath"), full);
  EXPECT_EQ(field(discovered[1], "m_javaHomePath"), "C:\\ab");

  importRegistry(kRegFileHeader + kRegWipeJavaSoft +
                 subkey(kJreTree, "fits", javaHome("C:\\" + std::string(256, 'h'))));
  discovered = linesAfter(run({}).out, "discovered[");
  ASSERT_EQ(discovered.size(), 1u);
  EXPECT_EQ(field(discovered[0], "m_javaHomePath").size(), 259u);

  importRegistry(kRegFileHeader + kRegWipeJavaSoft + subkey(kJreTree, "over", javaHome(full)));
  EXPECT_TRUE(probe.showsReport(
      probe.run(),
      {"Error opening registry key SOFTWARE\\JavaSoft\\Java Runtime Environment\\over, value name JavaHome"}));
}

}  // namespace
