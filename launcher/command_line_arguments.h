#ifndef VEXIL_LAUNCHER_COMMAND_LINE_ARGUMENTS_H_
#define VEXIL_LAUNCHER_COMMAND_LINE_ARGUMENTS_H_

#include <string>
#include <vector>

/// The windowed program's arguments. Windows hands a windowed program its
/// arguments as one line of text; this splits that text into the count and
/// vector the shared launch sequence takes.
///
/// Blanks (space, tab, line feed) separate arguments; a double-quoted run
/// keeps its blanks, and inside it a backslash directly before a double quote
/// makes that quote part of the argument. Empty arguments are never produced.
class CommandLineArguments {
 public:
  /// Splits TEXT (the command line after the program name; null counts as
  /// empty) at once. Element 0 of the vector is PROGRAM_NAME, not copied.
  /// Any failure of the split is reported as message::kReadingCommandLineArguments.
  CommandLineArguments(const char* text, char* programName);

  CommandLineArguments(const CommandLineArguments&) = delete;
  CommandLineArguments& operator=(const CommandLineArguments&) = delete;

  /// Element 0 and the split arguments.
  int getArgc() const { return m_argumentCount; }

  /// getArgc() elements, with no null element after them. Valid while this
  /// object lives.
  char** getArgv() { return m_argumentVector.data(); }

 private:
  void split(char* programName);

  const char* m_text;
  std::vector<std::string> m_arguments;
  std::vector<char*> m_argumentVector;
  int m_argumentCount = -1;
};

/// The arguments TEXT holds, by the rules of CommandLineArguments.
std::vector<std::string> splitCommandLineText(const std::string& text);

/// The part of a full process command line after the program name, the way
/// the C runtime finds it: a double quote opens or closes a quoted part of the
/// name, the name ends at the first byte of code 32 or below outside quotes,
/// and the bytes of codes 1 to 32 after it are skipped.
std::string commandLineAfterProgramName(const std::string& commandLine);

#endif  // VEXIL_LAUNCHER_COMMAND_LINE_ARGUMENTS_H_
