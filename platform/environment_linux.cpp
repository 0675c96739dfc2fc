#include <cstring>

#include "platform/environment.h"
#include "text/ascii_text.h"

extern char** environ;

namespace {

class LinuxEnvironment : public Environment {
 public:
  bool lookup(const std::string& name, std::string* value) const override {
    // A name holding "=" would match the front of another variable's value.
    if (name.empty() || name.find('=') != std::string::npos) return false;
    const char* caseless = nullptr;
    for (char** entry = environ; entry && *entry; ++entry) {
      const char* equals = std::strchr(*entry, '=');
      if (!equals || static_cast<size_t>(equals - *entry) != name.size()) continue;
      if (startsWith(*entry, name)) {
        *value = equals + 1;
        return true;
      }
      if (!caseless && equalIgnoringAsciiCase(*entry, name.c_str(), name.size())) caseless = equals + 1;
    }
    if (!caseless) return false;
    *value = caseless;
    return true;
  }
};

}  // namespace

const Environment& hostEnvironment() {
  static const LinuxEnvironment environment;
  return environment;
}
