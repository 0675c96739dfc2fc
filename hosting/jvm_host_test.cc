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
            "JNI_CreateJavaVM version=0x00010002 ignoreUnrecognized=0 nOptions=4\n"
            "option -Xmx64m\n"
            "option -Djava.class.path=/app/classes\n"
            // For monitoring tools, as the JDK's launcher adds them.
            "option -Dsun.java.command=org.example.Main two words  \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\n"
            "option -Dsun.java.launcher=SUN_STANDARD\n"
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
    const char* notCalled;  // the next step, never taken
  } cases[] = {
      // The cause follows on the lines after the first; the fake's refused
      // creation says nothing to a console program.
      {"create", "Cannot create Java VM.", "FindClass org/example/Main"},
      {"class",
       "Cannot find main Java class org/example/Main\n"
       "fake.Failure\n"
       "Caused by: java.lang.ClassNotFoundException: fake.Dependency",
       "GetStaticMethodID org/example/Main main"},
      {"main",
       "Cannot find main method in Java class\n"
       "Looked in org/example/Main for static main with signature ([Ljava/lang/String;)V",
       "NewObjectArray"},
      {"array", "Error creating new object array to hold command line arguments.", "CallStaticVoidMethod"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    std::remove(m_recordPath.c_str());
    setenv("VEXIL_FAKE_JVM_FAIL", c.failure, 1);
    LauncherProperties properties = m_properties;
    properties.addCommandLineArgument("x");
    JvmHost host(properties);
    testing::internal::CaptureStderr();
    EXPECT_EQ(reportOf([&] { host.launch(); }), reportText(c.message));
    std::string errors = testing::internal::GetCapturedStderr();
    // A class that does not load is described by the report alone: no stack
    // trace on the error stream besides it.
    EXPECT_EQ(errors, "");
    // Nothing of the steps after the failing one ran.
    std::string calls = record();
    EXPECT_EQ(calls.find(c.notCalled), std::string::npos) << calls;
  }
}

TEST_F(JvmHostTest, AProgramWithoutAnErrorStreamPutsTheRuntimesWordsInTheReport) {
  struct Case {
    const char* failure;
    const char* message;
  } cases[] = {
      {"create", "Cannot create Java VM.\nFake runtime: VEXIL_FAKE_JVM_FAIL=create refuses to be created"},
      {"class",
       "Cannot find main Java class org/example/Main\nfake.Failure\n"
       "Caused by: java.lang.ClassNotFoundException: fake.Dependency"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    setenv("VEXIL_FAKE_JVM_FAIL", c.failure, 1);
    JvmHost host(m_properties, ReportChannel::kMessageBox);
    testing::internal::CaptureStderr();
    EXPECT_EQ(reportOf([&] { host.launch(); }), reportText(c.message));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
}

TEST_F(JvmHostTest, MainRunsOnAThreadWithTheStackOfJavaThreads) {
  setenv("VEXIL_FAKE_JVM_RECORD_STACK", "1", 1);
  struct Case {
    const char* option;
    long kibibytes;
  } cases[] = {
      {"-Xss24m", 24L * 1024},
      {"-XX:ThreadStackSize=20480", 20L * 1024},
      // A size the runtime takes, but too small for its start on this thread.
      {"-Xss200k", 256},
      // The runtime's own default, as it answers when asked (the fake: 2 MiB).
      {"-Xmx64m", 2048},
  };
  const std::string marker = "main runs with a stack of ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    std::remove(m_recordPath.c_str());
    LauncherProperties properties = m_properties;
    properties.addJavaSystemProperty(c.option);
    JvmHost host(properties);
    EXPECT_EQ(host.launch(), 0);
    std::string calls = record();
    size_t at = calls.find(marker);
    ASSERT_NE(at, std::string::npos) << calls;
    // The C library may hand the thread a cached stack up to four times the size asked for.
    long size = std::stol(calls.substr(at + marker.size()));
    EXPECT_GE(size, c.kibibytes) << calls;
    EXPECT_LE(size, c.kibibytes * 4) << calls;
  }
  unsetenv("VEXIL_FAKE_JVM_RECORD_STACK");
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
    std::string report = reportOf([&] { host.launch(); });
    // The path and the system's reason follow the first line.
    const std::string cause =
        path == "libm.so.6" ? "libm.so.6 has no entry point JNI_CreateJavaVM" : "Cannot load " + path + ": ";
    EXPECT_EQ(report.rfind(reportText("Error while launching program with JVM.\n" + cause), 0), 0u) << report;
    EXPECT_EQ(report.find(path + ": " + path), std::string::npos) << report;
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
    EXPECT_EQ(reportOf([&] { host.launch(); }).rfind(reportText("Error while launching program with JVM.\n"), 0), 0u);
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
