// Runs several command lines in turn, round after round, and reports for each
// the median wall time and the median peak resident memory of its process,
// and for each command after the first its time relative to the first: the
// median, minimum and maximum of the per-round ratios. Alternating spreads any
// drift of the machine (frequency, caches, other load) evenly over the
// commands, and each round starts with the next command, so that none always
// runs first or always follows the same one.
//
//   vexil_bench_runner [--runs N] [--warmup N] -- [--exit CODE] [--cold DIR] CMD... [-- ...]
//
// Per command: --exit, the exit code each run must end with (default 0);
// --cold DIR, a folder removed before each run of the command, so that every
// run starts without the files it makes there (a class-data cache), and
// waited for after the run: every "*.lock" file in it is locked once, which
// returns when the work a run left in the background has released it. Neither
// is timed. Each command's standard output and error go to /dev/null; a run
// that ends otherwise stops the measurement. The load average is printed
// before and after.

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
  double milliseconds;
  long maxResidentKilobytes;
};

struct Command {
  std::vector<char*> argv;  // null-terminated
  int expectedExit = 0;
  std::string coldFolder;
  std::vector<Sample> samples;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string loadAverage() {
  char text[128] = {};
  FILE* file = std::fopen("/proc/loadavg", "r");
  if (file == nullptr) return "unknown";
  const bool read = std::fgets(text, sizeof text, file) != nullptr;
  std::fclose(file);
  if (!read) return "unknown";
  // The first three fields: 1, 5 and 15 minutes.
  std::string fields(text);
  size_t end = 0;
  for (int i = 0; i < 3 && end != std::string::npos; ++i) end = fields.find(' ', end + 1);
  return fields.substr(0, end);
}

void removeTree(const std::string& folder) {
  // Whatever cannot be removed stays; the run then starts with it, as a user's would.
  const auto removeEntry = [](const char* path, const struct stat*, int, struct FTW*) {
    std::remove(path);
    return 0;
  };
  nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// Returns once nothing holds a lock on a "*.lock" file of the folder.
void awaitLocks(const std::string& folder) {
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return;
  std::vector<std::string> locks;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") == 0) locks.push_back(folder + "/" + name);
  }
  closedir(directory);
  for (const std::string& lock : locks) {
    const int fd = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    flock(fd, LOCK_EX);
    close(fd);
  }
}

Sample runOnce(const Command& command) {
  if (!command.coldFolder.empty()) removeTree(command.coldFolder);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, command.argv[0], &actions, nullptr, command.argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", command.argv[0]);
    std::exit(2);
  }
  int status;
  rusage usage;
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != command.expectedExit) {
    std::fprintf(stderr, "%s ended with status %d, expected exit code %d\n", command.argv[0], status,
                 command.expectedExit);
    std::exit(2);
  }
  if (!command.coldFolder.empty()) awaitLocks(command.coldFolder);
  return Sample{std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 10;
  int warmup = 2;
  std::vector<Command> commands;
  for (int i = 1; i < argc; ++i) {
    const bool atCommandStart = !commands.empty() && commands.back().argv.empty();
    if (std::strcmp(argv[i], "--") == 0) {
      commands.emplace_back();
    } else if (commands.empty() && i + 1 < argc && std::strcmp(argv[i], "--runs") == 0) {
      runs = std::atoi(argv[++i]);
    } else if (commands.empty() && i + 1 < argc && std::strcmp(argv[i], "--warmup") == 0) {
      warmup = std::atoi(argv[++i]);
    } else if (atCommandStart && i + 1 < argc && std::strcmp(argv[i], "--exit") == 0) {
      commands.back().expectedExit = std::atoi(argv[++i]);
    } else if (atCommandStart && i + 1 < argc && std::strcmp(argv[i], "--cold") == 0) {
      commands.back().coldFolder = argv[++i];
    } else if (!commands.empty()) {
      commands.back().argv.push_back(argv[i]);
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--warmup N] -- [--exit CODE] [--cold DIR] CMD... [-- ...]\n",
                   argv[0]);
      return 2;
    }
  }
  if (commands.empty() || runs < 1) {
    std::fprintf(stderr, "no command\n");
    return 2;
  }
  for (Command& command : commands) {
    if (command.argv.empty()) {
      std::fprintf(stderr, "empty command\n");
      return 2;
    }
    command.argv.push_back(nullptr);
  }

  std::printf("load average before: %s\n", loadAverage().c_str());
  for (int round = 0; round < warmup; ++round) {
    for (Command& command : commands) runOnce(command);
  }
  for (int round = 0; round < runs; ++round) {
    for (size_t k = 0; k < commands.size(); ++k) {
      Command& command = commands[(round + k) % commands.size()];
      command.samples.push_back(runOnce(command));
    }
  }
  std::printf("load average after: %s\n", loadAverage().c_str());

  std::vector<double> baseTimes;
  for (size_t c = 0; c < commands.size(); ++c) {
    std::vector<double> times, memory;
    for (const Sample& sample : commands[c].samples) {
      times.push_back(sample.milliseconds);
      memory.push_back(static_cast<double>(sample.maxResidentKilobytes));
    }
    if (c == 0) baseTimes = times;
    std::printf("command %zu: %s\n", c + 1, commands[c].argv[0]);
    std::printf("  runs %d, wall ms: median %.2f, min %.2f, max %.2f\n", runs, median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
    std::printf("  peak resident KiB: median %.0f, min %.0f, max %.0f\n", median(memory),
                *std::min_element(memory.begin(), memory.end()), *std::max_element(memory.begin(), memory.end()));
    if (c > 0) {
      // Each round gives one ratio of two runs close in time; their median
      // is the least disturbed by a slow round.
      std::vector<double> ratios;
      for (int r = 0; r < runs; ++r) ratios.push_back(times[r] / baseTimes[r]);
      std::printf(
          "  command %zu / command 1: per-round ratios median %.3f, min %.3f, max %.3f; ratio of medians %.3f\n", c + 1,
          median(ratios), *std::min_element(ratios.begin(), ratios.end()),
          *std::max_element(ratios.begin(), ratios.end()), median(times) / median(baseTimes));
    }
  }
  return 0;
}
