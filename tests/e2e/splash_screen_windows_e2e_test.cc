// The splash screen under Wine, with the fake runtime and its fake
// splash-screen library in bin\, both recording their calls into one file:
// the launcher shows the image through the runtime's library before creating
// the runtime, with the path as the runtime reads paths (the process's code
// page, UTF-8 here), in folders whose names the Western code page cannot hold.
//
// This binary carries the launchers' manifest, so the harness's own texts are
// UTF-8 like the launchers'.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

using Lines = std::vector<std::string>;

const char kPng[] = "\x89PNG\r\n\x1A\n";

/// A launcher in FOLDER below its case directory beside a fake runtime in
/// FOLDER\rt, with or without its splash-screen library.
class SplashRuntime {
 public:
  SplashRuntime(Program program, const std::string& folder, bool splashLibrary = true)
      : app(program, folder + "/Tool.exe"),
        folder(folder) {
    app.copyFile(VEXIL_E2E_FAKE_JVM, folder + "/rt/bin/server/jvm.dll");
    if (splashLibrary) app.copyFile(VEXIL_E2E_FAKE_SPLASH, folder + "/rt/bin/splashscreen.dll");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
    app.removeEnvironment("VEXIL_FAKE_JVM_MAIN");
  }

  std::string home() const { return app.path(folder); }
  std::string debugLog() const { return withLfLineEnds(fileContents(app.path(folder + "/debug.log"))); }

  void configure(const std::string& splashLine) const {
    app.writeConfiguration(
        "vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n"
        "vexil.debug.file=${SELF_HOME}\\debug.log\r\n-Xmx64m\r\n" +
        splashLine + "\r\n");
  }

  /// The recorded lines, without the runtime's options for monitoring tools.
  Lines recorded() const {
    Lines lines;
    std::istringstream text(fileContents(app.path("record.txt")));
    for (std::string line; std::getline(text, line);) {
      if (line.rfind("option -Dsun.java.", 0) == 0 || line.rfind("option vfprintf", 0) == 0) continue;
      if (line.rfind("FindClass", 0) == 0 || line.rfind("NewObjectArray", 0) == 0) continue;
      if (line.rfind("Exception", 0) == 0 || line.rfind("GetStaticMethodID", 0) == 0) continue;
      lines.push_back(line);
    }
    return lines;
  }

  LaunchCase app;
  std::string folder;
};

class SplashOnWindows : public testing::TestWithParam<std::tuple<Program, const char*>> {};

// The image's path arrives as the runtime reads a -splash: path; the library is
// set up before the runtime exists, the application finds it in the process,
// and the launcher closes what is left once the runtime has ended.
TEST_P(SplashOnWindows, TheRuntimesLibraryShowsTheImageBeforeTheRuntimeIsCreated) {
  struct Case {
    const char* what;
    std::string line;      // after ${SELF_HOME}\ in the configuration
    const char* mainMode;  // of the fake runtime
    std::string closedBy;  // the recorded line of the close
  };
  const std::string image = std::string("画像 ") + std::get<1>(GetParam()) + ".png";
  const Case cases[] = {
      {"the setting; the application closes it", "vexil.splash.image=${SELF_HOME}\\" + image, "close-splash",
       "main closes the splash"},
      {"the option line; the launcher closes it after the run", "-splash:${SELF_HOME}\\" + image, "", "DestroyJavaVM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplashRuntime runtime(std::get<0>(GetParam()), std::string("Apps/") + std::get<1>(GetParam()));
    runtime.app.writeFile(runtime.folder + "/" + image, kPng);
    runtime.configure(c.line);
    if (*c.mainMode) runtime.app.setEnvironment("VEXIL_FAKE_JVM_MAIN", c.mainMode);
    LaunchResult result = runtime.app.run({"a"});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_TRUE(result.boxes.empty()) << describe(result);
    const std::string path = runtime.home() + "\\" + image;
    const Lines lines = runtime.recorded();
    const Lines shown = {"splash SplashInit",
                         "splash SplashSetScaleFactor 1",
                         "splash SplashLoadFile " + path,
                         "splash read in code page 65001: " + path,
                         "splash the image opens",
                         "splash SplashSetFileJarName " + path + " (null)"};
    ASSERT_GE(lines.size(), shown.size()) << fileContents(runtime.app.path("record.txt"));
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(shown.size())), shown);
    // Then the runtime, whose options hold no -splash: line.
    const Lines rest(lines.begin() + static_cast<long>(shown.size()), lines.end());
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.front().rfind("JNI_CreateJavaVM ", 0), 0u) << rest.front();
    // The configured option and the class path that is always given; nothing else.
    EXPECT_EQ(std::count_if(rest.begin(), rest.end(), [](const std::string& l) { return l.rfind("option ", 0) == 0; }),
              2);
    EXPECT_EQ(std::count_if(rest.begin(), rest.end(),
                            [](const std::string& l) { return l.rfind("option -Djava.class.path=", 0) == 0; }),
              1);
    EXPECT_NE(std::find(rest.begin(), rest.end(), "option -Xmx64m"), rest.end());
    // One close, by the application or else once the runtime has ended.
    auto closedBy = std::find(rest.begin(), rest.end(), c.closedBy);
    ASSERT_NE(closedBy, rest.end()) << fileContents(runtime.app.path("record.txt"));
    EXPECT_NE(std::find(closedBy, rest.end(), "splash SplashClose"), rest.end());
    EXPECT_EQ(std::count(rest.begin(), rest.end(), "splash SplashClose"), 1);
    EXPECT_NE(runtime.debugLog().find("Splash screen shown: " + path + "\n"), std::string::npos) << runtime.debugLog();
  }
}

