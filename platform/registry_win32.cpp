#include <windows.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/windows_text.h"

namespace {

// The ANSI functions, with their texts in UTF-8 on either side: in the UTF-8
// code page of the programs' manifest they take and give UTF-8 already.
//
// The limits of the values runtime discovery reads: a subkey name of up to
// 259 characters and a value of up to 260 bytes. A longer one is an error
// (a name ends the enumeration, a value cannot be read), not a cut text.
constexpr DWORD kNameBufferSize = 260;
constexpr DWORD kValueBufferSize = 260;

// Text from a buffer that the registry filled with SIZE bytes: up to the
// first NUL, and never past those bytes, as a value stored without a
// terminator may fill the buffer completely.
std::string textOf(const char* buffer, DWORD size, DWORD capacity) {
  if (size > capacity) size = capacity;
  const void* nul = std::memchr(buffer, '\0', size);
  return std::string(buffer, nul ? static_cast<const char*>(nul) - buffer : size);
}

class Win32Registry : public Registry {
 public:
  bool openKey(const std::string& path, Key* key) override {
    return openKeyIn(RegistryRoot::LocalMachine, RegistryView::Native, path, key);
  }

  bool openKeyIn(RegistryRoot root, RegistryView view, const std::string& path, Key* key) override {
    const HKEY rootKey = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM viewAccess = view == RegistryView::Bits64   ? KEY_WOW64_64KEY
                              : view == RegistryView::Bits32 ? KEY_WOW64_32KEY
                                                             : 0;
    HKEY handle;
    std::string ansiPath;
    if (!ansiFromUtf8(path, &ansiPath)) return false;
    if (RegOpenKeyExA(rootKey, ansiPath.c_str(), 0, KEY_READ | viewAccess, &handle) != ERROR_SUCCESS) return false;
    *key = handle;
    return true;
  }

  bool enumerateSubkey(Key key, unsigned long index, std::string* name) override {
    char buffer[kNameBufferSize];
    DWORD size = kNameBufferSize;
    if (RegEnumKeyExA(static_cast<HKEY>(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    *name = utf8FromAnsi(textOf(buffer, size, kNameBufferSize));
    return true;
  }

  bool queryStringValue(Key key, const std::string& valueName, std::string* value) override {
    char buffer[kValueBufferSize];
    DWORD size = kValueBufferSize;
    DWORD type;
    std::string ansiName;
    if (!ansiFromUtf8(valueName, &ansiName)) return false;
    if (RegQueryValueExA(static_cast<HKEY>(key), ansiName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
      return false;
    }
    *value = utf8FromAnsi(textOf(buffer, size, kValueBufferSize));
    return true;
  }

  void closeKey(Key key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

}  // namespace

Registry& hostRegistry() {
  static Win32Registry registry;
  return registry;
}
