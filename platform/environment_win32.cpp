#include <windows.h>

#include <vector>

#include "platform/environment.h"
#include "platform/windows_text.h"

namespace {

class Win32Environment : public Environment {
 public:
  bool lookup(const std::string& name, std::string* value) const override {
    // Windows compares environment names without regard to case itself. Only
    // the hidden per-drive variables ("=C:") hold "=", and only in front.
    if (name.empty() || name.find('=', 1) != std::string::npos) return false;
    const std::wstring wideName = wideFromUtf8(name);
    SetLastError(ERROR_SUCCESS);  // an empty value leaves the error untouched
    DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();
      return true;
    }
    std::vector<wchar_t> buffer(size);
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
    if (length >= size) return false;  // changed between the two calls
    *value = utf8FromWide(buffer.data(), length);
    return true;
  }
};

}  // namespace

const Environment& hostEnvironment() {
  static const Win32Environment environment;
  return environment;
}
