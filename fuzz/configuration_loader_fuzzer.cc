// A hostile ".lap" file beside the executable, loaded over fake services that
// hold two installed runtimes, a jar directory and a few environment
// variables; then the runtime's init arguments built from the result.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/launcher_properties.h"
#include "fuzz/fuzz_support.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakePlatform fake;
  populate(fake);
  fake.fileSystem.addFile(kConfiguration, std::string(reinterpret_cast<const char*>(data), size));

  LauncherProperties properties(fake.platform);
  properties.setNameOfExecutable(kExecutable);
  properties.addCommandLineArgument("argument");
  if (!fuzz::completes([&] { properties.loadProperties(); })) return 0;
  fuzz::require(properties.getFoundJvm() != nullptr, "a loaded record has its JVM");

  JvmHost host(properties);
  fuzz::completes([&] {
    jni::JavaVMInitArgs args;
    host.buildInitArgs(args);
    const auto& options = properties.getJavaSystemProperties();
    fuzz::require(args.nOptions == static_cast<jni::jint>(options.size()), "one option per line");
    for (size_t i = 0; i < options.size(); ++i) {
      fuzz::require(std::strcmp(args.options[i].optionString, options[i].c_str()) == 0, "options point at the lines");
    }
  });
  return 0;
}
