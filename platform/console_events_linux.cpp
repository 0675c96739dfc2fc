#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/console_events.h"

// A signal handler may do next to nothing, and certainly not call into the Java
// runtime: it writes the event's code into a pipe. A dispatching thread reads
// the codes and starts a thread for each event, as Windows does, which calls
// the callback.

namespace {

struct TrappedSignal {
  int signal;
  int event;
};
const TrappedSignal kTrappedSignals[] = {
    {SIGINT, kCtrlCEvent},
    {SIGHUP, kCtrlCloseEvent},
    {SIGTERM, kCtrlShutdownEvent},
};
constexpr int kTrappedCount = sizeof kTrappedSignals / sizeof kTrappedSignals[0];

// Read by the signal handler and the event threads.
std::atomic<int> g_writeEnd{-1};
std::atomic<int> g_handlersRunning{0};
std::atomic<ConsoleEventCallback> g_callback{nullptr};

// Set by the thread that adds and removes the handler; the dispatching thread,
// which that thread starts and joins, reads the read end.
bool g_registered = false;
int g_readEnd = -1;
pthread_t g_dispatcher;
struct sigaction g_previous[kTrappedCount];
bool g_taken[kTrappedCount];

// The event threads still running. Plain pthread objects: nothing to destroy at
// exit, which may come (System.exit) while an event thread still runs.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t g_allHandled = PTHREAD_COND_INITIALIZER;
int g_eventsRunning = 0;

void onSignal(int signal) {
  g_handlersRunning.fetch_add(1);
  int savedErrno = errno;
  int writeEnd = g_writeEnd.load();
  if (writeEnd >= 0) {
    unsigned char code = 0;
    for (const TrappedSignal& trapped : kTrappedSignals) {
      if (trapped.signal == signal) code = static_cast<unsigned char>(trapped.event);
    }
    // The write end does not block: with the pipe full of waiting events this one is lost.
    (void)!write(writeEnd, &code, 1);
  }
  errno = savedErrno;
  g_handlersRunning.fetch_sub(1);
}

void handleEvent(int code) {
  // A signal has no next handler to pass to: the result does not matter here.
  if (ConsoleEventCallback callback = g_callback.load()) callback(code);
  pthread_mutex_lock(&g_lock);
  if (--g_eventsRunning == 0) pthread_cond_broadcast(&g_allHandled);
  pthread_mutex_unlock(&g_lock);
}

void* runEventThread(void* codeCopy) {
  int code = *static_cast<int*>(codeCopy);
  delete static_cast<int*>(codeCopy);
  handleEvent(code);
  return nullptr;
}

bool startEventThread(int code) {
  int* codeCopy = new (std::nothrow) int(code);
  if (!codeCopy) return false;
  pthread_attr_t attributes;
  bool started = false;
  if (pthread_attr_init(&attributes) == 0) {
    pthread_t thread;
    started = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
              pthread_create(&thread, &attributes, runEventThread, codeCopy) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (!started) delete codeCopy;
  return started;
}

void* dispatchEvents(void*) {
  for (;;) {
    unsigned char code;
    ssize_t count = read(g_readEnd, &code, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return nullptr;  // the write end was closed: the handler is being removed
    pthread_mutex_lock(&g_lock);
    ++g_eventsRunning;
    pthread_mutex_unlock(&g_lock);
    // Without a thread to spare the event is still handled, here.
    if (!startEventThread(code)) handleEvent(code);
  }
}

// Stops the dispatching thread once it has passed on every event written so far.
void stopDispatching() {
  int writeEnd = g_writeEnd.exchange(-1);
  // A handler that read the write end before the exchange may still be writing
  // to it; the descriptor must not be closed (and reused) under it.
  while (g_handlersRunning.load() != 0) sched_yield();
  close(writeEnd);
  pthread_join(g_dispatcher, nullptr);
  close(g_readEnd);
  g_readEnd = -1;
}

void restoreSignals() {
  for (int i = 0; i < kTrappedCount; ++i) {
    if (g_taken[i]) sigaction(kTrappedSignals[i].signal, &g_previous[i], nullptr);
    g_taken[i] = false;
  }
}

bool ignored(const struct sigaction& action) { return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN; }

}  // namespace

bool addConsoleEventHandler(ConsoleEventCallback callback) {
  g_callback.store(callback);
  if (g_registered) return true;

  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  g_readEnd = ends[0];
  int flags = fcntl(ends[1], F_GETFL);
  if (flags < 0 || fcntl(ends[1], F_SETFL, flags | O_NONBLOCK) != 0 ||
      pthread_create(&g_dispatcher, nullptr, dispatchEvents, nullptr) != 0) {
    close(ends[0]);
    close(ends[1]);
    g_readEnd = -1;
    return false;
  }
  g_writeEnd.store(ends[1]);

  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kTrappedCount; ++i) {
    const int signal = kTrappedSignals[i].signal;
    g_taken[i] = false;
    bool ok = sigaction(signal, nullptr, &g_previous[i]) == 0;
    if (ok && ignored(g_previous[i])) continue;
    if (ok) ok = sigaction(signal, &action, nullptr) == 0;
    if (!ok) {
      restoreSignals();
      stopDispatching();
      return false;
    }
    g_taken[i] = true;
  }
  g_registered = true;
  return true;
}

void removeConsoleEventHandler() {
  if (!g_registered) return;
  g_registered = false;
  restoreSignals();
  stopDispatching();
  pthread_mutex_lock(&g_lock);
  while (g_eventsRunning > 0) pthread_cond_wait(&g_allHandled, &g_lock);
  pthread_mutex_unlock(&g_lock);
}
