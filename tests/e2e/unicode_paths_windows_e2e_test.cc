// Both Windows launchers in folders whose names the Western code page (1252)
// cannot hold, in folders beyond 260 characters, and with configuration files
// in UTF-8 and in code page 1252. The fake runtime records the bytes of the
// options and arguments it receives, and what it decodes them to.
//
// This binary carries the launchers' manifest, so the harness's own texts
// (paths, arguments, the text of message boxes) are UTF-8 like the
// launchers'; the prefix itself stays in code page 1252.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

using Lines = std::vector<std::string>;

/// RECORDED without the options every launch adds after the configured ones
/// (those for monitoring tools, the windowed program's output hook).
Lines applicationOptions(const Lines& recorded) {
  Lines options;
  for (const std::string& option : recorded) {
    if (option.rfind("-Dsun.java.", 0) != 0 && option.rfind("vfprintf", 0) != 0) options.push_back(option);
  }
  return options;
}

const char kJapanese[] = "日本語";
const char kRocket[] = "🚀";
// U+1F680 as the runtime's modified UTF-8 has it: two surrogates of three bytes.
const char kRocketModified[] = "\xED\xA0\xBD\xED\xBA\x80";

/// A launcher copied into FOLDER below its case directory, beside a fake
/// runtime in FOLDER\rt that records into record.txt of the case directory.
class FakeRuntimeIn {
 public:
  FakeRuntimeIn(Program program, const std::string& folder)
      : app(program, folder + "/" + (program == Program::Console ? "Tool.exe" : "WTool.exe")),
        folder(folder) {
    prepare();
  }
  /// The same with another build of the console launcher.
  FakeRuntimeIn(const std::string& builtProgram, const std::string& folder)
      : app(builtProgram, folder + "/Tool.exe"),
        folder(folder) {
    prepare();
  }

  void prepare() {
    app.copyFile(VEXIL_E2E_FAKE_JVM, folder + "/rt/bin/server/jvm.dll");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
  }

  /// The launcher's folder as the launcher sees it: ${SELF_HOME}.
  std::string home() const { return app.path(folder); }

  /// Each recorded line that begins with PREFIX, without it.
  Lines recorded(const std::string& prefix) const {
    Lines lines;
    std::istringstream text(fileContents(app.path("record.txt")));
    for (std::string line; std::getline(text, line);) {
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    }
    return lines;
  }

  LaunchCase app;
  std::string folder;
};

const char kRuntimeBeside[] = "vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n";

TEST(UnicodePrefix, TheSystemCodePageIs1252AndTheManifestGivesUtf8) {
  // The prefix's own code page, which the manifest changes for its programs only.
  char value[16] = {};
  DWORD size = sizeof value - 1;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", RRF_RT_REG_SZ,
                         nullptr, value, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, "1252");
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "this binary is built with the launchers' manifest";
}

class UnicodeFolder : public testing::TestWithParam<std::tuple<Program, const char*>> {
 protected:
  UnicodeFolder() : runtime(std::get<0>(GetParam()), std::string("Apps/") + std::get<1>(GetParam())) {}
  FakeRuntimeIn runtime;
  LaunchCase& app = runtime.app;
};

// The configuration is found beside the program; ${SELF_HOME}, the jar folder,
// the runtime's folder and the debug file all hold the folder's name, an
// environment variable such characters; the
// runtime reads its options in UTF-8, and arguments outside the code page
// reach main as the right Java characters.
TEST_P(UnicodeFolder, TheApplicationRunsAndTheRuntimeSeesTheFolder) {
  app.writeFile(runtime.folder + "/lib/a.jar", "");
  app.writeConfiguration(std::string(kRuntimeBeside) +
                         "vexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n"
                         "vexil.debug.file=${SELF_HOME}\\debug.log\r\n"
                         "-Dapp.home=${SELF_HOME}\r\n"
                         "-Dfrom.environment=${env.VEXIL_TEST_TEXT}\r\n");
  app.setEnvironment("VEXIL_TEST_TEXT", std::string(kJapanese) + " " + kRocket);
  LaunchResult result = app.run({kJapanese, kRocket, "café", "plain"});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_TRUE(result.boxes.empty()) << describe(result);

  const std::string home = runtime.home();
  const Lines options = {"-Dapp.home=" + home, std::string("-Dfrom.environment=") + kJapanese + " " + kRocket,
                         "-Djava.class.path=" + home + "\\lib\\a.jar"};
  EXPECT_EQ(applicationOptions(runtime.recorded("option ")), options);
  EXPECT_EQ(applicationOptions(runtime.recorded("decoded in code page 65001: ")), options);
  EXPECT_EQ(runtime.recorded("argument "),
            (Lines{std::string("0=") + kJapanese, std::string("1=") + kRocketModified, "2=café", "3=plain"}));
  EXPECT_NE(fileContents(app.path(runtime.folder + "/debug.log")).find("The chosen JVM: "), std::string::npos);
}

