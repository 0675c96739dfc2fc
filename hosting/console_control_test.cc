// Console-control trapping against the fake JVM library, loaded the real way.
// The test keeps its own reference to the library, so that a call that comes
// after the launcher freed it shows in the record instead of crashing; and it
// runs code inside the fake's main, where the application is running.
#include "hosting/console_control.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "jvm/jvm.h"
#include "platform/console_events.h"
#include "tests/support/fake_jvm_test.h"
#include "tests/support/report_capture.h"

namespace {

using MainHookSetter = void (*)(void (*)(void*), void*);

class ConsoleControlTest : public FakeJvmTest {
 protected:
  void SetUp() override {
    FakeJvmTest::SetUp();
    m_library = dlopen(VEXIL_FAKE_JVM_PATH, RTLD_NOW);
    ASSERT_NE(m_library, nullptr) << dlerror();
    m_setMainHook = reinterpret_cast<MainHookSetter>(dlsym(m_library, "vexilFakeJvmSetMainHook"));
    ASSERT_NE(m_setMainHook, nullptr);
    m_properties.setTrapConsoleCtrl("true");
  }
  void TearDown() override {
    if (m_setMainHook) m_setMainHook(nullptr, nullptr);
    if (m_library) dlclose(m_library);
    g_jvmHost = nullptr;
    FakeJvmTest::TearDown();
  }

  /// Runs BODY inside the application's main method during the next launch.
  void duringMain(std::function<void()> body) {
    m_duringMain = std::move(body);
    m_setMainHook([](void* test) { static_cast<ConsoleControlTest*>(test)->m_duringMain(); }, this);
  }
  int launch() {
    JvmHost host(m_properties);
    return host.launch();
  }
  /// What the fake recorded after a mark taken with record().size().
  std::string recordSince(size_t mark) const { return record().substr(mark); }

  void* m_library = nullptr;
  MainHookSetter m_setMainHook = nullptr;
  std::function<void()> m_duringMain;
};

const char kForwarded[] =
    "AttachCurrentThread\n"
    "FindClass org/example/Main\n"
    "GetStaticMethodID org/example/Main initiateExit (I)V\n"
    "CallStaticVoidMethod org/example/Main initiateExit(0) on the main thread\n"
    "DetachCurrentThread\n";

TEST_F(ConsoleControlTest, EachEventCodeIsHandledAsItsTableSays) {
  struct Case {
    int code;
    bool handled;
    bool forwarded;
  };
  const Case cases[] = {
      {0, true, true},  {1, true, true}, {2, true, true},   {3, false, false},  {4, false, false},
      {5, true, false}, {6, true, true}, {7, false, false}, {-1, false, false}, {256, false, false},
  };
  duringMain([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.code);
      size_t mark = record().size();
      EXPECT_EQ(consoleCtrlHandler(c.code), c.handled);
      EXPECT_EQ(recordSince(mark), c.forwarded ? kForwarded : "");
    }
  });
  EXPECT_EQ(launch(), 0);
}

TEST_F(ConsoleControlTest, AMissingMethodOrClassIsLeftToTheRuntimeAndTheThreadDetached) {
  struct Case {
    const char* failure;
    const char* calls;
    const char* described;
  } cases[] = {
      {"", kForwarded, ""},
      {"exit",
       "AttachCurrentThread\n"
       "FindClass org/example/Main\n"
       "GetStaticMethodID org/example/Main initiateExit (I)V\n"
       "ExceptionOccurred\n"
       "ExceptionDescribe\n"
       "DetachCurrentThread\n",
       "Exception in thread \"main\" java.lang.NoSuchMethodError: initiateExit\n"},
      {"class",
       "AttachCurrentThread\n"
       "FindClass org/example/Main\n"
       "ExceptionOccurred\n"
       "ExceptionDescribe\n"
       "DetachCurrentThread\n",
       "Exception in thread \"main\" fake.Failure\n"},
      // Nothing to detach when the attach failed.
      {"attach", "AttachCurrentThread refused\n", ""},
  };
  duringMain([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.failure);
      setenv("VEXIL_FAKE_JVM_FAIL", c.failure, 1);
      size_t mark = record().size();
      testing::internal::CaptureStderr();
      // Handled whatever came of the request.
      EXPECT_TRUE(consoleCtrlHandler(kCtrlCEvent));
      EXPECT_EQ(testing::internal::GetCapturedStderr(), c.described);
      EXPECT_EQ(recordSince(mark), c.calls);
    }
    unsetenv("VEXIL_FAKE_JVM_FAIL");
  });
  EXPECT_EQ(launch(), 0);
}

