// Runs several command lines in turn, round after round, and reports for each
// the median wall time and the median peak resident memory of its process,
// and for each command after the first its time relative to the first.
// Alternating spreads any drift of the machine (frequency, caches, other
// load) evenly over the commands, so their ratio is fair.
//
//   vexil_bench_runner [--runs N] [--warmup N] [--exit CODE] -- CMD... [-- CMD...]
//
// Each command's standard output and error go to /dev/null; a run that does
// not end with the expected exit code (0 unless --exit says otherwise) stops
// the measurement.

#include <fcntl.h>
#include <spawn.h>
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
  std::vector<Sample> samples;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

Sample runOnce(const Command& command, int expectedExit) {
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
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedExit) {
    std::fprintf(stderr, "%s ended with status %d, expected exit code %d\n", command.argv[0], status, expectedExit);
    std::exit(2);
  }
  return Sample{std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 10;
  int warmup = 2;
  int expectedExit = 0;
  std::vector<Command> commands;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) {
      commands.emplace_back();
    } else if (commands.empty() && i + 1 < argc && std::strcmp(argv[i], "--runs") == 0) {
      runs = std::atoi(argv[++i]);
    } else if (commands.empty() && i + 1 < argc && std::strcmp(argv[i], "--warmup") == 0) {
      warmup = std::atoi(argv[++i]);
    } else if (commands.empty() && i + 1 < argc && std::strcmp(argv[i], "--exit") == 0) {
      expectedExit = std::atoi(argv[++i]);
    } else if (!commands.empty()) {
      commands.back().argv.push_back(argv[i]);
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--warmup N] [--exit CODE] -- CMD... [-- CMD...]\n", argv[0]);
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

  for (int round = 0; round < warmup; ++round) {
    for (Command& command : commands) runOnce(command, expectedExit);
  }
  // Each round starts with the next command, so that none always follows the
  // same one.
  for (int round = 0; round < runs; ++round) {
    for (size_t k = 0; k < commands.size(); ++k) {
      Command& command = commands[(round + k) % commands.size()];
      command.samples.push_back(runOnce(command, expectedExit));
    }
  }

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
      // Each round gives one ratio of two neighbouring runs; their median
      // is the least disturbed by a slow round.
      std::vector<double> ratios;
      for (int r = 0; r < runs; ++r) ratios.push_back(times[r] / baseTimes[r]);
      std::printf("  command %zu / command 1: ratio of medians %.3f, median of per-round ratios %.3f\n", c + 1,
                  median(times) / median(baseTimes), median(ratios));
    }
  }
  return 0;
}