// A report that names the folder: on standard output (a pipe here) in UTF-8,
// in a message box whose caption and body read back as written.
TEST_P(UnicodeFolder, AReportNamesTheFolder) {
  const std::string configuration = app.programPath().substr(0, app.programPath().size() - 4) + ".lap";
  EXPECT_TRUE(app.showsReport(app.run(), {"Could not open file " + configuration, fileNotFoundReason()}));
  app.writeConfiguration("vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\none\r\n");
  EXPECT_TRUE(app.showsReport(app.run(), {"A JVM could not be found for Java home: " + runtime.home() + "\\none"}));
}

// jvm_probe carries the same manifest: it reads the folder in its arguments
// and names the runtime there as the launcher does.
TEST_P(UnicodeFolder, TheProbeFindsTheRuntimeTheLauncherUses) {
  LaunchCase probe(VEXIL_E2E_JVM_PROBE, "jvm_probe.exe");
  const std::string home = runtime.home() + "\\rt";
  LaunchResult result = probe.run({"vexil.java.home.path=" + home});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(withLfLineEnds(result.out).rfind("chosen=m_jvmPath=" + home + "\\bin\\server\\jvm.dll,", 0), 0u)
      << describe(result);
}

INSTANTIATE_TEST_SUITE_P(Launchers, UnicodeFolder,
                         testing::Combine(testing::ValuesIn(launcherPrograms()), testing::Values(kJapanese, "🚀 Start")),
                         [](const testing::TestParamInfo<std::tuple<Program, const char*>>& info) {
                           return std::string(programName(std::get<0>(info.param))) +
                                  (std::get<1>(info.param)[0] == kJapanese[0] ? "_Japanese" : "_Emoji");
                         });

class Launchers : public testing::TestWithParam<Program> {};

