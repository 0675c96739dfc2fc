#ifndef VEXIL_TESTS_SUPPORT_FAKE_JVM_TEST_H_
#define VEXIL_TESTS_SUPPORT_FAKE_JVM_TEST_H_

// Header only: a test fixture, whole in its class.

// A test that launches the fake JVM library (tests/fake_jvm) in process: a
// temporary directory for the fake's record of calls, and properties whose
// chosen JVM is the fake with main class org.example.Main.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "tests/support/fake_platform.h"

class FakeJvmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-fake-jvm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_directory = pattern;
    m_recordPath = m_directory + "/record.txt";
    setenv("VEXIL_FAKE_JVM_RECORD", m_recordPath.c_str(), 1);
    unsetenv("VEXIL_FAKE_JVM_FAIL");
    unsetenv("VEXIL_FAKE_JVM_MAIN");
    m_jvm.setJvmPath(VEXIL_FAKE_JVM_PATH);
    m_properties.setFoundJvm(m_jvm);
    m_properties.setMainClass("org.example.Main");
    m_properties.setNameOfExecutable("/opt/app/bin/app");
  }
  void TearDown() override {
    unsetenv("VEXIL_FAKE_JVM_RECORD");
    unsetenv("VEXIL_FAKE_JVM_FAIL");
    unsetenv("VEXIL_FAKE_JVM_MAIN");
    std::remove(m_recordPath.c_str());
    rmdir(m_directory.c_str());
  }

  static std::string read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  /// Every call the fake has recorded so far.
  std::string record() const { return read(m_recordPath); }

  std::string m_directory;
  std::string m_recordPath;
  FakePlatform m_fake{linuxConventions()};
  LauncherProperties m_properties{m_fake.platform};
  Jvm m_jvm;
};

#endif  // VEXIL_TESTS_SUPPORT_FAKE_JVM_TEST_H_
