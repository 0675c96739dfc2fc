// A stand-in for a Java runtime's splash-screen library (bin\splashscreen.dll),
// for testing the launcher under Wine. Each call is appended, as a line that
// begins with "splash ", to the file named by VEXIL_FAKE_JVM_RECORD, which the
// fake JVM library records into too. A path is recorded as its bytes and as
// the runtime would read them (decoded in the process's code page, written in
// UTF-8). Loading shows the image when the file opens by that path.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void record(const std::string& line) {
  const char* path = std::getenv("VEXIL_FAKE_JVM_RECORD");
  if (!path || !*path) return;
  std::FILE* file = std::fopen(path, "ab");
  if (!file) return;
  std::string text = "splash " + line + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

std::string decoded(const char* bytes) {
  int units = MultiByteToWideChar(CP_ACP, 0, bytes, -1, nullptr, 0);
  if (units <= 0) return "(not in the code page)";
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes, -1, &wide[0], units);
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return "(not in the code page)";
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], size, nullptr, nullptr);
  text.resize(static_cast<size_t>(size) - 1);
  return text;
}

bool g_visible = false;

}  // namespace

extern "C" {

__declspec(dllexport) void SplashInit() { record("SplashInit"); }

__declspec(dllexport) int SplashLoadFile(const char* path) {
  record(std::string("SplashLoadFile ") + path);
  record("read in code page " + std::to_string(GetACP()) + ": " + decoded(path));
  // The runtime's library opens the file by its path in the process's code page.
  std::FILE* file = std::fopen(path, "rb");
  record(file ? "the image opens" : "the image does not open");
  if (file) std::fclose(file);
  g_visible = file != nullptr;
  return g_visible ? 1 : 0;
}

__declspec(dllexport) void SplashSetFileJarName(const char* file, const char* jar) {
  record(std::string("SplashSetFileJarName ") + (file ? file : "(null)") + " " + (jar ? jar : "(null)"));
}

__declspec(dllexport) void SplashClose() {
  record(g_visible ? "SplashClose" : "SplashClose (not shown)");
  g_visible = false;
}

__declspec(dllexport) void SplashSetScaleFactor(float scale) {
  record("SplashSetScaleFactor " + std::to_string(static_cast<int>(scale)));
}

__declspec(dllexport) int SplashGetScaledImgNameMaxPstfixLen(const char* file) {
  return static_cast<int>(std::strlen(file)) + 8;
}

// No scaled image on the displays under test.
__declspec(dllexport) unsigned char SplashGetScaledImageName(const char*, const char*, float* scale, char*, size_t) {
  *scale = 1.0f;
  return 0;
}

}  // extern "C"
