#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/harness_system.h"

extern char** environ;

namespace harness_system {
namespace {

std::string describeErrno(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

long long millisecondsNow() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

int removeEntry(const char* path, const struct stat*, int, FTW*) { return std::remove(path); }

std::vector<std::string> childEnvironment(const ProcessRequest& request) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) entries.emplace_back(*entry);
  for (const auto& [name, value] : request.environment) {
    std::string prefix = name + "=";
    for (auto it = entries.begin(); it != entries.end();) {
      it = it->compare(0, prefix.size(), prefix) == 0 ? entries.erase(it) : it + 1;
    }
    if (value) entries.push_back(prefix + *value);
  }
  return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In the forked child: only async-signal-safe calls until exec. A failure is
// sent to the parent through REPORT as an errno value.
[[noreturn]] void becomeProgram(const ProcessRequest& request, char** argv, char** envp, int out, int err, int report) {
  setpgid(0, 0);  // so that a timeout can end the program and anything it started
  // Every signal at its default and none blocked, whatever this process inherited
  // (a background job of a shell without job control ignores SIGINT).
  for (int number = 1; number < NSIG; ++number) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);  // fails, harmlessly, for SIGKILL, SIGSTOP and the unused
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  int devNull = open("/dev/null", O_RDONLY);
  if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
      chdir(request.workingDirectory.c_str()) != 0) {
    int error = errno;
    (void)!write(report, &error, sizeof error);
    _exit(127);
  }
  execve(request.program.c_str(), argv, envp);
  int error = errno;
  (void)!write(report, &error, sizeof error);
  _exit(127);
}

}  // namespace

std::string defaultProgramFileName() { return "app"; }
char pathSeparator() { return '/'; }
const char* consoleLineEnd() { return "\n"; }

std::string nativePath(const std::string& path) {
  // The launcher learns its path from /proc/self/exe, with every link resolved:
  // resolve the part of PATH that exists already.
  std::string existing = path;
  std::string rest;
  for (;;) {
    if (char* resolved = realpath(existing.c_str(), nullptr)) {
      std::string result = resolved;
      std::free(resolved);
      return result + rest;
    }
    size_t slash = existing.rfind('/');
    if (slash == std::string::npos || slash == 0) return path;
    rest = existing.substr(slash) + rest;
    existing.resize(slash);
  }
}

std::string removeTree(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT ? "" : describeErrno("Cannot examine", path);
  if (nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) != 0) return describeErrno("Cannot remove", path);
  return "";
}

std::string makeDirectories(const std::string& path) {
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    std::string part = path.substr(0, end);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return describeErrno("Cannot make directory", part);
    if (end == std::string::npos) break;
  }
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "Not a directory: " + path;
  return "";
}

std::string writeFile(const std::string& path, const std::string& contents) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return describeErrno("Cannot create", path);
  size_t written = 0;
  while (written < contents.size()) {
    ssize_t n = write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      std::string problem = describeErrno("Cannot write", path);
      close(fd);
      return problem;
    }
    written += static_cast<size_t>(n);
  }
  if (close(fd) != 0) return describeErrno("Cannot write", path);
  return "";
}

std::string copyFile(const std::string& from, const std::string& to) {
  int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return describeErrno("Cannot open", from);
  struct stat info;
  fstat(fd, &info);
  std::string contents;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      std::string problem = describeErrno("Cannot read", from);
      close(fd);
      return problem;
    }
    if (n == 0) break;
    contents.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  std::string problem = writeFile(to, contents);
  if (problem.empty() && chmod(to.c_str(), info.st_mode & 07777) != 0) return describeErrno("Cannot chmod", to);
  return problem;
}

LaunchResult runProcess(const ProcessRequest& request) {
  LaunchResult result;
  if (request.commandLine) {
    result.problem = "A literal command line exists only on Windows";
    return result;
  }
  std::vector<std::string> argumentTexts{request.program};
  argumentTexts.insert(argumentTexts.end(), request.arguments.begin(), request.arguments.end());
  std::vector<std::string> environmentTexts = childEnvironment(request);
  std::vector<char*> argv = pointersTo(argumentTexts);
  std::vector<char*> envp = pointersTo(environmentTexts);

  int out[2], err[2], report[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
    result.problem = std::string("Cannot make pipes: ") + std::strerror(errno);
    return result;
  }
  pid_t pid = fork();
  if (pid == 0) becomeProgram(request, argv.data(), envp.data(), out[1], err[1], report[1]);
  close(out[1]);
  close(err[1]);
  close(report[1]);
  if (pid < 0) {
    result.problem = std::string("Cannot fork: ") + std::strerror(errno);
    close(out[0]);
    close(err[0]);
    close(report[0]);
    return result;
  }

  int startError = 0;
  if (read(report[0], &startError, sizeof startError) == static_cast<ssize_t>(sizeof startError)) {
    result.problem = "Cannot run " + request.program + ": " + std::strerror(startError);
  }
  close(report[0]);

  // Read both pipes as the data comes, so that a full pipe never blocks the program.
  long long deadline = millisecondsNow() + request.timeoutSeconds * 1000LL;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int openPipes = 2;
  bool timedOut = false;
  size_t nextTrigger = 0;
  while (openPipes > 0) {
    long long left = deadline - millisecondsNow();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openPipes;
      } else {
        sinks[i]->append(buffer, static_cast<size_t>(n));
        while (const OutputTrigger* step = dueTrigger(request.triggers, nextTrigger, result.out, result.err)) {
          // Until it is reaped below the program cannot lose its process id to another.
          if (step->signal != 0) {
            kill(pid, step->signal);
          } else {
            std::string problem = writeFile(step->file, "");
            if (!problem.empty() && result.problem.empty()) result.problem = problem;
          }
        }
      }
    }
  }
  if (timedOut) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    result.problem = "The program did not end within " + std::to_string(request.timeoutSeconds) + " s and was killed";
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.problem.empty()) return result;
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.problem = "The program was ended by signal " + std::to_string(WTERMSIG(status));
  }
  if (result.problem.empty()) result.problem = untakenTriggers(request.triggers, nextTrigger);
  return result;
}

std::string importRegistryFile(const std::string&) { return "There is no registry on this system"; }

void prepareTestProcess() {}

}  // namespace harness_system

std::string fileNotFoundReason() { return std::strerror(ENOENT); }
