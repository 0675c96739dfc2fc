// Test helper for the harness's own tests: "await_interrupt N" prints
// "waiting 1", waits for an interrupt (SIGINT; under Wine the Ctrl+C event
// that Wine makes of it), prints "interrupt", and so on N times, then exits
// with 0. "await_interrupt --file PATH" prints "waiting for file" and "file
// found" once PATH exists. Each wait gives up after 30 s with exit code 1.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

#ifdef _WIN32
HANDLE g_interrupted;

BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT) return FALSE;
  SetEvent(g_interrupted);
  return TRUE;
}

void prepare() {
  g_interrupted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool awaitInterrupt() { return WaitForSingleObject(g_interrupted, 30000) == WAIT_OBJECT_0; }
#else
int g_pipe[2];

void onSignal(int) {
  int savedErrno = errno;
  (void)!write(g_pipe[1], "i", 1);
  errno = savedErrno;
}

void prepare() {
  if (pipe(g_pipe) != 0) std::exit(2);
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool awaitInterrupt() {
  pollfd ready = {g_pipe[0], POLLIN, 0};
  int count;
  while ((count = poll(&ready, 1, 30000)) < 0 && errno == EINTR) {
  }
  char byte;
  return count == 1 && read(g_pipe[0], &byte, 1) == 1;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--file") == 0) {
    std::printf("waiting for file\n");
    std::fflush(stdout);
    for (int wait = 0; !std::filesystem::exists(argv[2]); ++wait) {
      if (wait == 3000) return 1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("file found\n");
    return 0;
  }
  prepare();
  int count = argc > 1 ? std::atoi(argv[1]) : 1;
  for (int i = 1; i <= count; ++i) {
    std::printf("waiting %d\n", i);
    std::fflush(stdout);
    if (!awaitInterrupt()) {
      std::printf("gave up\n");
      return 1;
    }
    std::printf("interrupt\n");
  }
  return 0;
}
