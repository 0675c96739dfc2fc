// The reader of a runtime's "release" file, over hostile contents: the
// version is JAVA_VERSION of the first line that sets it, without blanks
// around it and without one pair of quotes, as a model written here says.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "jvm/sources/java_home.h"
#include "tests/support/fake_platform.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string withoutBlanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string modelVersion(const std::string& release) {
  std::size_t start = 0;
  while (start <= release.size()) {
    std::size_t end = release.find('\n', start);
    if (end == std::string::npos) end = release.size();
    const std::string line = withoutBlanks(release.substr(start, end - start));
    if (line.rfind("JAVA_VERSION=", 0) == 0) {
      std::string version = withoutBlanks(line.substr(13));
      if (version.size() >= 2 && version.front() == '"' && version.back() == '"') {
        version = version.substr(1, version.size() - 2);
      }
      return version;
    }
    start = end + 1;
  }
  return std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string release(reinterpret_cast<const char*>(data), size);
  for (const Conventions* conventions : {&windowsConventions(), &linuxConventions()}) {
    FakePlatform fake(*conventions);
    const std::string home = conventions->pathSeparator == '\\' ? "C:\\jdk" : "/usr/lib/jvm/jdk";
    fake.fileSystem.addDirectory(home);
    fake.fileSystem.addFile(home + conventions->pathSeparator + "release", release);
    const std::string version = releaseVersion(fake.fileSystem, *conventions, home).value_or("");
    fuzz::require(version == modelVersion(release), "the version is the model's");
  }
  return 0;
}
