// vexil-stamp.exe under Wine on the real launchers: the stamped copy launches
// exactly as the launcher it came from, the launcher stays as it was, any
// folder name works, and a failure leaves no file behind. Also the sample's
// greeter.exe, made by the build with the tool, on the test runtime.
//
// This binary carries the launchers' manifest: the harness's texts, paths
// among them, are UTF-8 like the tool's.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

const char* builtLauncher(Program program) {
  return program == Program::Console ? VEXIL_E2E_CONSOLE_LAUNCHER : VEXIL_E2E_WINDOWED_LAUNCHER;
}

// The names in DIRECTORY, sorted.
std::vector<std::string> filesIn(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Each line of TEXT that begins with PREFIX, without it.
std::vector<std::string> linesWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

/// vexil-stamp.exe in a case directory of its own, with a launcher and the sample's icon beside it.
class Stamper {
 public:
  explicit Stamper(Program program) : m_tool(VEXIL_E2E_STAMP_PROGRAM, "vexil-stamp.exe") {
    m_tool.copyFile(builtLauncher(program), "launcher.exe");
    m_tool.copyFile(VEXIL_E2E_SAMPLE_ICON, "app.ico");
  }
  LaunchResult run(const std::vector<std::string>& arguments) const { return m_tool.run(arguments); }
  std::string path(const std::string& relative) const { return m_tool.path(relative); }
  void copyFile(const std::string& source, const std::string& relative) const { m_tool.copyFile(source, relative); }
  void writeFile(const std::string& relative, const std::string& contents) const {
    m_tool.writeFile(relative, contents);
  }
  std::vector<std::string> files() const { return filesIn(m_tool.directory()); }

 private:
  LaunchCase m_tool;
};

class StampedLauncher : public testing::TestWithParam<Program> {
 protected:
  /// A configuration for the fake runtime copied into CASE's rt folder.
  static void useFakeRuntime(LaunchCase& app) {
    app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
    app.writeConfiguration("vexil.main.class=org.example.Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n-Xmx32m\r\n");
  }
};

TEST_P(StampedLauncher, LaunchesExactlyAsTheLauncherItCameFrom) {
  const std::string original = fileContents(builtLauncher(GetParam()));
  Stamper stamper(GetParam());
  LaunchResult stamped = stamper.run({"--icon", "app.ico", "--product-name", "My App", "--file-version", "2.5.0.7",
                                      "--description", "My application", "launcher.exe", "MyApp.exe"});
  ASSERT_EQ(stamped.exitCode, 0) << describe(stamped);
  EXPECT_EQ(stamped.out + stamped.err, "");
  EXPECT_EQ(fileContents(stamper.path("launcher.exe")), original);
  EXPECT_EQ(stamper.files(), (std::vector<std::string>{"MyApp.exe", "app.ico", "launcher.exe", "vexil-stamp.exe"}));

  // The same run of each: without a .lap, then on the fake runtime with arguments.
  LaunchCase before(GetParam());
  LaunchCase after(GetParam(), stamper.path("MyApp.exe"), "app.exe");
  for (LaunchCase* app : {&before, &after}) {
    SCOPED_TRACE(app == &before ? "the launcher" : "the stamped copy");
    EXPECT_TRUE(app->showsReport(app->run(), {"Could not open file " + app->path("app.lap"), fileNotFoundReason()}));
  }
  std::vector<LaunchResult> launched;
  for (LaunchCase* app : {&before, &after}) {
    useFakeRuntime(*app);
    launched.push_back(app->run({"one", "two words", "café"}));
  }
  EXPECT_EQ(launched[0].exitCode, 0) << describe(launched[0]);
  EXPECT_EQ(describe(launched[1]), describe(launched[0]));
  const std::string record = fileContents(before.path("record.txt"));
  EXPECT_EQ(linesWith(record, "CallStaticVoidMethod "), std::vector<std::string>{"org/example/Main with 3 arguments"});
  // The same but for where each program lies, which names the class path of an
  // application without one.
  std::string afterRecord = fileContents(after.path("record.txt"));
  for (size_t at = 0; (at = afterRecord.find(after.programPath(), at)) != std::string::npos;
       at += before.programPath().size()) {
    afterRecord.replace(at, after.programPath().size(), before.programPath());
  }
  EXPECT_EQ(afterRecord, record);
}

INSTANTIATE_TEST_SUITE_P(Launchers, StampedLauncher, testing::ValuesIn(launcherPrograms()),
                         [](const testing::TestParamInfo<Program>& info) { return programName(info.param); });

TEST(Stamp, AFailureGivesOneMessageAndLeavesNoFile) {
  Stamper stamper(Program::Windowed);
  struct {
    const char* what;
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {"corrupt icon",
       {"--icon", "broken.ico", "launcher.exe", "MyApp.exe"},
       "The icon file \"broken.ico\" is not usable: image 1 of 1 lies outside the file."},
      {"missing launcher",
       {"wlaunch.exe", "MyApp.exe"},
       "Cannot read the launcher \"wlaunch.exe\": it does not exist."},
      {"missing icon",
       {"--icon", "none.ico", "launcher.exe", "MyApp.exe"},
       "Cannot read the icon file \"none.ico\": it does not exist."},
      {"read-only copy", {"launcher.exe", "ReadOnly.exe"}, "Cannot replace \"ReadOnly.exe\": the file is read-only."},
      {"folder under a file",
       {"launcher.exe", "ReadOnly.exe\\bin\\MyApp.exe"},
       "Cannot write \"ReadOnly.exe\\bin\\MyApp.exe\": the folder \"ReadOnly.exe\\bin\" cannot be made."},
      {"a program that is no launcher",
       {"C:\\windows\\notepad.exe", "MyApp.exe"},
       "The launcher \"C:\\windows\\notepad.exe\" cannot be stamped: it is not a Vexil launcher (wlaunch.exe, "
       "claunch.exe or a program stamped from one)."},
      {"the launcher as the copy, written otherwise",
       {"launcher.exe", ".\\LAUNCHER.EXE"},
       "The copy \".\\LAUNCHER.EXE\" would replace the launcher itself: give another name."},
      {"the icon as the copy",
       {"--icon", "app.ico", "launcher.exe", "APP.ICO"},
       "The copy \"APP.ICO\" would replace the icon file itself: give another name."},
  };
  // An icon file whose one image claims more bytes than there are.
  const std::string icon = fileContents(stamper.path("app.ico"));
  std::string broken = icon.substr(0, 6 + 16);
  broken[4] = 1;
  broken += icon.substr(6 + 16 * static_cast<unsigned char>(icon[4]), 100);
  std::FILE* file = std::fopen(stamper.path("broken.ico").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(broken.data(), 1, broken.size(), file);
  std::fclose(file);
  file = std::fopen(stamper.path("ReadOnly.exe").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("kept", file);
  std::fclose(file);
  ASSERT_TRUE(SetFileAttributesA(stamper.path("ReadOnly.exe").c_str(), FILE_ATTRIBUTE_READONLY));

  const std::vector<std::string> files = stamper.files();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LaunchResult result = stamper.run(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(withLfLineEnds(result.err), "vexil-stamp: " + c.message + "\n");
    EXPECT_EQ(stamper.files(), files);
  }
  EXPECT_EQ(fileContents(stamper.path("ReadOnly.exe")), "kept");
  SetFileAttributesA(stamper.path("ReadOnly.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Every file in a folder that code page 1252 cannot name, or with accents,
// given as relative and as full paths; the copy's folders do not exist yet.
TEST_P(StampedLauncher, AnyFolderNameWorksAndTheCopyStarts) {
  Stamper stamper(GetParam());
  const std::string launcher = "ランチャー/Lanceur é/launcher.exe";
  const std::string output = "出力/Ünïcødé 日本/MyApp.exe";
  stamper.copyFile(builtLauncher(GetParam()), launcher);
  stamper.copyFile(VEXIL_E2E_SAMPLE_ICON, "アイコン/icône.ico");
  stamper.writeFile(
      "modèles/日本語/app.lap.in",
      "vexil.main.class=org.example.Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n-Dapp.name=@NAME@\r\n");
  LaunchResult stamped =
      stamper.run({"--icon", "アイコン\\icône.ico", "--lap", "modèles\\日本語\\app.lap.in", "--product-name",
                   "Mon Appli 日本", stamper.path(launcher), stamper.path(output)});
  ASSERT_EQ(stamped.exitCode, 0) << describe(stamped);
  EXPECT_EQ(stamped.out + stamped.err, "");
  EXPECT_EQ(filesIn(stamper.path("出力/Ünïcødé 日本")), (std::vector<std::string>{"MyApp.exe", "MyApp.lap"}));
  EXPECT_EQ(fileContents(stamper.path("出力/Ünïcødé 日本/MyApp.lap")),
            "vexil.main.class=org.example.Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n-Dapp.name=MyApp\r\n");

  // The copy, in a folder of the same names, on the fake runtime beside it.
  LaunchCase app(GetParam(), stamper.path(output), output);
  app.copyFile(stamper.path("出力/Ünïcødé 日本/MyApp.lap"), "出力/Ünïcødé 日本/MyApp.lap");
  app.copyFile(VEXIL_E2E_FAKE_JVM, "出力/Ünïcødé 日本/rt/bin/server/jvm.dll");
  app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
  app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  app.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
  LaunchResult launched = app.run({"日本"});
  EXPECT_EQ(launched.exitCode, 0) << describe(launched);
  const std::string record = fileContents(app.path("record.txt"));
  EXPECT_EQ(linesWith(record, "CallStaticVoidMethod "), std::vector<std::string>{"org/example/Main with 1 arguments"});
  EXPECT_EQ(linesWith(record, "option -Dapp.name="), std::vector<std::string>{"MyApp"});
}

// A copy whose path is beyond the classic limit of 260 characters, in folders that do not exist yet.
TEST(Stamp, ACopyBeyond260CharactersIsMade) {
  Stamper stamper(Program::Console);
  const std::string output = "long/" + std::string(120, 'l') + "/" + std::string(120, 'm') + "/MyApp.exe";
  ASSERT_GT(stamper.path(output).size(), 260u);
  LaunchResult stamped = stamper.run({"launcher.exe", stamper.path(output)});
  ASSERT_EQ(stamped.exitCode, 0) << describe(stamped);
  EXPECT_EQ(fileContents("\\\\?\\" + stamper.path(output)).compare(0, 2, "MZ"), 0);
}

// greeter.exe as the build made it, with its .lap and jar, on the test runtime put where its .lap looks.
TEST(Stamp, TheSampleGreeterRunsOnTheRuntimeBesideIt) {
  const std::string sample = VEXIL_E2E_SAMPLE_DIR;
  LaunchCase greeter(Program::Console, sample + "/greeter.exe", "greeter.exe");
  greeter.copyFile(sample + "/greeter.lap", "greeter.lap");
  greeter.copyFile(sample + "/lib/greeter.jar", "lib/greeter.jar");
  greeter.copyFile(VEXIL_E2E_FAKE_JVM, "runtime/bin/server/jvm.dll");
  greeter.setEnvironment("VEXIL_FAKE_JVM_RECORD", greeter.path("record.txt"));
  greeter.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  greeter.removeEnvironment("VEXIL_FAKE_JVM_PROBE_LIBRARY");
  LaunchResult result = greeter.run({"first argument", ""});
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  const std::string record = fileContents(greeter.path("record.txt"));
  EXPECT_EQ(linesWith(record, "option "),
            (std::vector<std::string>{"-Xmx64m", "-Dgreeter.salutation=Hello from greeter.lap",
                                      "-Djava.class.path=" + greeter.path("lib/greeter.jar"),
                                      "-Dsun.java.command=com.example.greeter.Greeter first argument ",
                                      "-Dsun.java.launcher=SUN_STANDARD"}));
  EXPECT_EQ(linesWith(record, "FindClass com/"), std::vector<std::string>{"example/greeter/Greeter"});
  EXPECT_EQ(linesWith(record, "argument "), (std::vector<std::string>{"0=first argument", "1="}));
}

}  // namespace
