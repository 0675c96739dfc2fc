#include "tests/e2e/launch_harness.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/e2e/harness_system.h"

// Set by tests/e2e/CMakeLists.txt: where the build put the programs and where cases go.
#ifndef VEXIL_E2E_CASE_ROOT
#error VEXIL_E2E_CASE_ROOT must name the directory for the launch cases
#endif
#ifndef VEXIL_E2E_CONSOLE_PROGRAM
#define VEXIL_E2E_CONSOLE_PROGRAM ""
#endif
#ifndef VEXIL_E2E_WINDOWED_PROGRAM
#define VEXIL_E2E_WINDOWED_PROGRAM ""
#endif

namespace {

bool g_registryChangesAllowed = false;

bool endsWithExeIgnoringCase(const std::string& path) {
  if (path.size() < 4) return false;
  std::string extension = path.substr(path.size() - 4);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".exe";
}

// "Suite.Name" of the running test, made safe as a file name; a second case in
// the same test gets "-2", and so on.
std::string caseName() {
  static std::string s_lastTest;
  static int s_casesInTest = 0;
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
  if (test != s_lastTest) {
    s_lastTest = test;
    s_casesInTest = 0;
  }
  ++s_casesInTest;
  std::string name;
  for (char c : test) name += (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') ? c : '_';
  if (s_casesInTest > 1) name += "-" + std::to_string(s_casesInTest);
  return name;
}

// Shows control characters, so that "\r\n" and "\n" differ visibly in a failure message.
std::string visible(const std::string& text) {
  std::string shown = "\"";
  for (char c : text) {
    switch (c) {
      case '\r':
        shown += "\\r";
        break;
      case '\n':
        shown += "\\n";
        break;
      case '\t':
        shown += "\\t";
        break;
      case '"':
        shown += "\\\"";
        break;
      case '\\':
        shown += "\\\\";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
          shown += code;
        } else {
          shown += c;
        }
    }
  }
  return shown + "\"";
}

void failOn(const std::string& problem) {
  if (!problem.empty()) ADD_FAILURE() << problem;
}

}  // namespace

std::vector<Program> launcherPrograms() {
  std::vector<Program> programs{Program::Console};
  if (*VEXIL_E2E_WINDOWED_PROGRAM) programs.push_back(Program::Windowed);
  return programs;
}

const char* programName(Program program) { return program == Program::Console ? "Console" : "Windowed"; }

const char* boxIconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "none";
    case BoxIcon::Exclamation:
      return "exclamation";
    case BoxIcon::Error:
      return "error";
    case BoxIcon::Information:
      return "information";
    case BoxIcon::Question:
      return "question";
    case BoxIcon::Other:
      return "other";
    case BoxIcon::Unknown:
      break;
  }
  return "unknown";
}

std::string describe(const LaunchResult& result) {
  std::ostringstream text;
  text << "exit code " << result.exitCode;
  if (!result.problem.empty()) text << " (" << result.problem << ")";
  text << "\nstdout: " << visible(result.out) << "\nstderr: " << visible(result.err);
  if (result.boxes.empty()) text << "\nno message box";
  for (const MessageBoxSeen& box : result.boxes) {
    text << "\nmessage box: caption " << visible(box.caption) << ", body " << visible(box.body) << ", icon "
         << boxIconName(box.icon) << ", buttons";
    for (int id : box.buttons) text << " " << id;
  }
  return text.str();
}

