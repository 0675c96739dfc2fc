#ifndef VEXIL_TESTS_E2E_LAUNCH_HARNESS_H_
#define VEXIL_TESTS_E2E_LAUNCH_HARNESS_H_

// Runs the real launcher programs in a directory of their own and records what
// a user would see: exit code, standard output and error, message boxes.
//
//   LaunchCase app;                                   // copies claunch to <case>/app[.exe]
//   app.writeConfiguration("vexil.main.class=Main\n"); // <case>/app.lap
//   LaunchResult result = app.run({"one", "two"});
//   EXPECT_TRUE(app.showsReport(result, {"Cannot find main Java class Main"}));

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/messages.h"  // reportText: the report of a failure with a message

namespace harness_system {
struct ProcessRequest;
}  // namespace harness_system

/// The launcher builds. The windowed one exists only on Windows.
enum class Program { Console, Windowed };

/// The launcher builds of this system: Console, and on Windows Windowed.
std::vector<Program> launcherPrograms();

/// Printable name, also for parameterised test names.
const char* programName(Program program);

/// The icon of a message box.
enum class BoxIcon {
  None,
  Exclamation,  ///< also called the warning icon
  Error,        ///< the hand, or stop, icon
  Information,
  Question,
  Other,    ///< an icon, but none of the system icons above
  Unknown,  ///< the harness could not find out
};
const char* boxIconName(BoxIcon icon);

/// Control ids of the buttons (IDOK and so on).
enum : int { kButtonOk = 1, kButtonCancel = 2, kButtonYes = 6, kButtonNo = 7 };

struct MessageBoxSeen {
  std::string caption;
  std::string body;
  BoxIcon icon = BoxIcon::Unknown;
  std::vector<int> buttons;  ///< control ids of the visible buttons, in window order

  bool hasOnlyOkButton() const { return buttons == std::vector<int>{kButtonOk}; }
};

struct LaunchResult {
  int exitCode = -1;  ///< -1 when the program could not be run to its end
  std::string out;    ///< standard output, bytes as written (CR LF from Windows programs)
  std::string err;    ///< standard error, bytes as written
  std::vector<MessageBoxSeen>
      boxes;            ///< every box shown, in order; each was closed with OK, else No, else its first button
  std::string problem;  ///< why the run did not complete, empty when it did
};

/// What the harness does to a running program once its output holds MARKER:
/// send SIGNAL when it is not 0, else create FILE (a full path).
struct OutputTrigger {
  std::string marker;
  int signal = 0;
  std::string file;
};

/// All of RESULT, for failure messages.
std::string describe(const LaunchResult& result);

/// TEXT with every CR LF turned into LF.
std::string withLfLineEnds(const std::string& text);

/// TEXT followed by the line end the launcher's console build writes on this system;
/// every line end inside TEXT written that way too.
std::string consoleLine(const std::string& text);

/// One launch setting: a fresh directory below the build tree holding a copy of a
/// launcher program and whatever files the test writes there. The directory is
/// named after the running test; it is emptied when the case starts and removed
/// when the test passes (kept for inspection when it fails).
class LaunchCase {
 public:
  /// Copies PROGRAM into the case directory as RELATIVE_NAME ("/"-separated,
  /// subdirectories are made); empty gives "app" (on Windows "app.exe").
  explicit LaunchCase(Program program = Program::Console, const std::string& relativeName = "");
  /// The same for another program of the build (a test helper), named by its path
  /// as the build gives it; showsReport treats it as a console program.
  LaunchCase(const std::string& builtProgram, const std::string& relativeName);
  /// A copy of the launcher PROGRAM made elsewhere (by vexil-stamp, say), at the path
  /// BUILT_PROGRAM; showsReport expects PROGRAM's way of reporting.
  LaunchCase(Program program, const std::string& builtProgram, const std::string& relativeName);
  ~LaunchCase();
  LaunchCase(const LaunchCase&) = delete;
  LaunchCase& operator=(const LaunchCase&) = delete;

  Program program() const { return m_program; }
  /// The case directory, in the form the launcher sees it (Z:\... under Wine).
  const std::string& directory() const { return m_directory; }
  /// The program's full path, as the launcher reports its own path.
  const std::string& programPath() const { return m_programPath; }
  /// RELATIVE ("/"-separated) below the case directory, with the system's separators.
  std::string path(const std::string& relative) const;
  /// The program's path in double quotes, to start a raw command line with.
  std::string quotedProgramPath() const { return "\"" + m_programPath + "\""; }

