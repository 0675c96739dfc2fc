// A stand-in for a runtime's bin\java.exe as the launcher's class-data cache
// runs it to archive the listed classes. It appends its arguments, as one line
// "java.exe ARGUMENTS" in UTF-8, to the file named by VEXIL_FAKE_JVM_RECORD,
// writes "fake archive" into the file that -XX:SharedArchiveFile= names, and
// ends with the exit code in VEXIL_FAKE_JAVA_EXIT (0 when unset).
#include <windows.h>
// After windows.h, whose declarations it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
  }
  return bytes;
}

std::wstring environmentValue(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, &value[0], static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return value;
}

void writeFile(const std::wstring& path, const std::string& bytes, const wchar_t* mode) {
  if (path.empty()) return;
  std::FILE* file = _wfopen(path.c_str(), mode);
  if (!file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring archiveOption = L"-XX:SharedArchiveFile=";
  std::wstring line = L"java.exe";
  std::wstring archive;
  for (int i = 1; i < count; ++i) {
    const std::wstring argument = arguments[i];
    line += L" " + argument;
    if (argument.compare(0, archiveOption.size(), archiveOption) == 0) archive = argument.substr(archiveOption.size());
  }
  writeFile(environmentValue(L"VEXIL_FAKE_JVM_RECORD"), utf8(line) + "\n", L"ab");
  writeFile(archive, "fake archive", L"wb");
  const std::wstring exitCode = environmentValue(L"VEXIL_FAKE_JAVA_EXIT");
  return exitCode.empty() ? 0 : std::wcstol(exitCode.c_str(), nullptr, 10);
}
