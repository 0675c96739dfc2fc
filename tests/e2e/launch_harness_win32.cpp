#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "tests/e2e/harness_system.h"
#include "tests/e2e/message_box_probe.h"

// Set by tests/e2e/CMakeLists.txt: the DLL that reads a message box's icon.
#ifndef VEXIL_E2E_PROBE_DLL
#error VEXIL_E2E_PROBE_DLL must name the message box probe
#endif

namespace harness_system {
namespace {

const DWORD kBodyControlId = 0xFFFF;  // the static control that holds a message box's text
const ULONGLONG kPollMilliseconds = 20;
const ULONGLONG kRedismissMilliseconds = 2000;
const DWORD kWindowMessageTimeout = 5000;

// The harness keeps text in its own ANSI code page (1252, or UTF-8 in a test
// binary with the launchers' manifest) and calls the wide functions, which
// take paths beyond 260 characters.
std::wstring wideText(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size > 0 ? size : 0, L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string ansiText(const std::wstring& wide) {
  int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  }
  return text;
}

// PATH, a full path, for the wide file functions: beyond the classic limit in the \\?\ form.
std::wstring widePath(const std::string& path) {
  std::wstring wide = wideText(path);
  if (wide.size() >= MAX_PATH - 12 && wide.size() > 2 && wide[1] == L':') return L"\\\\?\\" + wide;
  return wide;
}

std::string systemError(const std::string& what, const std::string& path, DWORD error = GetLastError()) {
  return what + " " + path + ": Windows error " + std::to_string(error);
}

bool equalNamesIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string className(HWND window) {
  char name[64];
  int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? length : 0);
}

// WM_GETTEXT with a bound: a hung window must not hang the test.
// Read as UTF-16, so that no code page of the window's process comes between.
std::string windowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kWindowMessageTimeout, &length)) return "";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                           kWindowMessageTimeout, &copied)) {
    return "";
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return ansiText(text);
}

class IconProbe {
 public:
  IconProbe()
      : m_dll(LoadLibraryA(nativePath(VEXIL_E2E_PROBE_DLL).c_str())),
        m_hook(m_dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(m_dll, VEXIL_PROBE_HOOK_NAME)))
                     : nullptr),
        m_message(RegisterWindowMessageA(VEXIL_PROBE_MESSAGE_NAME)) {}

  // The icon of DIALOG, a message box of another process.
  BoxIcon iconOf(HWND dialog) const {
    if (!m_hook) return BoxIcon::Unknown;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, m_hook, m_dll, GetWindowThreadProcessId(dialog, nullptr));
    if (!hook) return BoxIcon::Unknown;
    DWORD_PTR ignored;
    SendMessageTimeoutA(dialog, m_message, 0, 0, SMTO_NORMAL, kWindowMessageTimeout, &ignored);
    UnhookWindowsHookEx(hook);
    switch (reinterpret_cast<INT_PTR>(GetPropA(dialog, VEXIL_PROBE_ICON_PROPERTY))) {
      case kProbeNoIcon:
        return BoxIcon::None;
      case kProbeExclamation:
        return BoxIcon::Exclamation;
      case kProbeError:
        return BoxIcon::Error;
      case kProbeInformation:
        return BoxIcon::Information;
      case kProbeQuestion:
        return BoxIcon::Question;
      case kProbeOtherIcon:
        return BoxIcon::Other;
      default:
        return BoxIcon::Unknown;
    }
  }

 private:
  HMODULE m_dll;
  HOOKPROC m_hook;
  UINT m_message;
};

