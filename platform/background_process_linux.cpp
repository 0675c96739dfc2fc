#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/background_process.h"

bool runThenInstall(const std::vector<std::string>& argv, const std::string& made, const std::string& installed,
                    FileLock lock) {
  if (argv.empty()) return false;
  // Everything the child needs is made before fork: the process may have other
  // threads (the runtime's), so the child only makes calls that are safe
  // after fork in such a process.
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  const char* madePath = made.c_str();
  const char* installedPath = installed.c_str();

  const pid_t watcher = fork();
  if (watcher < 0) return false;
  if (watcher == 0) {
    // The watcher keeps the lock's descriptor (inherited, the same open file)
    // until it ends; its own session keeps it out of the terminal's signals.
    setsid();
    const int nothing = open("/dev/null", O_RDWR);
    if (nothing >= 0) {
      dup2(nothing, 0);
      dup2(nothing, 1);
      dup2(nothing, 2);
    }
    const pid_t worker = fork();
    if (worker == 0) {
      // Work nobody waits for yields to the programs the user waits for.
      setpriority(PRIO_PROCESS, 0, 10);
      execv(arguments[0], arguments.data());
      _exit(127);
    }
    int status = 0;
    pid_t waited = -1;
    if (worker > 0) {
      do waited = waitpid(worker, &status, 0);
      while (waited < 0 && errno == EINTR);
    }
    if (waited == worker && WIFEXITED(status) && WEXITSTATUS(status) == 0) std::rename(madePath, installedPath);
    _exit(0);
  }
  // The watcher holds the lock now; this process's copy goes with LOCK.
  lock.release();
  return true;
}
