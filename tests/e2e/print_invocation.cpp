// Test helper for the harness's own tests: shows what a program started by the
// harness receives. Prints each argument after the program name on a line of its
// own, then "cwd=" and the working directory, then "HARNESS_PROBE=" and that
// variable's value (or "<unset>"); writes "to stderr" to standard error; exits with 7.

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) std::printf("%s\n", argv[i]);
  std::printf("cwd=%s\n", std::filesystem::current_path().string().c_str());
  const char* probe = std::getenv("HARNESS_PROBE");
  std::printf("HARNESS_PROBE=%s\n", probe ? probe : "<unset>");
  std::fputs("to stderr\n", stderr);
  return 7;
}