TEST_F(ConsoleControlTest, ASignalDuringMainCallsInitiateExitOnAnotherThread) {
  struct sigaction before[3];
  const int signals[] = {SIGINT, SIGHUP, SIGTERM};
  for (int i = 0; i < 3; ++i) sigaction(signals[i], nullptr, &before[i]);
  setenv("VEXIL_FAKE_JVM_MAIN", "await-exit-request", 1);
  for (int signal : signals) {
    SCOPED_TRACE(signal);
    std::remove(m_recordPath.c_str());
    duringMain([signal] { raise(signal); });
    testing::internal::CaptureStdout();
    EXPECT_EQ(launch(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "main waiting for an exit request\n");
    std::string calls = record();
    EXPECT_NE(calls.find("CallStaticVoidMethod org/example/Main with 0 arguments\n"
                         "AttachCurrentThread\n"
                         "FindClass org/example/Main\n"
                         "GetStaticMethodID org/example/Main initiateExit (I)V\n"
                         "CallStaticVoidMethod org/example/Main initiateExit(0) on another thread\n"
                         "DetachCurrentThread\n"
                         "ExceptionOccurred\n"
                         "DestroyJavaVM\n"),
              std::string::npos)
        << calls;
  }
  // What handled the signals before the launch handles them again.
  for (int i = 0; i < 3; ++i) {
    struct sigaction after;
    sigaction(signals[i], nullptr, &after);
    EXPECT_EQ(after.sa_handler, before[i].sa_handler) << signals[i];
  }
}

TEST_F(ConsoleControlTest, OnceTheRuntimeIsDestroyedNoEventReachesIt) {
  JvmHost host(m_properties);
  EXPECT_EQ(host.launch(), 0);
  ASSERT_EQ(g_jvmHost, &host);
  size_t mark = record().size();
  // What the handler does for an event that comes between the runtime's end
  // and the handler's removal.
  EXPECT_TRUE(consoleCtrlHandler(kCtrlCEvent));
  EXPECT_TRUE(consoleCtrlHandler(kCtrlShutdownEvent));
  EXPECT_FALSE(consoleCtrlHandler(3));
  EXPECT_EQ(recordSince(mark), "");
}

TEST_F(ConsoleControlTest, OnlyATrueSettingRegistersTheHandler) {
  struct sigaction outside;
  sigaction(SIGINT, nullptr, &outside);
  struct Case {
    const char* setting;
    bool trapped;
  };
  const Case cases[] = {{"", false}, {"True", false}, {"1", false}, {"on", false}, {"true", true}, {"Y", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    m_properties.setTrapConsoleCtrl(c.setting);
    const bool trapped = c.trapped;
    duringMain([&] {
      struct sigaction inside;
      sigaction(SIGINT, nullptr, &inside);
      EXPECT_EQ(inside.sa_handler != outside.sa_handler, trapped);
      size_t mark = record().size();
      EXPECT_TRUE(consoleCtrlHandler(kCtrlCEvent));
      EXPECT_EQ(recordSince(mark), trapped ? kForwarded : "");
    });
    EXPECT_EQ(launch(), 0);
  }
}

TEST_F(ConsoleControlTest, ARefusedRegistrationStopsTheLaunchBeforeMain) {
  // The fake runtime leaves no file descriptor free: the handler's pipe cannot be made.
  setenv("VEXIL_FAKE_JVM_FAIL", "descriptors", 1);
  rlimit limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  bool mainRan = false;
  duringMain([&] { mainRan = true; });
  std::string report = reportOf([&] { launch(); });
  setrlimit(RLIMIT_NOFILE, &limit);
  EXPECT_EQ(report, reportText("Unable to catch console ctrl events"));
  EXPECT_FALSE(mainRan);
}

}  // namespace