// "Café" in the jar folder's name, in a configuration file saved as UTF-8
// (with and without the byte-order mark Notepad writes) and as code page
// 1252, which older editors write.
TEST_P(Launchers, AConfigurationInUtf8OrInTheCodePageFindsTheJars) {
  const struct {
    const char* name;
    std::string bom;
    std::string cafe;
  } cases[] = {
      {"UTF-8", "", "Caf\xC3\xA9"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF", "Caf\xC3\xA9"},
      {"code page 1252", "", "Caf\xE9"},
  };
  FakeRuntimeIn runtime(GetParam(), "App");
  runtime.app.writeFile("App/Café/lib/a.jar", "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(runtime.app.path("record.txt").c_str());
    runtime.app.writeConfiguration(c.bom + kRuntimeBeside + "vexil.classpath.jars.dir=${SELF_HOME}\\" + c.cafe +
                                   "\\lib\r\n");
    LaunchResult result = runtime.app.run();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(applicationOptions(runtime.recorded("option ")),
              Lines{"-Djava.class.path=" + runtime.home() + "\\Café\\lib\\a.jar"});
  }
}

// Below the program's folder, paths of over 300 characters: the jar folder,
// the runtime and the debug file all work, and a report names the whole path.
// (The program itself stays within 260: Windows, and Wine, cannot start a
// program from a longer path at all.)
TEST_P(Launchers, PathsBeyond260CharactersWork) {
  FakeRuntimeIn runtime(GetParam(), "App");
  LaunchCase& app = runtime.app;
  std::string deep = "App";
  for (char letter = 'a'; runtime.home().size() + deep.size() < 300; ++letter) deep += "/" + std::string(50, letter);
  const std::string deepHome = app.path(deep);
  ASSERT_GT(deepHome.size() + 4, 300u);
  // A runtime whose library needs one of its bin folder, which is added to the search in the long form.
  app.copyFile(VEXIL_E2E_FAKE_JVM_NEEDING_HELPER, deep + "/rt/bin/server/jvm.dll");
  app.copyFile(VEXIL_E2E_FAKE_JVM_HELPER, deep + "/rt/bin/vexilhelper.dll");
  app.writeFile(deep + "/lib/a.jar", "");
  const std::string below = deepHome.substr(runtime.home().size());
  app.writeConfiguration("vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}" + below +
                         "\\rt\r\n"
                         "vexil.classpath.jars.dir=${SELF_HOME}" +
                         below +
                         "\\lib\r\n"
                         "vexil.debug.file=${SELF_HOME}" +
                         below + "\\debug.log\r\n");
  LaunchResult result = app.run({kJapanese});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(applicationOptions(runtime.recorded("option ")), Lines{"-Djava.class.path=" + deepHome + "\\lib\\a.jar"});
  EXPECT_EQ(runtime.recorded("argument "), Lines{std::string("0=") + kJapanese});
  EXPECT_EQ(runtime.recorded("helper "), Lines{"42"});
  EXPECT_NE(fileContents(app.path(deep + "/debug.log")).find("The chosen JVM: "), std::string::npos);

  app.writeConfiguration("vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}" + below + "\\none\r\n");
  EXPECT_TRUE(app.showsReport(app.run(), {"A JVM could not be found for Java home: " + deepHome + "\\none"}));
}

// Where the UTF-8 code page is not in force (Windows before 1903, here the
// console launcher built without its manifest), files are still found by
// their names in any script and arguments still arrive whole; the runtime's
// options are in code page 1252, and a path they cannot carry is named.
TEST(WithoutTheUtf8CodePage, PathsTheCodePageHoldsWorkAndOthersAreNamed) {
  FakeRuntimeIn cafe(VEXIL_E2E_CONSOLE_WITHOUT_MANIFEST, "Café");
  cafe.app.writeFile("Café/lib/a.jar", "");
  cafe.app.writeConfiguration(std::string(kRuntimeBeside) + "vexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n");
  LaunchResult result = cafe.app.run({kJapanese});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  const std::string jar = cafe.home() + "\\lib\\a.jar";
  const std::string jarIn1252 = jar.substr(0, jar.find("é")) + "\xE9" + jar.substr(jar.find("é") + 2);
  EXPECT_EQ(applicationOptions(cafe.recorded("option ")), Lines{"-Djava.class.path=" + jarIn1252});
  EXPECT_EQ(applicationOptions(cafe.recorded("decoded in code page 1252: ")), Lines{"-Djava.class.path=" + jar});
  EXPECT_EQ(cafe.recorded("argument "), Lines{std::string("0=") + kJapanese});

  FakeRuntimeIn japanese(VEXIL_E2E_CONSOLE_WITHOUT_MANIFEST, kJapanese);
  japanese.app.writeFile(japanese.folder + "/lib/a.jar", "");
  japanese.app.writeConfiguration(std::string(kRuntimeBeside) +
                                  "-Xmx64m\r\nvexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n");
  result = japanese.app.run();
  EXPECT_EQ(result.exitCode, 1) << describe(result);
  EXPECT_EQ(withLfLineEnds(result.out),
            reportText(std::string(message::kLaunchingProgram) + "\n" + message::kOptionsInCodePage + "1252" +
                       message::kCannotCarry + japanese.home() + "\\lib\\a.jar\n"));
  EXPECT_EQ(japanese.recorded("JNI_CreateJavaVM"), Lines{}) << "the runtime must not be given a '?' for a character";
}

INSTANTIATE_TEST_SUITE_P(Launchers, Launchers, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

}  // namespace
