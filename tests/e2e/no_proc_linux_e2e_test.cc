// Linux without /proc: the program cannot tell its own path. It reports that
// and reads no configuration from the current directory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/e2e/launch_harness.h"

namespace {

const char kUnshare[] = "/usr/bin/unshare";

TEST(NoProc, TheProgramSaysItsPathIsUnknownAndReadsNoConfigurationFromTheCurrentDirectory) {
  if (access(kUnshare, X_OK) != 0) GTEST_SKIP() << "no " << kUnshare << " to start the program without /proc";
  LaunchCase app;
  // What the program would read as its configuration, its own name being empty.
  app.writeFile("cwd/.lap", "vexil.jvm.path=/planted/libjvm.so\n");
  app.setWorkingDirectory("cwd");
  // A mount namespace of its own, in which an empty file system hides /proc.
  const std::vector<std::string> withoutProc{
      kUnshare, "--map-root-user", "--mount", "sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\""};
  LaunchResult probe = LaunchCase("/bin/true", "probe").runWrapped(withoutProc);
  if (probe.exitCode != 0) GTEST_SKIP() << "this machine cannot hide /proc from a program: " << describe(probe);

  LaunchResult result = app.runWrapped(withoutProc);
  EXPECT_TRUE(app.showsReport(result, {"Error getting configuration file name.\n"
                                       "The path of this program is unknown: /proc/self/exe cannot be read "
                                       "(No such file or directory): is /proc mounted?"}));
}

}  // namespace
