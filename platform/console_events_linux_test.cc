// Signals as console events, raised for real in the test process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/console_events.h"

namespace {

struct Seen {
  int code;
  std::thread::id thread;
};

std::mutex g_lock;
std::condition_variable g_arrived;
std::vector<Seen> g_seen;

bool recordEvent(int code) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_seen.push_back({code, std::this_thread::get_id()});
  g_arrived.notify_all();
  return true;
}

std::vector<int> codesSeen() {
  std::lock_guard<std::mutex> hold(g_lock);
  std::vector<int> codes;
  for (const Seen& seen : g_seen) codes.push_back(seen.code);
  return codes;
}

volatile sig_atomic_t g_earlierHandlerCalls = 0;
void earlierHandler(int) { g_earlierHandlerCalls = g_earlierHandlerCalls + 1; }

void (*handlerOf(int signal))(int) {
  struct sigaction action;
  sigaction(signal, nullptr, &action);
  return action.sa_handler;
}

class ConsoleEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], nullptr, &m_saved[i]);
    std::lock_guard<std::mutex> hold(g_lock);
    g_seen.clear();
    g_earlierHandlerCalls = 0;
  }
  void TearDown() override {
    removeConsoleEventHandler();
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &m_saved[i], nullptr);
  }
  void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
  /// Waits until COUNT events have been seen; a minute at most, so that a
  /// lost event fails the test instead of hanging it.
  bool awaitEvents(size_t count) {
    std::unique_lock<std::mutex> hold(g_lock);
    return g_arrived.wait_for(hold, std::chrono::minutes(1), [&] { return g_seen.size() >= count; });
  }

  static constexpr int kSignals[3] = {SIGINT, SIGHUP, SIGTERM};
  struct sigaction m_saved[3];
};

TEST_F(ConsoleEventsTest, SignalsBecomeTheirEventsOnThreadsOfTheirOwn) {
  ASSERT_TRUE(addConsoleEventHandler(recordEvent));
  ASSERT_EQ(raise(SIGINT), 0);
  ASSERT_EQ(raise(SIGHUP), 0);
  ASSERT_EQ(raise(SIGTERM), 0);
  ASSERT_TRUE(awaitEvents(3));
  std::vector<int> codes = codesSeen();
  // Each event has a thread of its own: their order is not fixed.
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<int>{kCtrlCEvent, kCtrlCloseEvent, kCtrlShutdownEvent}));
  std::lock_guard<std::mutex> hold(g_lock);
  for (const Seen& seen : g_seen) EXPECT_NE(seen.thread, std::this_thread::get_id());
}

TEST_F(ConsoleEventsTest, RemovalHandlesWhatCameAndRestoresWhatWasThere) {
  setHandler(SIGINT, earlierHandler);
  setHandler(SIGHUP, SIG_IGN);
  setHandler(SIGTERM, SIG_DFL);
  ASSERT_TRUE(addConsoleEventHandler(recordEvent));
  EXPECT_NE(handlerOf(SIGINT), earlierHandler);
  EXPECT_NE(handlerOf(SIGTERM), SIG_DFL);
  // Ignored before, so ignored still: as under nohup.
  EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
  raise(SIGHUP);
  raise(SIGINT);
  // Removal waits for the event already on its way.
  removeConsoleEventHandler();
  EXPECT_EQ(codesSeen(), std::vector<int>{kCtrlCEvent});
  EXPECT_EQ(g_earlierHandlerCalls, 0);

  EXPECT_EQ(handlerOf(SIGINT), earlierHandler);
  EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
  EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
  raise(SIGINT);
  EXPECT_EQ(g_earlierHandlerCalls, 1);
  EXPECT_EQ(codesSeen(), std::vector<int>{kCtrlCEvent});
  // A second removal has nothing to do.
  removeConsoleEventHandler();
  EXPECT_EQ(handlerOf(SIGINT), earlierHandler);
}

TEST_F(ConsoleEventsTest, ARefusalChangesNothingAndALaterRegistrationWorks) {
  setHandler(SIGINT, earlierHandler);
  rlimit limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  rlimit none = limit;
  none.rlim_cur = 0;  // no descriptor for the pipe
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  bool added = addConsoleEventHandler(recordEvent);
  setrlimit(RLIMIT_NOFILE, &limit);
  EXPECT_FALSE(added);
  EXPECT_EQ(handlerOf(SIGINT), earlierHandler);

  ASSERT_TRUE(addConsoleEventHandler(recordEvent));
  raise(SIGINT);
  removeConsoleEventHandler();
  EXPECT_EQ(codesSeen(), std::vector<int>{kCtrlCEvent});
  EXPECT_EQ(g_earlierHandlerCalls, 0);
}

}  // namespace