// Finds the message boxes of one process, records each once and closes it.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher(DWORD processId, std::vector<MessageBoxSeen>& boxes) : m_processId(processId), m_boxes(boxes) {}

  void scan() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      // A dialog becomes visible once it is filled in.
      if (owner != m_processId || className(window) != "#32770" || !IsWindowVisible(window)) continue;
      auto seen = m_dismissedAt.find(window);
      if (seen == m_dismissedAt.end()) {
        m_boxes.push_back(inspect(window));
        dismiss(window, m_boxes.back().buttons);
        m_dismissedAt[window] = GetTickCount64();
      } else if (GetTickCount64() - seen->second > kRedismissMilliseconds) {
        dismiss(window, buttonsOf(window));
        seen->second = GetTickCount64();
      }
    }
  }

 private:
  static std::vector<int> buttonsOf(HWND dialog) {
    std::vector<int> buttons;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (className(child) == "Button" && IsWindowVisible(child)) buttons.push_back(GetDlgCtrlID(child));
    }
    return buttons;
  }

  MessageBoxSeen inspect(HWND dialog) const {
    MessageBoxSeen box;
    box.caption = windowText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (static_cast<DWORD>(GetDlgCtrlID(child)) == kBodyControlId && className(child) == "Static") {
        box.body = windowText(child);
      }
    }
    box.icon = m_probe.iconOf(dialog);
    box.buttons = buttonsOf(dialog);
    return box;
  }

  // As a user would: the OK button when there is one, else No (a test never
  // has the system open anything), else the first button.
  static void dismiss(HWND dialog, const std::vector<int>& buttons) {
    if (buttons.empty()) {
      PostMessageA(dialog, WM_CLOSE, 0, 0);
      return;
    }
    int button = buttons.front();
    for (int id : buttons) {
      if (id == IDNO) button = IDNO;
    }
    for (int id : buttons) {
      if (id == IDOK) button = IDOK;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }

  DWORD m_processId;
  std::vector<MessageBoxSeen>& m_boxes;
  std::map<HWND, ULONGLONG> m_dismissedAt;
  IconProbe m_probe;
};

struct PipeReader {
  HANDLE pipe = nullptr;
  std::string data;
  std::mutex lock;  // the watching thread looks at the data while it comes
  HANDLE thread = nullptr;

  static DWORD WINAPI readAll(void* self) {
    PipeReader& reader = *static_cast<PipeReader*>(self);
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(reader.pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) {
      std::lock_guard<std::mutex> hold(reader.lock);
      reader.data.append(buffer, count);
    }
    return 0;
  }
  std::string snapshot() {
    std::lock_guard<std::mutex> hold(lock);
    return data;
  }
};

// Under Wine each Windows process is a Linux process whose command line begins
// with the program's Windows path: the Linux ids of those that run PROGRAM.
std::vector<std::string> linuxProcessIdsOf(const std::string& program) {
  std::vector<std::string> ids;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return ids;
  do {
    std::string id = entry.cFileName;
    if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) continue;
    HANDLE file = CreateFileA(("Z:\\proc\\" + id + "\\cmdline").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    // The first argument and the zero byte that ends it.
    std::string first(program.size() + 1, '\0');
    DWORD count = 0;
    BOOL read = ReadFile(file, first.data(), static_cast<DWORD>(first.size()), &count, nullptr);
    CloseHandle(file);
    if (read && count == first.size() && first.back() == '\0' &&
        equalNamesIgnoringCase(first.substr(0, program.size()), program)) {
      ids.push_back(id);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return ids;
}

// Sends SIGNAL to the Linux process of PROGRAM with the Linux kill, which Wine
// starts as it would a Windows program. Wine gives no handle to wait for it;
// the kill is done a moment later.
std::string sendLinuxSignal(const std::string& program, int signal) {
  std::vector<std::string> ids = linuxProcessIdsOf(program);
  if (ids.size() != 1) {
    return "Cannot signal " + program + ": " + std::to_string(ids.size()) +
           " Linux processes run it (signals need Wine)";
  }
  std::string command = "/bin/kill -" + std::to_string(signal) + " " + ids.front();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return systemError("Cannot run", command);
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  return "";
}

// Quotes ARGUMENT so that the C runtime's split gives it back unchanged.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// The inherited environment with REQUEST's changes, as a block for CreateProcessA;
// empty when nothing changes.
std::string environmentBlock(const ProcessRequest& request) {
  if (request.environment.empty()) return "";
  std::vector<std::string> entries;
  if (char* inherited = GetEnvironmentStringsA()) {
    for (const char* entry = inherited; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
    FreeEnvironmentStringsA(inherited);
  }
  for (const auto& [name, value] : request.environment) {
    for (auto it = entries.begin(); it != entries.end();) {
      // "=C:=C:\dir" entries begin with "=": the name is found from the second character on.
      size_t equals = it->find('=', 1);
      it = equalNamesIgnoringCase(it->substr(0, equals), name) ? entries.erase(it) : it + 1;
    }
    if (value) entries.push_back(name + "=" + *value);
  }
  std::string block;
  for (const std::string& entry : entries) block += entry + '\0';
  return block + '\0';
}

}  // namespace

std::string defaultProgramFileName() { return "app.exe"; }
char pathSeparator() { return '\\'; }
const char* consoleLineEnd() { return "\r\n"; }

std::string nativePath(const std::string& path) {
  // Under Wine the build's paths are Linux paths; Wine maps them to its drives.
  using DosFileName = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<DosFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (!path.empty() && path[0] == '/' && toDos) {
    if (WCHAR* wide = toDos(path.c_str())) {
      int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      std::string converted(size > 0 ? size : 1, '\0');
      WideCharToMultiByte(CP_ACP, 0, wide, -1, converted.data(), size, nullptr, nullptr);
      HeapFree(GetProcessHeap(), 0, wide);
      converted.resize(std::strlen(converted.c_str()));
      return converted;
    }
  }
  std::string full(MAX_PATH, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return full;
}

std::string removeTree(const std::string& path) {
  const std::wstring wide = widePath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "" : systemError("Cannot examine", path);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string problem = removeTree(path + "\\" + ansiText(name));
        if (!problem.empty()) {
          FindClose(search);
          return problem;
        }
      } while (FindNextFileW(search, &entry));
      FindClose(search);
    }
    if (!RemoveDirectoryW(wide.c_str())) return systemError("Cannot remove", path);
    return "";
  }
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  // A program that has just ended may still hold its file for a moment.
  for (int attempt = 0; !DeleteFileW(wide.c_str()); ++attempt) {
    if (attempt == 50) return systemError("Cannot delete", path);
    Sleep(20);
  }
  return "";
}

