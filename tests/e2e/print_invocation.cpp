// Test helper for the harness's own tests: shows what a program started by the
// harness receives. Prints each argument after the program name on a line of its
// own, then "cwd=" and the working directory, then "HARNESS_PROBE=" and that
// variable's value (or "<unset>"); writes "to stderr" to standard error; exits
// with 7. With the first argument "--hang" it never ends.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) std::printf("%s\n", argv[i]);
  std::printf("cwd=%s\n", std::filesystem::current_path().string().c_str());
  const char* probe = std::getenv("HARNESS_PROBE");
  std::printf("HARNESS_PROBE=%s\n", probe ? probe : "<unset>");
  std::fputs("to stderr\n", stderr);
  std::fflush(stdout);
  while (argc > 1 && std::strcmp(argv[1], "--hang") == 0) std::this_thread::sleep_for(std::chrono::seconds(1));
  return 7;
}
