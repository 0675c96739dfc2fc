#include <windows.h>

#include <vector>

#include "platform/shared_library.h"
#include "platform/windows_text.h"

namespace {

using AddDllDirectoryFunction = void*(WINAPI*)(const wchar_t*);
using RemoveDllDirectoryFunction = BOOL(WINAPI*)(void*);

std::string fullPathOf(const std::string& path) {
  std::wstring wide = wideFromUtf8(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::vector<wchar_t> buffer(size);
  DWORD length = GetFullPathNameW(wide.c_str(), size, buffer.data(), nullptr);
  if (length == 0 || length >= size) return path;
  return utf8FromWide(buffer.data(), length);
}

bool isBinFolderName(const std::string& name) { return lstrcmpiW(wideFromUtf8(name).c_str(), L"bin") == 0; }

/// The folder that holds the runtime's own C library: "bin" above the folder
/// of the JVM library (bin\server\jvm.dll). Empty for any other layout, so
/// that no unrelated folder joins the search.
std::string runtimeBinFolder(const std::string& libraryPath) {
  size_t cut = libraryPath.find_last_of("\\/");
  if (cut == std::string::npos || cut == 0) return std::string();
  std::string jvmFolder = libraryPath.substr(0, cut);
  size_t parentCut = jvmFolder.find_last_of("\\/");
  if (parentCut == std::string::npos) return std::string();
  std::string parent = jvmFolder.substr(0, parentCut);
  size_t nameCut = parent.find_last_of("\\/");
  std::string parentName = nameCut == std::string::npos ? parent : parent.substr(nameCut + 1);
  return isBinFolderName(parentName) ? parent : std::string();
}

/// Why the load just made failed, with the code the system gave.
LibraryLoadFailure lastLoadFailure() {
  const DWORD error = GetLastError();
  char* text = nullptr;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length > 0 && text ? utf8FromAnsi(std::string(text, length)) : std::string();
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  reason += (reason.empty() ? "" : " ") + std::string("(error ") + std::to_string(error) + ")";
  return {reason, error == ERROR_BAD_EXE_FORMAT ? launcherMachine() : Machine::Unknown};
}

}  // namespace

Outcome<LibraryHandle, LibraryLoadFailure> loadRuntimeLibrary(const std::string& path) {
  // A runtime's jvm.dll needs the C library that lies in the runtime's bin
  // folder, and a DLL's own folder is not searched for its dependencies. The
  // search flags below apply to this one load only; the added folder is
  // removed again at once.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto addDllDirectory =
      reinterpret_cast<AddDllDirectoryFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddDllDirectory")));
  auto removeDllDirectory = reinterpret_cast<RemoveDllDirectoryFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "RemoveDllDirectory")));
  HMODULE module = nullptr;
  if (addDllDirectory && removeDllDirectory) {
    std::string fullPath = fullPathOf(path);
    std::string binFolder = runtimeBinFolder(fullPath);
    // The plain form first: a long folder added in the \\?\ form is not
    // searched under Wine. Where the plain form is refused (a long folder
    // without the system's long-path setting), the \\?\ form.
    void* cookie = nullptr;
    if (!binFolder.empty()) {
      cookie = addDllDirectory(wideFromUtf8(binFolder).c_str());
      if (!cookie) cookie = addDllDirectory(systemPath(binFolder).c_str());
    }
    module = LoadLibraryExW(systemPath(fullPath).c_str(), nullptr,
                            LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (cookie) removeDllDirectory(cookie);
  }
  // A runtime that relies on the standard search (a dependency found through
  // PATH, say) still loads as it always did.
  if (!module) module = LoadLibraryW(systemPath(path).c_str());
  if (module) return static_cast<LibraryHandle>(module);
  return Outcome<LibraryHandle, LibraryLoadFailure>::failed(lastLoadFailure());
}

void* findLibrarySymbol(LibraryHandle library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }
