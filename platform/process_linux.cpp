#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/process.h"

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

bool findExecutablePath(std::string* path, std::string* reason) {
  // readlink does not say whether the link was cut short: grow until it fits.
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      *reason = std::string("/proc/self/exe cannot be read (") + std::strerror(errno) + "): is /proc mounted?";
      return false;
    }
    if (static_cast<size_t>(length) < buffer.size()) {
      path->assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string executablePath() {
  std::string path, reason;
  return findExecutablePath(&path, &reason) ? path : std::string();
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

std::string currentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size())) {
      buffer.resize(std::strlen(buffer.data()));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (1U << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}
