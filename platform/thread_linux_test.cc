// Work on a thread of a chosen stack size, on the real system.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstddef>
#include <stdexcept>
#include <string>

#include "platform/thread.h"

namespace {

struct Seen {
  bool onNewThread = false;
  std::size_t stackSize = 0;
};

Seen whereItRuns(pthread_t caller) {
  Seen seen;
  seen.onNewThread = !pthread_equal(pthread_self(), caller);
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstacksize(&attributes, &seen.stackSize);
    pthread_attr_destroy(&attributes);
  }
  return seen;
}

TEST(ThreadTest, TheBodyRunsOnANewThreadWithAtLeastTheStackAskedFor) {
  const std::size_t mib = std::size_t{1024} * 1024;
  struct Case {
    const char* name;
    std::size_t asked;
    std::size_t atLeast;
  };
  const std::size_t minimum = PTHREAD_STACK_MIN;
  const Case cases[] = {
      {"system default", 0, minimum},
      {"below the system's minimum", 1, minimum},
      {"not whole pages", mib + 1, mib + 1},
      {"64 MiB", 64 * mib, 64 * mib},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pthread_t caller = pthread_self();
    Seen seen = runWithStackSize(c.asked, [&] { return whereItRuns(caller); });
    EXPECT_TRUE(seen.onNewThread);
    EXPECT_GE(seen.stackSize, c.atLeast);
    if (c.asked >= minimum) {
      EXPECT_LT(seen.stackSize, c.asked + std::size_t{64} * 1024);
    }
  }
}

TEST(ThreadTest, AStackTooLargeForTheSystemRunsTheBodyOnTheCallingThread) {
  pthread_t caller = pthread_self();
  const std::size_t huge = static_cast<std::size_t>(1) << 62;
  EXPECT_FALSE(runOnNewThread(
      huge, [](void*) { ADD_FAILURE() << "ran"; }, nullptr));
  Seen seen = runWithStackSize(huge, [&] { return whereItRuns(caller); });
  EXPECT_FALSE(seen.onNewThread);
}

TEST(ThreadTest, AnExceptionLeavingTheBodyIsRaisedOnTheCallingThread) {
  std::string caught;
  try {
    runWithStackSize(0, []() -> int { throw std::string("raised on the new thread"); });
  } catch (const std::string& text) {
    caught = text;
  }
  EXPECT_EQ(caught, "raised on the new thread");
}

}  // namespace
