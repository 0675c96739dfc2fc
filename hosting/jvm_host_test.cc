// The start-up sequence against a fake JVM library loaded the real way; the
// fake records every call it receives. A real runtime cannot be created twice
// in one process: those runs are end-to-end tests of the programs.
#include "hosting/jvm_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "tests/support/fake_jvm_test.h"
#include "tests/support/report_capture.h"

namespace {

class JvmHostTest : public FakeJvmTest {
 protected:
  void SetUp() override {
    FakeJvmTest::SetUp();
    setenv("LC_ALL", "C.UTF-8", 1);
  }
  void TearDown() override {
    unsetenv("LC_ALL");
    std::remove((m_directory + "/debug.log").c_str());
    FakeJvmTest::TearDown();
  }
};

TEST_F(JvmHostTest, RunsMainWithTheArgumentsThenDestroysTheRuntime) {
  m_properties.addJavaSystemProperty("-Xmx64m");
  m_properties.addJavaSystemProperty("-Djava.class.path=/app/classes");
  m_properties.addCommandLineArgument("two words");
  m_properties.addCommandLineArgument("");
  m_properties.addCommandLineArgument("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
  JvmHost host(m_properties);
  EXPECT_EQ(host.launch(), 0);
  EXPECT_NE(host.getJavaVM(), nullptr);
  EXPECT_EQ(record(),
            "JNI_CreateJavaVM version=0x00010002 ignoreUnrecognized=0 nOptions=2\n"
            "option -Xmx64m\n"
            "option -Djava.class.path=/app/classes\n"
            "FindClass org/example/Main\n"
            "GetStaticMethodID org/example/Main main ([Ljava/lang/String;)V\n"
            "FindClass java/lang/String\n"
            "NewObjectArray 3 java/lang/String \"\"\n"
            "CallStaticVoidMethod org/example/Main with 3 arguments\n"
            "argument 0=two words\n"
            "argument 1=\n"
            // Modified UTF-8: the character above U+FFFF as two surrogates.
            "argument 2=\xC3\xA9t\xC3\xA9 \xED\xA0\xBD\xED\xB8\x80\n"
            "ExceptionOccurred\n"
            "DestroyJavaVM\n");
}

TEST_F(JvmHostTest, NoArgumentsGiveAnEmptyArray) {
  JvmHost host(m_properties);
  EXPECT_EQ(host.launch(), 0);
  EXPECT_NE(record().find("NewObjectArray 0 java/lang/String \"\"\n"
                          "CallStaticVoidMethod org/example/Main with 0 arguments\n"),
            std::string::npos)
      << record();
}

TEST_F(JvmHostTest, EachRefusalOfTheRuntimeHasItsMessage) {
  struct Case {
    const char* failure;
    const char* message;
    const char* lastCall;  // nothing is called after the failing step
  } cases[] = {
      {"create", "Cannot create Java VM.", "JNI_CreateJavaVM"},
      {"class", "Cannot find main Java class org/example/Main", "FindClass org/example/Main"},
      {"main", "Cannot find main method in Java class", "GetStaticMethodID"},
      {"array", "Error creating new object array to hold command line arguments.", "NewObjectArray"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    std::remove(m_recordPath.c_str());
    setenv("VEXIL_FAKE_JVM_FAIL", c.failure, 1);
    LauncherProperties properties = m_properties;
    properties.addCommandLineArgument("x");
    JvmHost host(properties);
    EXPECT_EQ(reportOf([&] { host.launch(); }), reportText(c.message));
    std::string calls = record();
    size_t last = calls.rfind('\n', calls.size() - 2);
    EXPECT_EQ(calls.compare(last + 1, std::strlen(c.lastCall), c.lastCall), 0) << calls;
  }
}

TEST_F(JvmHostTest, AnExceptionEscapingMainIsDescribedAndFailsTheRun) {
  setenv("VEXIL_FAKE_JVM_FAIL", "throw", 1);
  JvmHost host(m_properties);
  testing::internal::CaptureStderr();
  int exitCode = host.launch();
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(errors, "Exception in thread \"main\" fake.Failure\n");
  // The other threads of the application are still waited for.
  std::string calls = record();
  EXPECT_NE(calls.find("ExceptionOccurred\nExceptionDescribe\nDestroyJavaVM\n"), std::string::npos) << calls;
}

TEST_F(JvmHostTest, ALibraryThatDoesNotServeGivesTheLaunchText) {
  const std::string notALibrary = m_directory + "/libjvm.so";
  { std::ofstream(notALibrary) << "not a library"; }
  for (const std::string& path : {m_directory + "/missing/libjvm.so", notALibrary, std::string("libm.so.6")}) {
    SCOPED_TRACE(path);
    Jvm jvm;
    jvm.setJvmPath(path);
    LauncherProperties properties = m_properties;
    properties.setFoundJvm(jvm);
    JvmHost host(properties);
    EXPECT_EQ(reportOf([&] { host.launch(); }), reportText("Error while launching program with JVM."));
    EXPECT_EQ(host.getJavaVM(), nullptr);
  }
  std::remove(notALibrary.c_str());
}

TEST_F(JvmHostTest, TheDebugFileGetsTwoLinesBeforeTheRuntimeLoads) {
  const std::string debugFile = m_directory + "/debug.log";
  Jvm missing;
  missing.setJvmPath(m_directory + "/missing/libjvm.so");
  m_properties.setFoundJvm(missing);
  m_properties.setDebugFile(debugFile);
  m_properties.addJavaSystemProperty("-Xss2m");
  m_properties.addLibraryPathDirectory("/app/native");
  for (int launch = 1; launch <= 2; ++launch) {
    LauncherProperties properties = m_properties;
    JvmHost host(properties);
    EXPECT_EQ(reportOf([&] { host.launch(); }), reportText("Error while launching program with JVM."));
  }
  // The properties are logged before the library path is merged into the options.
  std::string expectedPair =
      "The chosen JVM: " + missing.toString() + "\n" + "The properties chosen: " + m_properties.toString() + "\n";
  EXPECT_EQ(read(debugFile), expectedPair + expectedPair);
  EXPECT_EQ(m_properties.toString().find("java.library.path"), std::string::npos);
}

TEST_F(JvmHostTest, NoDebugFileNoLog) {
  JvmHost host(m_properties);
  EXPECT_EQ(host.launch(), 0);
  EXPECT_EQ(access((m_directory + "/debug.log").c_str(), F_OK), -1);
}

}  // namespace