std::string makeDirectories(const std::string& path) {
  // Skip the root: "Z:\" or "\\server\share\".
  size_t start = path.size() >= 3 && path[1] == ':' && path[2] == '\\' ? 3 : 0;
  if (path.compare(0, 2, "\\\\") == 0) start = path.find('\\', path.find('\\', 2) + 1);
  for (size_t end = path.find('\\', start);; end = path.find('\\', end + 1)) {
    std::string part = path.substr(0, end);
    if (!part.empty() && !CreateDirectoryW(widePath(part).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return systemError("Cannot make directory", part);
    }
    if (end == std::string::npos) break;
  }
  DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return "Not a directory: " + path;
  return "";
}

std::string writeFile(const std::string& path, const std::string& contents) {
  HANDLE file =
      CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return systemError("Cannot create", path);
  size_t written = 0;
  while (written < contents.size()) {
    DWORD count = 0;
    DWORD chunk = static_cast<DWORD>(contents.size() - written < 1u << 20 ? contents.size() - written : 1u << 20);
    if (!WriteFile(file, contents.data() + written, chunk, &count, nullptr)) {
      std::string problem = systemError("Cannot write", path);
      CloseHandle(file);
      return problem;
    }
    written += count;
  }
  CloseHandle(file);
  return "";
}

std::string copyFile(const std::string& from, const std::string& to) {
  if (!CopyFileW(widePath(from).c_str(), widePath(to).c_str(), FALSE))
    return systemError("Cannot copy " + from + " to", to);
  return "";
}

LaunchResult runProcess(const ProcessRequest& request) {
  LaunchResult result;
  std::string commandLine = request.commandLine ? *request.commandLine : quoteArgument(request.program);
  if (!request.commandLine) {
    for (const std::string& argument : request.arguments) commandLine += " " + quoteArgument(argument);
  }
  std::string environment = environmentBlock(request);

  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  PipeReader out, err;
  HANDLE outWrite = nullptr, errWrite = nullptr;
  if (!CreatePipe(&out.pipe, &outWrite, &inheritable, 0) || !CreatePipe(&err.pipe, &errWrite, &inheritable, 0)) {
    result.problem = "Cannot make pipes: Windows error " + std::to_string(GetLastError());
    return result;
  }
  SetHandleInformation(out.pipe, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err.pipe, HANDLE_FLAG_INHERIT, 0);
  HANDLE input =
      CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process = {};
  // The program is named separately, so the command line can be any text at all.
  // Wide, so that the harness's code page reaches the program as it would
  // through the ANSI call, and a program path may be of any length.
  std::wstring wideCommandLine = wideText(commandLine);
  std::wstring wideEnvironment = wideText(environment);
  std::wstring wideProgram = widePath(request.program);
  std::wstring wideDirectory = wideText(request.workingDirectory);
  BOOL started = CreateProcessW(wideProgram.c_str(), wideCommandLine.data(), nullptr, nullptr, TRUE,
                                environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                                environment.empty() ? nullptr : wideEnvironment.data(),
                                request.workingDirectory.empty() ? nullptr : wideDirectory.c_str(), &startup, &process);
  DWORD startError = GetLastError();
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (!started) {
    CloseHandle(out.pipe);
    CloseHandle(err.pipe);
    result.problem = systemError("Cannot run", request.program, startError);
    return result;
  }
  CloseHandle(process.hThread);
  out.thread = CreateThread(nullptr, 0, PipeReader::readAll, &out, 0, nullptr);
  err.thread = CreateThread(nullptr, 0, PipeReader::readAll, &err, 0, nullptr);

  MessageBoxWatcher watcher(process.dwProcessId, result.boxes);
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(request.timeoutSeconds) * 1000;
  size_t nextTrigger = 0;
  std::string triggerProblem;
  while (WaitForSingleObject(process.hProcess, kPollMilliseconds) == WAIT_TIMEOUT) {
    watcher.scan();
    if (nextTrigger < request.triggers.size()) {
      std::string outSoFar = out.snapshot(), errSoFar = err.snapshot();
      while (const OutputTrigger* step = dueTrigger(request.triggers, nextTrigger, outSoFar, errSoFar)) {
        std::string problem =
            step->signal != 0 ? sendLinuxSignal(request.program, step->signal) : writeFile(step->file, "");
        if (triggerProblem.empty()) triggerProblem = problem;
      }
    }
    if (GetTickCount64() > deadline) {
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, kWindowMessageTimeout);
      result.problem = "The program did not end within " + std::to_string(request.timeoutSeconds) + " s and was killed";
      break;
    }
  }
  DWORD exitCode = 0;
  if (result.problem.empty() && GetExitCodeProcess(process.hProcess, &exitCode))
    result.exitCode = static_cast<int>(exitCode);
  CloseHandle(process.hProcess);

  // The pipes close when the program and whatever inherited them have ended.
  HANDLE readers[2] = {out.thread, err.thread};
  if (WaitForMultipleObjects(2, readers, TRUE, 10000) == WAIT_TIMEOUT) {
    CancelSynchronousIo(out.thread);
    CancelSynchronousIo(err.thread);
    WaitForMultipleObjects(2, readers, TRUE, 1000);
    if (result.problem.empty()) result.problem = "The program's output pipes stayed open after it ended";
  }
  CloseHandle(out.thread);
  CloseHandle(err.thread);
  CloseHandle(out.pipe);
  CloseHandle(err.pipe);
  result.out = out.data;
  result.err = err.data;
  // Markers that came as the program ended: its files are still made, a
  // signal has nothing left to reach.
  while (const OutputTrigger* step = dueTrigger(request.triggers, nextTrigger, result.out, result.err)) {
    if (step->signal == 0 && triggerProblem.empty()) triggerProblem = writeFile(step->file, "");
  }
  if (result.problem.empty()) result.problem = triggerProblem;
  if (result.problem.empty()) result.problem = untakenTriggers(request.triggers, nextTrigger);
  return result;
}

std::string importRegistryFile(const std::string& path) {
  char systemDirectory[MAX_PATH];
  UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
  ProcessRequest request;
  request.program = std::string(systemDirectory, length < sizeof systemDirectory ? length : 0) + "\\reg.exe";
  request.commandLine = "reg.exe import " + quoteArgument(path);
  LaunchResult result = runProcess(request);
  if (!result.problem.empty()) return result.problem;
  if (result.exitCode != 0) return "reg import " + path + " failed: " + result.out + result.err;
  return "";
}

void prepareTestProcess() {
  // Test listings and results keep LF line ends, as on Linux.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Inherited by the programs under test: a crash ends the program, no dialog waits.
  SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX);
  // Under Wine the first window of a session starts the desktop process, which
  // keeps the Linux standard error of the process that started it and outlives
  // that process while others run. Started by a program under test it would hold
  // the harness's error pipe open, so start it here (wine_run.sh gives this
  // process a standard error that no one waits for).
  GetDesktopWindow();
}

}  // namespace harness_system

std::string fileNotFoundReason() {
  wchar_t* text = nullptr;
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    reason.assign(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &reason[0], size, nullptr, nullptr);
  }
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  return reason;
}
