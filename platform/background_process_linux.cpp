#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/background_process.h"
#include "platform/file_updates.h"

namespace {

// Only calls that are safe after fork in a process with other threads: the
// watcher below runs such calls alone.
bool writeStampFile(const std::string& installed, const char* stampPart, const char* stamp) {
  char text[160];
  const size_t length = formatFileStamp(fileStamp(installed), text, sizeof text);
  if (length == 0) return false;
  const int file = open(stampPart, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (file < 0) return false;
  const bool written = write(file, text, length) == static_cast<ssize_t>(length);
  if (close(file) == 0 && written && rename(stampPart, stamp) == 0) return true;
  unlink(stampPart);
  return false;
}

}  // namespace

bool runThenInstall(const BackgroundInstall& work, FileLock lock) {
  if (work.argv.empty()) return false;
  // Everything the child needs is made before fork: the process may have other
  // threads (the runtime's), so the child only makes calls that are safe
  // after fork in such a process.
  std::vector<char*> arguments;
  for (const std::string& argument : work.argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  const std::string stampPart = work.stamp + ".part";

  const pid_t watcher = fork();
  if (watcher < 0) {
    removeFile(work.input);
    return false;
  }
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
    const bool ended = waited == worker && WIFEXITED(status);
    bool installed = false;
    // Whatever the umask, and whatever mode the program gave it.
    if (ended && WEXITSTATUS(status) == 0 && chmod(work.made.c_str(), 0600) == 0 &&
        rename(work.made.c_str(), work.installed.c_str()) == 0) {
      // Stamped after the rename, which changes the file's change time. An
      // archive without a stamp would be dropped and made again by every launch.
      installed = writeStampFile(work.installed, stampPart.c_str(), work.stamp.c_str());
      if (!installed) unlink(work.installed.c_str());
    }
    if (!installed) {
      unlink(work.made.c_str());
      if (ended && !work.failed.empty()) {
        const int failed = open(work.failed.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (failed >= 0) close(failed);
      }
    }
    unlink(work.input.c_str());
    _exit(0);
  }
  // The watcher holds the lock now; this process's copy goes with LOCK.
  lock.release();
  return true;
}