std::string withLfLineEnds(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

std::string consoleLine(const std::string& text) {
  // A report of several lines is written with the system's line ends throughout.
  std::string lines;
  for (char c : text) {
    if (c == '\n') {
      lines += harness_system::consoleLineEnd();
    } else {
      lines += c;
    }
  }
  return lines + harness_system::consoleLineEnd();
}

LaunchCase::LaunchCase(Program program, const std::string& relativeName) : m_program(program) {
  std::string builtProgram = program == Program::Console ? VEXIL_E2E_CONSOLE_PROGRAM : VEXIL_E2E_WINDOWED_PROGRAM;
  if (builtProgram.empty()) {
    ADD_FAILURE() << "This build has no " << programName(program) << " launcher";
    return;
  }
  setUp(builtProgram, relativeName);
}

LaunchCase::LaunchCase(const std::string& builtProgram, const std::string& relativeName) : m_program(Program::Console) {
  setUp(builtProgram, relativeName);
}

LaunchCase::LaunchCase(Program program, const std::string& builtProgram, const std::string& relativeName)
    : m_program(program) {
  setUp(builtProgram, relativeName);
}

void LaunchCase::setUp(const std::string& builtProgram, const std::string& relativeName) {
  std::string root = harness_system::nativePath(VEXIL_E2E_CASE_ROOT);
  m_directory = root + harness_system::pathSeparator() + caseName();
  failOn(harness_system::removeTree(m_directory));
  failOn(harness_system::makeDirectories(m_directory));
  std::string name = relativeName.empty() ? harness_system::defaultProgramFileName() : relativeName;
  m_programPath = path(name);
  copyFile(harness_system::nativePath(builtProgram), name);
  m_workingDirectory = m_directory;
}

LaunchCase::~LaunchCase() {
  // A failed test leaves its directory behind for a look at what the program saw.
  if (!m_directory.empty() && !testing::Test::HasFailure()) harness_system::removeTree(m_directory);
}

std::string LaunchCase::path(const std::string& relative) const {
  std::string native = relative;
  for (char& c : native) {
    if (c == '/') c = harness_system::pathSeparator();
  }
  return m_directory + harness_system::pathSeparator() + native;
}

void LaunchCase::writeConfiguration(const std::string& contents) const {
  std::string base = m_programPath;
  if (endsWithExeIgnoringCase(base)) base.resize(base.size() - 4);
  failOn(harness_system::writeFile(base + ".lap", contents));
}

void LaunchCase::writeFile(const std::string& relative, const std::string& contents) const {
  std::string target = path(relative);
  failOn(harness_system::makeDirectories(target.substr(0, target.rfind(harness_system::pathSeparator()))));
  failOn(harness_system::writeFile(target, contents));
}

void LaunchCase::makeDirectory(const std::string& relative) const {
  failOn(harness_system::makeDirectories(path(relative)));
}

void LaunchCase::copyFile(const std::string& source, const std::string& relative) const {
  std::string target = path(relative);
  failOn(harness_system::makeDirectories(target.substr(0, target.rfind(harness_system::pathSeparator()))));
  failOn(harness_system::copyFile(source, target));
}

void LaunchCase::setEnvironment(const std::string& name, const std::string& value) {
  m_environment.emplace_back(name, value);
}

void LaunchCase::removeEnvironment(const std::string& name) { m_environment.emplace_back(name, std::nullopt); }

void LaunchCase::setWorkingDirectory(const std::string& relative) { m_workingDirectory = path(relative); }

void LaunchCase::sendSignalWhenOutputContains(int signal, const std::string& marker) {
  m_triggers.push_back(OutputTrigger{marker, signal, ""});
}

void LaunchCase::createFileWhenOutputContains(const std::string& relative, const std::string& marker) {
  m_triggers.push_back(OutputTrigger{marker, 0, path(relative)});
}

LaunchResult LaunchCase::run(const std::vector<std::string>& arguments) const {
  harness_system::ProcessRequest request = processRequest();
  request.arguments = arguments;
  return runRequest(request);
}

LaunchResult LaunchCase::runWrapped(const std::vector<std::string>& wrapper,
                                    const std::vector<std::string>& arguments) const {
  harness_system::ProcessRequest request = processRequest();
  request.program = wrapper.at(0);
  request.arguments.assign(wrapper.begin() + 1, wrapper.end());
  request.arguments.push_back(m_programPath);
  request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
  return runRequest(request);
}

LaunchResult LaunchCase::runCommandLine(const std::string& commandLine) const {
  harness_system::ProcessRequest request = processRequest();
  request.commandLine = commandLine;
  return runRequest(request);
}

harness_system::ProcessRequest LaunchCase::processRequest() const {
  harness_system::ProcessRequest request;
  request.program = m_programPath;
  request.environment = m_environment;
  request.workingDirectory = m_workingDirectory;
  request.timeoutSeconds = m_timeoutSeconds;
  request.triggers = m_triggers;
  return request;
}

LaunchResult LaunchCase::runRequest(const harness_system::ProcessRequest& request) {
  LaunchResult result = harness_system::runProcess(request);
  failOn(result.problem);
  return result;
}

testing::AssertionResult LaunchCase::showsReport(const LaunchResult& result,
                                                 const std::vector<std::string>& lines) const {
  // Joined by line feeds; showsReportText expects each as the console's line end.
  std::string report = reportText(lines.empty() ? std::string() : lines.front());
  for (size_t i = 1; i < lines.size(); ++i) report += "\n" + lines[i];
  return showsReportText(result, report);
}

testing::AssertionResult LaunchCase::showsReportWithCause(const LaunchResult& result, const std::string& message,
                                                          const std::string& causeStart) const {
  std::string shown;
  if (m_program == Program::Console) {
    shown = withLfLineEnds(result.out);
    if (!shown.empty() && shown.back() == '\n') shown.pop_back();
  } else if (!result.boxes.empty()) {
    shown = result.boxes[0].body;
  }
  const std::string start = reportText(message) + "\n" + causeStart;
  if (shown.compare(0, start.size(), start) != 0) {
    return testing::AssertionFailure() << "the report does not begin with " << visible(start) << "; the run gave:\n"
                                       << describe(result);
  }
  LaunchResult withoutErrors = result;
  withoutErrors.err.clear();
  return showsReportText(withoutErrors, shown);
}

testing::AssertionResult LaunchCase::showsReportText(const LaunchResult& result, const std::string& report) const {
  std::vector<std::string> mismatches;
  if (result.exitCode != 1) mismatches.push_back("exit code is not 1");
  if (!result.err.empty()) mismatches.push_back("standard error is not empty");
  if (m_program == Program::Console) {
    if (result.out != consoleLine(report))
      mismatches.push_back("standard output is not " + visible(consoleLine(report)));
    if (!result.boxes.empty()) mismatches.push_back("a message box was shown");
  } else {
    if (!result.out.empty()) mismatches.push_back("standard output is not empty");
    if (result.boxes.size() != 1) {
      mismatches.push_back("not exactly one message box");
    } else {
      const MessageBoxSeen& box = result.boxes[0];
      if (box.body != report) mismatches.push_back("the box does not read " + visible(report));
      if (box.caption != m_programPath) mismatches.push_back("the caption is not " + visible(m_programPath));
      if (box.icon != BoxIcon::Exclamation) mismatches.push_back("the icon is not the exclamation icon");
      if (!box.hasOnlyOkButton()) mismatches.push_back("the buttons are not OK alone");
    }
  }
  if (mismatches.empty()) return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure();
  for (const std::string& mismatch : mismatches) failure << mismatch << "; ";
  return failure << "the run gave:\n" << describe(result);
}

namespace harness_system {

const OutputTrigger* dueTrigger(const std::vector<OutputTrigger>& steps, size_t& next, const std::string& out,
                                const std::string& err) {
  if (next >= steps.size()) return nullptr;
  const std::string& marker = steps[next].marker;
  if (out.find(marker) == std::string::npos && err.find(marker) == std::string::npos) return nullptr;
  return &steps[next++];
}

std::string untakenTriggers(const std::vector<OutputTrigger>& steps, size_t next) {
  if (next >= steps.size()) return "";
  return "The output never held " + visible(steps[next].marker) + ", so not every step was taken";
}

}  // namespace harness_system

void allowRegistryChanges() { g_registryChangesAllowed = true; }

std::string fileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

const std::string kRegFileHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kRegWipeJavaSoft = "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft]\r\n\r\n";

std::string regString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

void importRegistry(const std::string& regFileText) {
  if (!g_registryChangesAllowed) {
    ADD_FAILURE() << "Registry changes belong in the registry test binary, whose tests never run concurrently";
    return;
  }
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "registry-import";
  if (info) name += std::string("-") + info->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
  }
  std::string file = harness_system::nativePath(VEXIL_E2E_CASE_ROOT) + harness_system::pathSeparator() + name + ".reg";
  failOn(harness_system::makeDirectories(harness_system::nativePath(VEXIL_E2E_CASE_ROOT)));
  failOn(harness_system::writeFile(file, regFileText));
  std::string problem = harness_system::importRegistryFile(file);
  failOn(problem);
  if (problem.empty()) harness_system::removeTree(file);
}
