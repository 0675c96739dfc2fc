#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/process.h"

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

Outcome<std::string> executablePath() {
  // readlink does not say whether the link was cut short: grow until it fits.
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      return Outcome<std::string>::failed(std::string("/proc/self/exe cannot be read (") + std::strerror(errno) +
                                          "): is /proc mounted?");
    }
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

void showWarning(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

bool askYesNo(const std::string& caption, const std::string& text) {
  showWarning(caption, text);
  return false;
}

// The Linux programs show their reports on the console, where the page is named.
bool openWebPage(const std::string&) { return false; }

Outcome<std::string> currentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size())) {
      buffer.resize(std::strlen(buffer.data()));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (1U << 20)) return Outcome<std::string>::failed(std::strerror(errno));
    buffer.resize(buffer.size() * 2);
  }
}
