#include "launcher/command_line_arguments.h"

#include <climits>
#include <utility>

#include "report/failure.h"
#include "report/messages.h"

namespace {

// Bytes are compared one by one, without regard to multibyte code pages.
const char kDelimiters[] = " \"\t\n";

void addIfNotEmpty(std::vector<std::string>& arguments, std::string argument) {
  if (!argument.empty()) arguments.push_back(std::move(argument));
}

}  // namespace

std::vector<std::string> splitCommandLineText(const std::string& text) {
  std::vector<std::string> arguments;
  std::string::size_type scan = 0;
  while (scan < text.size()) {
    const std::string::size_type delimiter = text.find_first_of(kDelimiters, scan);
    if (delimiter == std::string::npos) {
      addIfNotEmpty(arguments, text.substr(scan));
      break;
    }
    if (text[delimiter] != '"') {
      addIfNotEmpty(arguments, text.substr(scan, delimiter - scan));
      scan = delimiter + 1;
      continue;
    }
    // Text written directly before an opening quote joins the quoted run, so
    // that name="a b" is the one argument name=a b, as users of Windows
    // programs write it and as the console program's runtime reads it. Text
    // directly after the closing quote starts a new argument.
    std::string argument = text.substr(scan, delimiter - scan);
    std::string::size_type at = delimiter + 1;
    bool closed = false;
    for (; at < text.size(); ++at) {
      if (text[at] == '"') {
        // \" keeps the quote in the run and drops the backslash, which is
        // the last byte taken (the opening quote is never a backslash).
        if (text[at - 1] == '\\') {
          argument.back() = '"';
          continue;
        }
        closed = true;
        break;
      }
      argument += text[at];
    }
    addIfNotEmpty(arguments, std::move(argument));
    if (!closed) break;  // an unclosed run takes the rest of the text
    scan = at + 1;
  }
  return arguments;
}

std::string commandLineAfterProgramName(const std::string& commandLine) {
  // Unsigned codes: a byte above 127 belongs to the text, not to the blanks.
  const auto code = [&](std::string::size_type at) { return static_cast<unsigned char>(commandLine[at]); };
  std::string::size_type at = 0;
  bool quoted = false;
  for (; at < commandLine.size(); ++at) {
    if (commandLine[at] == '"') {
      quoted = !quoted;
    } else if (!quoted && code(at) <= 32) {
      break;
    }
  }
  while (at < commandLine.size() && code(at) >= 1 && code(at) <= 32) ++at;
  return commandLine.substr(at);
}

CommandLineArguments::CommandLineArguments(const char* text, char* programName) : m_text(text) {
  guardedStep(message::kReadingCommandLineArguments, [&] { split(programName); });
}

void CommandLineArguments::split(char* programName) {
  static char noProgramName[] = "";
  m_arguments = splitCommandLineText(m_text != nullptr ? m_text : "");
  if (m_arguments.size() > static_cast<std::size_t>(INT_MAX) - 1) {
    raiseUnexplainedFailure();  // more arguments than an int can count
  }
  // The strings are in place now: their addresses no longer change.
  m_argumentVector.reserve(m_arguments.size() + 1);
  m_argumentVector.push_back(programName != nullptr ? programName : noProgramName);
  for (std::string& argument : m_arguments) m_argumentVector.push_back(argument.data());
  m_argumentCount = static_cast<int>(m_argumentVector.size());
}
