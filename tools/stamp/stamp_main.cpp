// vexil-stamp: see stamp.h. Exit codes: 0 done, 1 failed, 2 a command line it cannot follow.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tools/stamp/stamp.h"
#include "tools/stamp/stamp_messages.h"

#ifndef VEXIL_VERSION
#define VEXIL_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == stamp_message::kVersionOption) {
    std::fputs(stamp_message::fill(stamp_message::kVersion, {VEXIL_VERSION}).c_str(), stdout);
    return 0;
  }
  try {
    // On Windows the arguments come again from the wide command line, in UTF-8 (the
    // program's manifest makes UTF-8 its code page, so paths in UTF-8 open).
    std::vector<std::string> arguments = processArguments(argc, argv);
    arguments.erase(arguments.begin());
    const StampRequest request = parseStampArguments(arguments);
    if (request.help) {
      std::fputs(stampUsage().c_str(), stdout);
      return 0;
    }
    stamp(request);
    return 0;
  } catch (const UsageError& error) {
    std::fputs(stamp_message::fill(stamp_message::kUsageFailure, {error.what()}).c_str(), stderr);
    return 2;
  } catch (const std::exception& error) {
    std::fputs(stamp_message::fill(stamp_message::kFailure, {error.what()}).c_str(), stderr);
    return 1;
  }
}
