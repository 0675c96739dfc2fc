// A runtime found through the registry: the launcher loads it and its debug
// file names it. The runtime is the fake jvm.dll of tests/fake_jvm.

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

class RegistryRuntime : public testing::TestWithParam<Program> {
 protected:
  ~RegistryRuntime() override { importRegistry(kRegFileHeader + kRegWipeJavaSoft); }
};

TEST_P(RegistryRuntime, TheDebugFileShowsTheRuntimeChosenFromTheRegistry) {
  LaunchCase app(GetParam());
  // An older runtime environment with a client JVM, and a newer one with a
  // server JVM, which the selection prefers.
  app.copyFile(VEXIL_E2E_FAKE_JVM, "old/bin/client/jvm.dll");
  app.copyFile(VEXIL_E2E_FAKE_JVM, "new/bin/server/jvm.dll");
  importRegistry(kRegFileHeader + kRegWipeJavaSoft +
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6.0_45]\r\n"
                 "\"JavaHome\"=" +
                 regString(app.path("old")) + "\r\n\r\n" +
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8.0_202]\r\n"
                 "\"JavaHome\"=" +
                 regString(app.path("new")) + "\r\n\r\n");
  app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
  app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  app.writeConfiguration("vexil.main.class=Main\r\nvexil.debug.file=${SELF_HOME}\\debug.log\r\n");

  LaunchResult result = app.run({"arg"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_TRUE(result.boxes.empty()) << describe(result);

  std::string log = fileContents(app.path("debug.log"));
  std::string jvmLine = log.substr(0, log.find("\r\n"));
  EXPECT_EQ(jvmLine, "The chosen JVM: m_jvmPath=" + app.path("new/bin/server/jvm.dll") +
                         ",m_javaBundle=jre,m_binJvmDir=server,m_comparableVersion=001.008.000.202.B2.D1."
                         ",m_javaHomePath=" +
                         app.path("new") + ",m_version=1.8.0_202,m_jrePath=" + app.path("new") +
                         "\\bin\\,m_acceptable=true");
  size_t second = log.find("\r\n") + 2;
  EXPECT_EQ(log.compare(second, 23, "The properties chosen: "), 0) << log;
  EXPECT_EQ(log.size(), log.find("\r\n", second) + 2) << log;  // exactly two lines
  // And that runtime is the one that ran main.
  EXPECT_NE(fileContents(app.path("record.txt")).find("CallStaticVoidMethod Main with 1 arguments\nargument 0=arg\n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Launchers, RegistryRuntime, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
