#include "hosting/runtime_messages.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

const std::size_t kMostKept = 16 * 1024;

std::mutex g_lock;
std::string g_messages;

jni::jint VEXIL_JNICALL collect(std::FILE*, const char* format, std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return length;
  try {
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_messages.size() < kMostKept)
      g_messages.append(buffer.data(), std::min(kMostKept - g_messages.size(), static_cast<std::size_t>(length)));
  } catch (...) {
    // Out of memory: the message is lost; the runtime goes on.
  }
  return length;
}

char g_optionName[] = "vfprintf";

}  // namespace

jni::JavaVMOption runtimeMessagesOption() {
  jni::JavaVMOption option{};
  option.optionString = g_optionName;
  option.extraInfo = reinterpret_cast<void*>(&collect);
  return option;
}

std::string collectedRuntimeMessages() {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string text = g_messages;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
