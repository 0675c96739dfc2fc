// Variable references in a configuration line, with hostile environment
// values, executable paths and Java homes, checked against a literal
// transcription of the resolution rules.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/launcher_properties.h"
#include "config/property_variable_resolver.h"
#include "fuzz/fuzz_support.h"
#include "jvm/jvm.h"
#include "tests/support/fake_platform.h"

namespace {

std::string referenceValue(const LauncherProperties& properties, const Environment& environment,
                           const std::string& name) {
  if (name == "FOUND_JAVA_HOME") return properties.getFoundJvm() ? properties.getFoundJvm()->getJavaHomePath() : "";
  if (name.rfind("env.", 0) == 0) {
    std::string value;
    return environment.lookup(name.substr(4), &value) ? value : std::string();
  }
  if (name == "SELF_HOME") return properties.getSelfHomePath();
  if (name == "FOUND_EXE_FOLDER") {
    const std::string& executable = properties.getNameOfExecutable();
    return executable.substr(0, executable.rfind('\\'));
  }
  return std::string();
}

// Left to right; values are inserted and never searched again; a "${" with
// no "}" after it ends the resolution and stays as written.
std::string referenceResolve(const LauncherProperties& properties, const Environment& environment, std::string line) {
  size_t position = 0;
  for (;;) {
    size_t open = line.find("${", position);
    if (open == std::string::npos) break;
    size_t close = line.find('}', open + 2);
    if (close == std::string::npos) break;
    const std::string reference = fuzz::trimmed(line.substr(open, close - open));
    const std::string value = referenceValue(properties, environment, reference.substr(2));
    line.replace(open, close + 1 - open, value);
    position = open + value.size();
  }
  return line;
}

bool referenceHasLate(const std::string& line) {
  size_t position = 0;
  for (;;) {
    size_t open = line.find("${", position);
    if (open == std::string::npos) return false;
    size_t close = line.find('}', open + 2);
    if (close == std::string::npos) return false;
    if (fuzz::trimmed(line.substr(open + 2, close - open - 2)) == "FOUND_JAVA_HOME") return true;
    position = close;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  FakePlatform fake;
  fake.environment.set("X", input.ConsumeRandomLengthString(512));
  fake.environment.set("Path", input.ConsumeRandomLengthString(512));
  const std::string executable = input.ConsumeRandomLengthString(512);
  Jvm jvm;
  jvm.setJavaHomePath(input.ConsumeRandomLengthString(512));
  const bool chosen = input.ConsumeBool();
  const std::string line = input.ConsumeRemainingBytesAsString();

  LauncherProperties properties(fake.platform);
  fuzz::completes([&] {
    properties.setNameOfExecutable(executable);
    if (chosen) properties.setFoundJvm(jvm);
  });
  const PropertyVariableResolver resolver(properties);

  fuzz::completes([&] {
    const bool variables = resolver.hasVariables(line);
    const bool late = resolver.hasLateVariables(line);
    fuzz::require(late == referenceHasLate(line), "late variables as the rules give them");
    fuzz::require(!late || variables, "a late variable is a variable");
    std::string resolved = line;
    resolver.resolveVariables(resolved);
    fuzz::require(resolved == referenceResolve(properties, fake.environment, line), "resolution as the rules give it");
    fuzz::require(variables || resolved == line, "a line without variables stays as it is");
  });
  return 0;
}
