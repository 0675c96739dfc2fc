// jvm_probe: runs runtime discovery and selection on this machine, as a launch
// would, and prints the records, so that tests can check the choice on a real
// registry or file system.
//
//   jvm_probe [--list] [key=value ...]
//
// Keys are the launcher's configuration keys; those the selection reads are
// vexil.jvm.path, vexil.java.home.path, vexil.java.bundle, vexil.bin.jvm.dir,
// vexil.min.java.version, vexil.max.java.version, vexil.java.search and
// vexil.java.home.fallback. Prints "chosen=" and the chosen record's dump and
// "chosen.source=" with what found it; with --list first "discovered[i]=" for
// each runtime found, each followed by "source[i]=" (the registry key,
// variable or folder that named it), "rated[i]=" for each record after
// separation and rating, and "rejected=" with the reason for each runtime
// turned down. A failure is reported as a launch reports it, with exit code 1.

#include <cstdio>
#include <string>
#include <vector>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "jvm/jvm_selector.h"
#include "platform/platform.h"
#include "report/report_channel.h"

namespace {

// Every text the probe prints; tools/probe_test.cmake reads them.
namespace probe_text {
constexpr char kListOption[] = "--list";
constexpr char kUsage[] = "usage: jvm_probe [--list] [vexil.<setting>=value ...]\n";
constexpr char kDiscovered[] = "discovered";
constexpr char kRated[] = "rated";
constexpr char kSource[] = "source";
constexpr char kIndexOpen[] = "[";
constexpr char kIndexClose[] = "]=";
constexpr char kRejected[] = "rejected=";
constexpr char kChosen[] = "chosen=";
constexpr char kChosenSource[] = "chosen.source=";
}  // namespace probe_text

void printRecords(const char* label, const std::vector<Jvm>& jvms, bool withSources) {
  for (size_t i = 0; i < jvms.size(); ++i) {
    const std::string index = probe_text::kIndexOpen + std::to_string(i) + probe_text::kIndexClose;
    std::string line = std::string(label) + index + jvms[i].toString() + "\n";
    if (withSources) line += probe_text::kSource + index + jvms[i].getSource() + "\n";
    std::fputs(line.c_str(), stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return runReportingFailures(ReportChannel::kStandardOutput, [&] {
    LauncherProperties properties(hostPlatform());
    bool list = false;
    for (int i = 1; i < argc; ++i) {
      std::string argument = argv[i];
      size_t equals = argument.find('=');
      if (argument == probe_text::kListOption) {
        list = true;
      } else if (equals == std::string::npos ||
                 !ConfigurationFileLoader::applySetting(properties, argument.substr(0, equals),
                                                        argument.substr(equals + 1))) {
        std::fputs(probe_text::kUsage, stderr);
        return 2;
      }
    }
    JvmSelector selector(properties.getJvmSettings(), properties.getPlatform());
    if (list) {
      std::vector<Jvm> jvms;
      selector.locateJvms(jvms);
      printRecords(probe_text::kDiscovered, jvms, true);
      selector.separateClientAndServerJvms(jvms);
      selector.determineVersions(jvms);
      printRecords(probe_text::kRated, jvms, false);
      for (const std::string& line : selector.getRejections()) {
        std::fputs((probe_text::kRejected + line + "\n").c_str(), stdout);
      }
      std::fflush(stdout);
    }
    const Jvm chosen = selector.getMostAppropriateJvm();
    const std::string lines =
        probe_text::kChosen + chosen.toString() + "\n" + probe_text::kChosenSource + chosen.getSource() + "\n";
    std::fputs(lines.c_str(), stdout);
    std::fflush(stdout);
    return 0;
  });
}
