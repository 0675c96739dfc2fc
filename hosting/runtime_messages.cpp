#include "hosting/runtime_messages.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

const std::size_t kMostKept = std::size_t{16} * 1024;

// Globals: the runtime calls the hook below without a pointer of the
// launcher's, so what it writes can only be kept here.
std::mutex g_lock;
std::string g_messages;

jni::jint VEXIL_JNICALL collect(std::FILE*, const char* format, std::va_list args) {
  // One message is a line or two; a longer one is kept cut short.
  char buffer[2048];
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (length <= 0) return length;
  std::size_t kept = std::min(static_cast<std::size_t>(length), sizeof buffer - 1);
  try {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_messages.size() < kMostKept) g_messages.append(buffer, std::min(kMostKept - g_messages.size(), kept));
  } catch (...) {
    // Out of memory: the message is lost; the runtime goes on.
  }
  return length;
}

}  // namespace

void* runtimeMessagesHook() {
  const jni::VfprintfHook hook = &collect;
  return reinterpret_cast<void*>(hook);
}

std::string collectedRuntimeMessages() {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string text = g_messages;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
