// Runtimes that no package installed, found where people put them: the
// folders of version managers, IDEs and build tools below a test HOME, and
// PATH through a chain of links like the alternatives system's. Each home is
// made of the machine's real JDK 17 or Temurin 25 (its folders linked, its
// release file its own, with a version no other runtime has), so that a
// pinned version names exactly one of them and the launch runs it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

#ifndef VEXIL_E2E_JVM_PROBE
#error VEXIL_E2E_JVM_PROBE must name the jvm_probe program
#endif

namespace {

namespace fs = std::filesystem;

const fs::path kJdk17 = "/usr/lib/jvm/java-17-openjdk-amd64";
const fs::path kTemurin25 = "/usr/lib/jvm/temurin-25-jdk-amd64";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
  }
  return result;
}

/// The value of NAME in a record's dump.
std::string field(const std::string& dump, const std::string& name) {
  size_t at = dump.find(name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 1;
  return dump.substr(at, dump.find(',', at) - at);
}

/// "home <- source" for each runtime jvm_probe --list discovered.
std::vector<std::string> discovered(const std::string& output) {
  std::vector<std::string> found;
  const std::vector<std::string> all = lines(output);
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    if (all[i].rfind("discovered[", 0) != 0) continue;
    const std::string& source = all[i + 1];
    found.push_back(field(all[i], "m_javaHomePath") + " <- " + source.substr(source.find('=') + 1));
  }
  return found;
}

class RuntimeFoldersOnLinux : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& home : {kJdk17, kTemurin25}) {
      if (!fs::exists(home / "lib/server/libjvm.so")) GTEST_SKIP() << "this test needs a runtime at " << home;
    }
  }

  /// A home at RELATIVE below the case directory made of REAL's folders,
  /// linked, with a release file naming VERSION. With REAL_LAUNCHER its bin
  /// folder is its own and bin/java a copy, so that a path resolved through
  /// links ends in this home and not in REAL.
  std::string addHome(const LaunchCase& app, const std::string& relative, const fs::path& real,
                      const std::string& version, bool realLauncher = false) {
    std::string home = app.path(relative);
    app.writeFile(relative + "/release", "IMPLEMENTOR=\"test\"\nJAVA_VERSION=\"" + version + "\"\n");
    for (const fs::directory_entry& entry : fs::directory_iterator(real)) {
      const std::string name = entry.path().filename().string();
      if (name == "release" || (realLauncher && name == "bin")) continue;
      fs::create_symlink(entry.path(), home + "/" + name);
    }
    if (realLauncher) {
      for (const fs::directory_entry& entry : fs::directory_iterator(real / "bin")) {
        const std::string target = home + "/bin/" + entry.path().filename().string();
        fs::create_directories(home + "/bin");
        if (entry.path().filename() == "java") {
          fs::copy_file(entry.path(), target);
        } else {
          fs::create_symlink(entry.path(), target);
        }
      }
    }
    return home;
  }

  /// A machine whose user keeps runtimes in five tools' folders and on PATH;
  /// APP's and PROBE's environments are set to it.
  void makeMachine(LaunchCase& app, LaunchCase& probe) {
    const std::string sdkman = ".home/.sdkman/candidates/java/";
    homes = {
        addHome(app, sdkman + "17.0.101-tem", kJdk17, "17.0.101"),
        addHome(app, ".home/.jdks/temurin-25.0.102", kTemurin25, "25.0.102"),
        addHome(app, ".home/.gradle/jdks/jdk-17.0.103", kJdk17, "17.0.103"),
        addHome(app, ".home/.asdf/installs/java/temurin-25.0.104", kTemurin25, "25.0.104"),
        addHome(app, ".home/.local/share/mise/installs/java/17.0.105", kJdk17, "17.0.105"),
        addHome(app, "opt/path-jdk", kTemurin25, "25.0.106", true),
    };
    // Second paths to a home: SDKMAN's "current", jenv's link to it.
    fs::create_symlink(homes[0], app.path(sdkman + "current"));
    fs::create_directories(app.path(".home/.jenv/versions"));
    fs::create_symlink(homes[0], app.path(".home/.jenv/versions/17"));
    // PATH: bin/java -> alternatives/java -> the home's bin/java.
    fs::create_directories(app.path("etc/alternatives"));
    fs::create_directories(app.path("usr/bin"));
    fs::create_symlink(homes[5] + "/bin/java", app.path("etc/alternatives/java"));
    fs::create_symlink(app.path("etc/alternatives/java"), app.path("usr/bin/java"));
    for (LaunchCase* program : {&app, &probe}) {
      // A runtime in the working directory, which a relative PATH element
      // would name: never found.
      addHome(*program, "work/planted/jdk", kTemurin25, "99.0.1", true);
      program->setEnvironment("HOME", app.path(".home"));
      program->setEnvironment("PATH", app.path("usr/bin") + "::bin:planted/jdk/bin:.");
      program->setWorkingDirectory("work");
      for (const char* name :
           {"JAVA_HOME", "SDKMAN_CANDIDATES_DIR", "ASDF_DATA_DIR", "MISE_DATA_DIR", "XDG_DATA_HOME"}) {
        program->removeEnvironment(name);
      }
    }
  }

  /// Launches Exiter through APP with SETTINGS; the chosen home, from the debug file.
  std::string launchedHome(LaunchCase& app, const std::string& settings) {
    app.writeConfiguration("vexil.main.class=Exiter\nvexil.debug.file=${SELF_HOME}/debug.log\n" + settings +
                           "-Djava.class.path=" VEXIL_E2E_JAVA_CLASSES "\n");
    fs::remove(app.path("debug.log"));
    LaunchResult result = app.run({"7"});
    EXPECT_EQ(result.exitCode, 7) << settings << describe(result);
    EXPECT_EQ(result.out, "exiting with 7\n") << settings;
    return field(lines(fileContents(app.path("debug.log"))).front(), "m_javaHomePath");
  }

  std::vector<std::string> homes;
};