// A report is not left behind the splash: it closes first.
TEST_P(SplashOnWindows, AFailureClosesTheSplashBeforeItsReport) {
  const std::string image = std::string("画像 ") + std::get<1>(GetParam()) + ".png";
  SplashRuntime runtime(std::get<0>(GetParam()), std::string("Apps/") + std::get<1>(GetParam()));
  runtime.app.writeFile(runtime.folder + "/" + image, kPng);
  runtime.configure("vexil.splash.image=${SELF_HOME}\\" + image);
  runtime.app.setEnvironment("VEXIL_FAKE_JVM_FAIL", "main");
  LaunchResult result = runtime.app.run();
  EXPECT_TRUE(runtime.app.showsReport(result, {"Cannot find main method in Java class\nLooked in Main for static main "
                                               "with signature ([Ljava/lang/String;)V"}));
  const Lines lines = runtime.recorded();
  auto created = std::find_if(lines.begin(), lines.end(),
                              [](const std::string& l) { return l.rfind("JNI_CreateJavaVM ", 0) == 0; });
  ASSERT_NE(created, lines.end()) << fileContents(runtime.app.path("record.txt"));
  EXPECT_NE(std::find(created, lines.end(), "splash SplashClose"), lines.end())
      << fileContents(runtime.app.path("record.txt"));
}

// No splash: the application starts as without one, and the debug file says why.
TEST_P(SplashOnWindows, WithoutASplashTheLaunchGoesOn) {
  struct Case {
    const char* what;
    bool library;
    bool imageThere;
    std::string reason;  // after "No splash screen: "; "@" stands for the runtime's folder
  };
  const std::string image = std::string("画像 ") + std::get<1>(GetParam()) + ".png";
  const Case cases[] = {
      {"a runtime without the library", false, true,
       "the runtime has no splash-screen library (a runtime without java.desktop, or a headless one): "
       "@\\rt\\bin\\splashscreen.dll"},
      {"a missing image", true, false, "the image cannot be read: @\\" + image},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplashRuntime runtime(std::get<0>(GetParam()), std::string("Apps/") + std::get<1>(GetParam()), c.library);
    if (c.imageThere) runtime.app.writeFile(runtime.folder + "/" + image, kPng);
    runtime.configure("vexil.splash.image=${SELF_HOME}\\" + image);
    LaunchResult result = runtime.app.run();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_TRUE(result.boxes.empty()) << describe(result);
    std::string reason = c.reason;
    reason.replace(reason.find('@'), 1, runtime.home());
    EXPECT_NE(runtime.debugLog().find("No splash screen: " + reason + "\n"), std::string::npos) << runtime.debugLog();
    const Lines lines = runtime.recorded();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("JNI_CreateJavaVM ", 0), 0u) << lines.front();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("splash ", 0) == 0; }), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Launchers, SplashOnWindows,
                         testing::Combine(testing::ValuesIn(launcherPrograms()), testing::Values("日本語", "plain")),
                         [](const testing::TestParamInfo<std::tuple<Program, const char*>>& info) {
                           return std::string(programName(std::get<0>(info.param))) +
                                  (std::string(std::get<1>(info.param)) == "plain" ? "_Plain" : "_Japanese");
                         });

}  // namespace
