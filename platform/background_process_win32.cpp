#include <windows.h>

#include "platform/background_process.h"
#include "platform/file_updates.h"
#include "platform/windows_text.h"

namespace {

// One argument quoted so that the C runtime's split gives it back unchanged.
std::string quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string text = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    text += c;
  }
  text.append(backslashes * 2, '\\');
  return text + "\"";
}

}  // namespace

bool runThenInstall(const BackgroundInstall& work, FileLock lock) {
  if (work.argv.empty()) return false;
  std::string commandLine;
  for (const std::string& argument : work.argv) commandLine += (commandLine.empty() ? "" : " ") + quoted(argument);
  std::wstring wideCommandLine = wideFromUtf8(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(systemPath(work.argv[0]).c_str(), &wideCommandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    removeFile(work.input);
    return false;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  // Stamped after the rename, which changes the file's change time. An
  // archive without a stamp would be dropped and made again by every launch.
  const bool installed = exitCode == 0 && replaceFile(work.made, work.installed);
  if (!installed || !hostFileUpdates().recordFileStamp(work.installed, work.stamp)) {
    removeFile(work.made);
    if (installed) removeFile(work.installed);
    if (!work.failed.empty()) makeEmptyFile(work.failed);
  }
  removeFile(work.input);
  lock.release();
  return true;
}
