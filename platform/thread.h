#ifndef VEXIL_PLATFORM_THREAD_H_
#define VEXIL_PLATFORM_THREAD_H_

#include <cstddef>
#include <exception>
#include <type_traits>
#include <utility>

// Free functions, not a service of the Platform record: only the hosting of
// the real runtime starts threads, and no portable code needs a stand-in.

/// Runs BODY(CONTEXT) on a new thread whose stack is STACK_SIZE bytes (0: the
/// system's default size for new threads) and waits for it to end. False,
/// with nothing run, when the system cannot make such a thread (a stack too
/// large for the address space, say).
bool runOnNewThread(std::size_t stackSize, void (*body)(void* context), void* context);

/// Runs BODY on a new thread with a stack of STACK_SIZE bytes (0: the system's
/// default) and returns what it returns; an exception that leaves BODY is
/// raised again on the calling thread. When no such thread can be made, BODY
/// runs on the calling thread instead, so the work is done either way. The
/// result must be default-constructible.
template <typename Body>
std::invoke_result_t<Body&> runWithStackSize(std::size_t stackSize, Body&& body) {
  using Work = std::remove_reference_t<Body>;
  struct Run {
    Work* work;
    std::invoke_result_t<Body&> result{};
    std::exception_ptr failure;
  } run{&body, {}, nullptr};
  auto trampoline = [](void* context) {
    Run* self = static_cast<Run*>(context);
    try {
      self->result = (*self->work)();
    } catch (...) {
      self->failure = std::current_exception();
    }
  };
  if (!runOnNewThread(stackSize, trampoline, &run)) return body();
  if (run.failure) std::rethrow_exception(run.failure);
  return run.result;
}

#endif  // VEXIL_PLATFORM_THREAD_H_
