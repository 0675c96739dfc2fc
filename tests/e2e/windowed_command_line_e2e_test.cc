// The windowed launcher started with exact raw command lines: the Java main
// method of a fake runtime receives exactly the arguments the windowed split
// makes of the text after the program name.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

using Arguments = std::vector<std::string>;

struct CommandLineCase {
  const char* name;
  std::string afterProgram;  ///< appended to the quoted program path
  Arguments expected;
};

class WindowedCommandLine : public testing::Test {
 protected:
  WindowedCommandLine() : app(Program::Windowed) {
    app.copyFile(VEXIL_E2E_FAKE_JVM, "rt/bin/server/jvm.dll");
    app.writeConfiguration("vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\n");
    app.setEnvironment("VEXIL_FAKE_JVM_RECORD", app.path("record.txt"));
    app.removeEnvironment("VEXIL_FAKE_JVM_FAIL");
  }

  /// Runs the launcher with COMMAND_LINE and returns the arguments its Java
  /// main method received; fails the test unless the launch succeeded.
  Arguments argumentsReceived(const std::string& commandLine) {
    std::remove(app.path("record.txt").c_str());
    const LaunchResult result = app.runCommandLine(commandLine);
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_TRUE(result.boxes.empty()) << describe(result);

    std::ifstream file(app.path("record.txt"), std::ios::binary);
    std::string count;
    Arguments received;
    for (std::string line; std::getline(file, line);) {
      if (line.rfind("CallStaticVoidMethod Main with ", 0) == 0) count = line;
      const std::string marker = "argument " + std::to_string(received.size()) + "=";
      if (line.rfind(marker, 0) == 0) received.push_back(line.substr(marker.size()));
    }
    EXPECT_EQ(count, "CallStaticVoidMethod Main with " + std::to_string(received.size()) + " arguments");
    return received;
  }

  void expectArguments(const std::vector<CommandLineCase>& cases) {
    for (const CommandLineCase& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(argumentsReceived(app.quotedProgramPath() + c.afterProgram), c.expected);
    }
  }

  LaunchCase app;
};

TEST_F(WindowedCommandLine, BlanksAndQuotedRuns) {
  expectArguments({
      {"none", "", {}},
      {"blanks only", " \t  ", {}},
      {"runs of blanks", "  one   two ", {"one", "two"}},
      {"tabs", "\tone\t\"two\tthree\"\t", {"one", "two\tthree"}},
      {"line feed separates, carriage return does not", " a\nb c\rd", {"a", "b", "c\rd"}},
      {"quoted run with blanks", " \"two words\" x", {"two words", "x"}},
      {"empty quotes give nothing", " \"\" a \"\"", {"a"}},
      {"text after a closing quote", " \"a b\"c", {"a b", "c"}},
  });
}

TEST_F(WindowedCommandLine, EscapedQuotesAndBackslashes) {
  expectArguments({
      {"escaped quotes", " \"say \\\"hi\\\"\" x", {"say \"hi\"", "x"}},
      {"two backslashes before a quote", " \"a\\\\\"b\"", {"a\\\"b"}},
      {"paths",
       " C:\\dir\\file.txt \"C:\\Program Files\\App\\x.txt\" \\\\server\\share\\",
       {"C:\\dir\\file.txt", "C:\\Program Files\\App\\x.txt", "\\\\server\\share\\"}},
      {"backslash-quote outside a run", " a\\\"b c\"", {"a\\b c"}},
  });
}

TEST_F(WindowedCommandLine, UnclosedQuoteTakesTheRest) {
  expectArguments({
      {"rest with blanks and an escaped quote", " a \"b  c \\\"d", {"a", "b  c \"d"}},
      {"quote at the end", " a \"", {"a"}},
  });
}

TEST_F(WindowedCommandLine, TextBeforeAnOpeningQuoteJoinsTheRun) {
  expectArguments({
      {"option with a quoted value", " -Dname=\"a b\" x", {"-Dname=a b", "x"}},
      {"alternating", " a\"b\"c\"d\"", {"ab", "cd"}},
  });
}

// The text after the program name is found in the whole command line, not
// taken from what the runtime hands WinMain, which loses bytes here.
TEST_F(WindowedCommandLine, TheProgramNameEndsWhereTheSystemSaysAndNothingIsLost) {
  EXPECT_EQ(argumentsReceived(app.quotedProgramPath() + "x a \"b c\""), (Arguments{"a", "b c"}));
  EXPECT_EQ(argumentsReceived("app\t\"x y\"  z"), (Arguments{"x y", "z"}));

  ASSERT_EQ(GetACP(), 1252u) << "the argument below is Windows-1252 text";
  EXPECT_EQ(argumentsReceived(app.quotedProgramPath() + " \xE9t\xE9 x"), (Arguments{"\xC3\xA9t\xC3\xA9", "x"}));
}

}  // namespace
