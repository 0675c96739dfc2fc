#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdint>

#include "platform/thread.h"

namespace {

struct Start {
  void (*body)(void*);
  void* context;
};

void* startThread(void* argument) {
  Start* start = static_cast<Start*>(argument);
  start->body(start->context);
  return nullptr;
}

}  // namespace

bool runOnNewThread(std::size_t stackSize, void (*body)(void* context), void* context) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  bool ok = true;
  if (stackSize > 0) {
    // The system refuses a stack below its minimum or not made of whole pages.
    const std::size_t minimum = PTHREAD_STACK_MIN;
    std::size_t size = stackSize < minimum ? minimum : stackSize;
    long page = sysconf(_SC_PAGESIZE);
    if (page > 0) {
      std::size_t pageSize = static_cast<std::size_t>(page);
      std::size_t remainder = size % pageSize;
      if (remainder != 0) size = size > SIZE_MAX - pageSize ? 0 : size + (pageSize - remainder);
    }
    ok = size != 0 && pthread_attr_setstacksize(&attributes, size) == 0;
  }
  Start start{body, context};
  pthread_t thread;
  ok = ok && pthread_create(&thread, &attributes, startThread, &start) == 0;
  pthread_attr_destroy(&attributes);
  if (ok) pthread_join(thread, nullptr);
  return ok;
}
