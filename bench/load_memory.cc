// Memory over repeated loads: 10,000 loads of a configuration file on a
// machine with 50 runtimes in the registry (fake services, in process). Prints
// the peak resident set after the first 100 loads and after all of them; a
// load that keeps anything alive once it is done makes the second grow with
// the number of loads.
//
//   load_memory [LOADS]

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "report/failure.h"
#include "tests/support/fake_platform.h"

namespace {

// Files by path, answering without keeping a record of the questions (the
// test fake records every probe, which would grow by itself).
class QuietFileSystem : public FileSystem {
 public:
  void addFile(const std::string& path, const std::string& contents = std::string()) { m_files[path] = contents; }
  bool exists(const std::string& path) const override { return m_files.count(path) != 0; }
  bool readFile(const std::string& path, std::string* contents) const override {
    auto it = m_files.find(path);
    if (it == m_files.end()) return false;
    *contents = it->second;
    return true;
  }
  std::vector<DirectoryEntry> findFiles(const std::string&) const override { return {}; }
  bool isSymbolicLink(const std::string&) const override { return false; }

 private:
  std::map<std::string, std::string> m_files;
};

long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const long loads = argc > 1 ? std::atol(argv[1]) : 10000;
  FakePlatform machine;
  QuietFileSystem files;
  Platform platform = machine.platform;
  platform.fileSystem = &files;
  for (int i = 0; i < 50; ++i) {
    const std::string home = "C:\\Java\\jre" + std::to_string(i);
    machine.registry.setValue("SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8.0_" + std::to_string(i), "JavaHome",
                              home);
    files.addFile(home + "\\bin\\server\\jvm.dll");
  }
  files.addFile("C:\\App\\Tool.lap", "vexil.main.class=a.B\n-Dhome=${FOUND_JAVA_HOME}\n");
  long early = 0;
  try {
    for (long i = 0; i < loads; ++i) {
      LauncherProperties properties(platform);
      properties.setNameOfExecutable("C:\\App\\Tool.exe");
      loadProperties(properties);
      if (i == 99) early = peakResidentKiB();
    }
  } catch (const Failure& failure) {
    std::fprintf(stderr, "load failed: %s\n", failure.report().c_str());
    return 1;
  }
  std::printf("peak resident set after 100 loads: %ld KiB; after %ld loads: %ld KiB\n", early, loads,
              peakResidentKiB());
  return 0;
}