  /// Writes the configuration file beside the program: its path without ".exe", plus ".lap".
  void writeConfiguration(const std::string& contents) const;
  /// Writes CONTENTS, bytes unchanged, to RELATIVE below the case directory; makes directories.
  void writeFile(const std::string& relative, const std::string& contents) const;
  /// Makes RELATIVE and its parents below the case directory.
  void makeDirectory(const std::string& relative) const;
  /// Copies the file at SOURCE (any absolute path) to RELATIVE below the case directory.
  void copyFile(const std::string& source, const std::string& relative) const;

  /// The child gets VALUE for NAME (added to, or replacing, the inherited environment).
  void setEnvironment(const std::string& name, const std::string& value);
  /// The child does not inherit NAME.
  void removeEnvironment(const std::string& name);
  /// The child's working directory, RELATIVE below the case directory; the case directory by default.
  void setWorkingDirectory(const std::string& relative);
  /// Longest a run may take before the program is killed and the test fails; 60 s by default.
  void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }

  /// During each run: once the program's standard output or error holds MARKER,
  /// send it SIGNAL (a POSIX signal number; under Wine it goes to the Wine
  /// process of the program, which Wine turns into a console event or not).
  /// Such steps are taken one after the other in the order they were added; a
  /// marker that never shows fails the test.
  void sendSignalWhenOutputContains(int signal, const std::string& marker);
  /// The same step, but it creates the empty file RELATIVE below the case directory.
  void createFileWhenOutputContains(const std::string& relative, const std::string& marker);

  /// Runs the program with ARGUMENTS after the program name.
  LaunchResult run(const std::vector<std::string>& arguments = {}) const;
  /// Runs WRAPPER (a program and its first arguments) with the program's path
  /// and ARGUMENTS after them, e.g. to start it in another kind of system
  /// environment.
  LaunchResult runWrapped(const std::vector<std::string>& wrapper,
                          const std::vector<std::string>& arguments = {}) const;
  /// Windows only: runs the program with exactly COMMAND_LINE as the process command
  /// line (program name included, e.g. quotedProgramPath() + " a b").
  LaunchResult runCommandLine(const std::string& commandLine) const;

  /// Whether RESULT is the report of a failure with LINES through this program's
  /// channel, and nothing else: the heading and LINES[0], then each further line
  /// on a line of its own; console build on standard output, windowed build one
  /// box (caption the program path, exclamation icon, only OK); standard error
  /// empty, exit code 1.
  testing::AssertionResult showsReport(const LaunchResult& result, const std::vector<std::string>& lines) const;
  /// The same for a report that names its cause: MESSAGE, then on the lines after
  /// it a text that begins with CAUSE_START. Standard error may hold the runtime's
  /// own description of the cause (console build).
  testing::AssertionResult showsReportWithCause(const LaunchResult& result, const std::string& message,
                                                const std::string& causeStart) const;
  /// The same, with the whole text REPORT (e.g. the heading alone).
  testing::AssertionResult showsReportText(const LaunchResult& result, const std::string& report) const;

 private:
  void setUp(const std::string& builtProgram, const std::string& relativeName);
  /// The program, environment, directory, time limit and triggers of this case.
  harness_system::ProcessRequest processRequest() const;
  static LaunchResult runRequest(const harness_system::ProcessRequest& request);

  Program m_program;
  std::string m_directory;
  std::string m_programPath;
  std::string m_workingDirectory;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_environment;
  std::vector<OutputTrigger> m_triggers;
  int m_timeoutSeconds = 60;
};

/// The system's own words for a file that is not there (strerror, or the
/// system's message for its error code on Windows), as a report gives them.
std::string fileNotFoundReason();

/// The bytes of the file at PATH; empty when it cannot be read.
std::string fileContents(const std::string& path);

/// Windows only, and only in the registry test binary, whose tests never run
/// at the same time: imports REG_FILE_TEXT (the contents of a .reg file, e.g.
/// "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_LOCAL_MACHINE\\...]\r\n...")
/// with reg.exe. Fails the test when the import fails.
void importRegistry(const std::string& regFileText);
/// Called by the main of the registry test binary.
void allowRegistryChanges();

/// The first line of every .reg file, with the blank line after it.
extern const std::string kRegFileHeader;
/// A .reg section that removes HKLM\SOFTWARE\JavaSoft and all below it.
extern const std::string kRegWipeJavaSoft;
/// TEXT as a .reg file's string value: in quotes, backslashes and quotes escaped.
std::string regString(const std::string& text);

#endif  // VEXIL_TESTS_E2E_LAUNCH_HARNESS_H_