TEST_F(RuntimeFoldersOnLinux, EachToolsFolderAndPathIsFoundOnceWithItsSource) {
  LaunchCase app;
  LaunchCase probe(VEXIL_E2E_JVM_PROBE, "jvm_probe");
  makeMachine(app, probe);
  LaunchResult result = probe.run({"--list"});
  ASSERT_EQ(result.exitCode, 0) << describe(result);
  const std::vector<std::string> found = discovered(result.out);
  const std::string home = app.path(".home");
  const std::vector<std::string> expected = {
      homes[0] + " <- " + home + "/.sdkman/candidates/java/*",
      homes[1] + " <- " + home + "/.jdks/*",
      homes[2] + " <- " + home + "/.gradle/jdks/*",
      homes[3] + " <- " + home + "/.asdf/installs/java/*",
      homes[4] + " <- " + home + "/.local/share/mise/installs/java/*",
      homes[5] + " <- PATH " + app.path("usr/bin/java"),
  };
  // After the installation folder's runtimes, in this order, each once: not
  // again through "current", jenv's link or PATH's empty and relative elements.
  ASSERT_GE(found.size(), expected.size()) << result.out;
  EXPECT_EQ(std::vector<std::string>(found.end() - expected.size(), found.end()), expected) << result.out;
  // The installation folder's own link to its JDK 17 is that runtime, once.
  EXPECT_EQ(std::count(found.begin(), found.end(), kJdk17.string() + " <- /usr/lib/jvm"), 1) << result.out;
  for (const std::string& line : found) EXPECT_EQ(line.find("java-1.17.0-openjdk-amd64"), std::string::npos) << line;
  for (const std::string& line : found) EXPECT_EQ(line.find("planted"), std::string::npos) << line;
}

TEST_F(RuntimeFoldersOnLinux, APinnedVersionLaunchesThatRuntime) {
  LaunchCase app;
  LaunchCase probe(VEXIL_E2E_JVM_PROBE, "jvm_probe");
  makeMachine(app, probe);
  const char* const versions[] = {"17.0.101", "25.0.102", "17.0.103", "25.0.104", "17.0.105", "25.0.106"};
  for (size_t i = 0; i < std::size(versions); ++i) {
    const std::string pin =
        std::string("vexil.min.java.version=") + versions[i] + "\nvexil.max.java.version=" + versions[i] + "\n";
    EXPECT_EQ(launchedHome(app, pin), homes[i]) << versions[i];
  }
  // Nothing pinned: the newest, the PATH's Temurin (the planted 99 is never seen).
  EXPECT_EQ(launchedHome(app, ""), homes[5]);
}

TEST_F(RuntimeFoldersOnLinux, TheSearchSettingAndTheFallbackHomesDecide) {
  LaunchCase app;
  LaunchCase probe(VEXIL_E2E_JVM_PROBE, "jvm_probe");
  makeMachine(app, probe);
  // Only the user's folders: the newest of them, not PATH's.
  EXPECT_EQ(launchedHome(app, "vexil.java.search=folders\n"), homes[3]);
  // A bundled runtime that is missing, then the machine's JDK 17, before
  // discovery's newer ones; with a minimum of 21 the JDK is passed as well.
  const std::string fallback = "vexil.java.home.fallback=${SELF_HOME}/runtime;" + kJdk17.string() + "\n";
  EXPECT_EQ(launchedHome(app, fallback), kJdk17.string());
  EXPECT_EQ(launchedHome(app, fallback + "vexil.min.java.version=21\n"), homes[5]);
}

}  // namespace
