// The windowed program's split of its command-line text, checked against a
// literal transcription of the split rules working on a shrinking copy.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "launcher/command_line_arguments.h"

namespace {

// The rules step by step: a working copy, a scan position, delimiters found
// with find_first_of, and "\"" inside a quoted run removing the backslash from
// the copy. Text directly before an opening quote joins the quoted run.
std::vector<std::string> referenceSplit(std::string work) {
  std::vector<std::string> arguments;
  auto add = [&](const std::string& argument) {
    if (!argument.empty()) arguments.push_back(argument);
  };
  size_t scan = 0;
  while (scan < work.size()) {
    size_t p = work.find_first_of(" \"\t\n", scan);
    if (p == std::string::npos) {
      add(work.substr(scan));
      break;
    }
    if (work[p] != '"') {
      add(work.substr(scan, p - scan));
      scan = p + 1;
      continue;
    }
    size_t close = work.find('"', p + 1);
    while (close != std::string::npos && work[close - 1] == '\\' && close - 1 > p) {
      work.erase(close - 1, 1);
      close = work.find('"', close);
    }
    const std::string before = work.substr(scan, p - scan);
    if (close == std::string::npos) {
      add(before + work.substr(p + 1));
      break;
    }
    add(before + work.substr(p + 1, close - p - 1));
    scan = close + 1;
  }
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  static char programName[] = "C:\\Apps\\Tool.exe";

  // The vector reads a C string: the text ends at its first NUL, as Windows
  // hands it over.
  const std::string visible = text.substr(0, text.find('\0'));
  const std::vector<std::string> expected = referenceSplit(visible);

  fuzz::completes([&] {
    CommandLineArguments arguments(text.c_str(), programName);
    fuzz::require(arguments.getArgc() == static_cast<int>(expected.size()) + 1, "count");
    char** argv = arguments.getArgv();
    fuzz::require(argv[0] == programName, "element 0 is the program name, not copied");
    for (size_t i = 0; i < expected.size(); ++i) {
      fuzz::require(expected[i] == argv[i + 1], "arguments as the rules give them");
    }
  });

  // The tail after the program name is a suffix of the full command line.
  const std::string tail = commandLineAfterProgramName(text);
  fuzz::require(tail.size() <= text.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0,
                "tail is a suffix");
  return 0;
}
