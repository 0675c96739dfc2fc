// A hostile ".lap" file beside the executable, loaded over fake services that
// hold three installed runtimes, a jar directory and a few environment
// variables, checked against the order of the processing steps; then the
// runtime's init arguments built from the result.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/configuration_file_loader.h"
#include "config/launcher_properties.h"
#include "config/property_variable_resolver.h"
#include "fuzz/fuzz_support.h"
#include "hosting/init_args.h"
#include "hosting/jvm_host.h"
#include "jvm/jvm.h"
#include "tests/support/fake_platform.h"

namespace {

const char kExecutable[] = "C:\\Apps\\bin\\Tool.exe";
const char kConfiguration[] = "C:\\Apps\\bin\\Tool.lap";

void populate(FakePlatform& fake) {
  const char* const jdk = "SOFTWARE\\JavaSoft\\Java Development Kit\\";
  const char* const jre = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\";
  fake.registry.setValue(std::string(jdk) + "1.8.0_202", "JavaHome", "C:\\Java\\jdk8");
  fake.registry.setValue(std::string(jre) + "1.4.2_05", "JavaHome", "C:\\Java\\jre1.4");
  fake.registry.setValue(std::string(jre) + "17.0.2", "JavaHome", "C:\\Java\\jre17");
  fake.fileSystem.addFile("C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll");
  fake.fileSystem.addFile("C:\\Java\\jre1.4\\bin\\client\\jvm.dll");
  fake.fileSystem.addFile("C:\\Java\\jre17\\bin\\server\\jvm.dll");
  fake.fileSystem.addFile("C:\\Custom\\jvm.dll");
  fake.fileSystem.addDirectory("C:\\Apps\\lib");
  fake.fileSystem.addFile("C:\\Apps\\lib\\app.jar");
  fake.fileSystem.addFile("C:\\Apps\\lib\\dep;1.JAR");
  fake.fileSystem.addDirectory("C:\\Apps\\lib\\dir.jar");
  fake.environment.set("JAVA_OPTS", "-Xmx64m");
  fake.environment.set("P", "vexil");
  fake.environment.set("LOOP", "${env.LOOP}${SELF_HOME}");
  fake.environment.set("EMPTY", "");
}

// The property lines of the file: trimmed, neither blank nor comments; a CR
// before the line end and everything from a NUL on are dropped.
std::vector<std::string> propertyLines(const std::string& contents) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(start, end - start);
    line = line.substr(0, line.find('\0'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = fuzz::trimmed(line);
    if (!line.empty() && line[0] != '#') lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// What the seven steps should have made of LINES: the JVM option lines in
// the order of processing, and the last main class set. Variables resolve as
// the resolver does (fuzzed on its own); no early line refers to the home.
void expectedOutcome(const LauncherProperties& properties, const std::vector<std::string>& lines,
                     std::vector<std::string>* options, std::string* mainClass) {
  const PropertyVariableResolver resolver(properties);
  struct Step {
    bool custom;
    int variables;  // 0 none, 1 early, 2 late
  };
  const Step steps[] = {{true, 0}, {true, 1}, {false, 0}, {false, 1}, {true, 2}, {false, 2}};
  for (const Step& step : steps) {
    for (const std::string& line : lines) {
      const int variables = !resolver.hasVariables(line) ? 0 : resolver.hasLateVariables(line) ? 2 : 1;
      if ((line.compare(0, 5, "vexil") == 0) != step.custom || variables != step.variables) continue;
      std::string resolved = line;
      resolver.resolveVariables(resolved);
      // A splash screen line is the launcher's own, never the runtime's.
      if (resolved.compare(0, 8, "-splash:") == 0) continue;
      if (!resolved.empty() && resolved[0] == '-') {
        options->push_back(resolved);
        continue;
      }
      const size_t equals = resolved.find('=');
      if (fuzz::trimmed(resolved.substr(0, equals)) == "vexil.main.class") {
        *mainClass = equals == std::string::npos ? std::string() : fuzz::trimmed(resolved.substr(equals + 1));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakePlatform fake;
  populate(fake);
  fake.fileSystem.addFile(kConfiguration, std::string(reinterpret_cast<const char*>(data), size));

  LauncherProperties properties(fake.platform);
  properties.setNameOfExecutable(kExecutable);
  properties.addCommandLineArgument("argument");
  if (!fuzz::completes([&] { loadProperties(properties); })) return 0;
  fuzz::require(properties.getFoundJvm() != nullptr, "a loaded record has its JVM");

  std::vector<std::string> options;
  std::string mainClass;
  // A UTF-8 byte-order mark is no part of the first line.
  std::string text(reinterpret_cast<const char*>(data), size);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  expectedOutcome(properties, propertyLines(text), &options, &mainClass);
  fuzz::require(properties.getJavaSystemProperties() == options, "options in the order of the steps");
  fuzz::require(properties.getMainClass() == mainClass, "the main class of the last step that sets it");

  JvmHost host(properties);
  fuzz::completes([&] {
    jni::JavaVMInitArgs args;
    host.buildInitArgs(args);
    // The merged lines, then the options that name the application to
    // monitoring tools.
    std::vector<std::string> merged = initArgOptions(properties);
    for (std::string& identity : applicationIdentityOptions(properties, merged)) merged.push_back(std::move(identity));
    fuzz::require(args.nOptions == static_cast<jni::jint>(merged.size()), "one option per line");
    for (size_t i = 0; i < merged.size(); ++i) {
      fuzz::require(std::strcmp(args.options[i].optionString, merged[i].c_str()) == 0, "options are the merged lines");
    }
    fuzz::require(properties.getJavaSystemProperties() == options, "the record keeps its configured options");
  });
  return 0;
}
