#include <process.h>
#include <windows.h>

#include <climits>

#include "platform/thread.h"

namespace {

struct Start {
  void (*body)(void*);
  void* context;
};

unsigned __stdcall startThread(void* argument) {
  Start* start = static_cast<Start*>(argument);
  start->body(start->context);
  return 0;
}

}  // namespace

bool runOnNewThread(std::size_t stackSize, void (*body)(void* context), void* context) {
  // The size reserves address space; pages are committed as the stack grows.
  // _beginthreadex, unlike CreateThread, sets up the C library for the thread.
  if (stackSize > UINT_MAX) return false;
  Start start{body, context};
  uintptr_t handle = _beginthreadex(nullptr, static_cast<unsigned>(stackSize), startThread, &start,
                                    STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (handle == 0) return false;
  HANDLE thread = reinterpret_cast<HANDLE>(handle);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return true;
}
