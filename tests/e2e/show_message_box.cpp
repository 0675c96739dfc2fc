// Test helper for the harness's own tests (Windows): writes its command line, as
// the system gives it, to standard output, then shows one message box per
// argument that begins with "0x", the argument being the box type (e.g. 0x30);
// box N has the caption "caption N" and the body "body N". Exits with the
// result of the last box, 0 when there is none.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  std::printf("%s\n", GetCommandLineA());
  std::fflush(stdout);
  int result = 0;
  int boxes = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]).compare(0, 2, "0x") != 0) continue;
    std::string number = std::to_string(++boxes);
    UINT type = static_cast<UINT>(std::strtoul(argv[i], nullptr, 16));
    result = MessageBoxA(nullptr, ("body " + number).c_str(), ("caption " + number).c_str(), type);
  }
  return result;
}
