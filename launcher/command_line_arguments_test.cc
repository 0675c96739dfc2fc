#include "launcher/command_line_arguments.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/support/report_capture.h"

// Allocation failures on demand: when armed, the allocation after the given
// number of further ones fails once. Disarmed, this is the plain allocator.
namespace {
long g_allocationsBeforeFailure = -1;

void failAllocationAfter(long allocations) { g_allocationsBeforeFailure = allocations; }
}  // namespace

void* operator new(std::size_t size) {
  if (g_allocationsBeforeFailure == 0) {
    g_allocationsBeforeFailure = -1;
    throw std::bad_alloc();
  }
  if (g_allocationsBeforeFailure > 0) --g_allocationsBeforeFailure;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
// The nothrow form must come from the same allocator as the replaced delete:
// a sanitizer's own would be freed here with free().
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
// GCC cannot see that every new above is malloc and warns about the free().
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char* name;
  std::string text;
  Arguments expected;
};

void expectSplits(const std::vector<SplitCase>& cases) {
  for (const SplitCase& c : cases) {
    EXPECT_EQ(splitCommandLineText(c.text), c.expected) << c.name << ": [" << c.text << "]";
  }
}

TEST(CommandLineSplitTest, BlanksSeparateAndNeverMakeArguments) {
  expectSplits({
      {"empty", "", {}},
      {"blanks only", " \t\n  \t", {}},
      {"one word", "alpha", {"alpha"}},
      {"space", "alpha beta", {"alpha", "beta"}},
      {"tab", "alpha\tbeta", {"alpha", "beta"}},
      {"line feed", "alpha\nbeta", {"alpha", "beta"}},
      {"runs and ends", "  alpha \t\n beta\n\n", {"alpha", "beta"}},
      {"carriage return", "al\rpha be\r\nta", {"al\rpha", "be\r", "ta"}},
      {"form feed and vertical tab", "a\fb c\vd", {"a\fb", "c\vd"}},
  });
}

TEST(CommandLineSplitTest, QuotedRunsKeepTheirBlanks) {
  expectSplits({
      {"blanks", "\"a b\"", {"a b"}},
      {"tab and line feed", "x \"a\tb\nc\" y", {"x", "a\tb\nc", "y"}},
      {"leading and trailing blanks kept", "\"  a  \"", {"  a  "}},
      {"empty pair", "\"\"", {}},
      {"empty pair between words", "a \"\" b", {"a", "b"}},
      {"only blanks quoted", "\" \"", {" "}},
      {"adjacent runs", "\"a\"\"b\"", {"a", "b"}},
      {"text after closing quote", "\"a b\"c", {"a b", "c"}},
      {"quoted path", "\"C:\\Program Files\\App\\a.txt\"", {"C:\\Program Files\\App\\a.txt"}},
  });
}

TEST(CommandLineSplitTest, BackslashEscapesOnlyAQuoteInsideARun) {
  expectSplits({
      {"escaped quote", "\"say \\\"hi\\\"\"", {"say \"hi\""}},
      {"two backslashes still escape", "\"a\\\\\"b\"", {"a\\\"b"}},
      {"escaped quote first in run", "\"\\\"a\"", {"\"a"}},
      {"backslash before other bytes stays", "\"a\\b\\\"", {"a\\b\""}},
      {"path outside quotes", "C:\\dir\\file.txt D:\\", {"C:\\dir\\file.txt", "D:\\"}},
      {"backslash-quote outside a run opens a run", "a\\\"b c\"", {"a\\b c"}},
      {"unquoted path splits at its blank", "C:\\Program Files\\x", {"C:\\Program", "Files\\x"}},
      // A run that ends in a folder's backslash escapes its own closing quote.
      {"trailing backslash before closing quote", "\"C:\\dir\\\" next", {"C:\\dir\" next"}},
  });
}

TEST(CommandLineSplitTest, UnclosedQuoteTakesTheRest) {
  expectSplits({
      {"rest with blanks", "a \"b c  d", {"a", "b c  d"}},
      {"quote at the end", "a \"", {"a"}},
      {"rest with escaped quotes", "a \"b\\\" c\\\"", {"a", "b\" c\""}},
      {"only an escaped quote", "\"\\\"", {"\""}},
      {"quotes after the rest", "\"a \\\" b \\\"", {"a \" b \""}},
  });
}

// Text directly before an opening quote belongs to the quoted run's argument;
// text directly after the closing quote still starts a new one.
TEST(CommandLineSplitTest, TextBeforeAnOpeningQuoteJoinsTheRun) {
  expectSplits({
      {"option with quoted value",
       "-Dapp.dir=\"C:\\Program Files\\App\" -v",
       {"-Dapp.dir=C:\\Program Files\\App", "-v"}},
      {"in the middle", "x abc\"d e\" y", {"x", "abcd e", "y"}},
      {"empty run", "abc\"\"", {"abc"}},
      {"unclosed run", "abc\"de f", {"abcde f"}},
      {"quote last", "abc\"", {"abc"}},
      {"alternating", "a\"b\"c\"d\"e", {"ab", "cd", "e"}},
      {"escaped quote in joined run", "k=\"v \\\"w\\\"\"", {"k=v \"w\""}},
  });
}

TEST(CommandLineSplitTest, BytesAreComparedOneByOne) {
  expectSplits({
      {"bytes above 127 are text", "\xE9t\xE9 \"\xFF \xA0\"", {"\xE9t\xE9", "\xFF \xA0"}},
      // The second byte of this double-byte character equals the backslash.
      {"trail byte escapes a quote", "\"\x95\\\"x\"", {"\x95\"x"}},
  });
}

TEST(CommandLineSplitTest, NoLimitOnCountOrLength) {
  std::string text;
  for (int i = 0; i < 70000; ++i) text += (i % 2 == 0 ? "arg" : "\"a b\"") + std::to_string(i) + " ";
  const std::string longArgument(1 << 20, 'x');
  text += "\"" + longArgument + " \"";
  const Arguments arguments = splitCommandLineText(text);
  // Each "a b" run is followed at once by its number: two arguments.
  ASSERT_EQ(arguments.size(), 35000u + 2 * 35000u + 1u);
  EXPECT_EQ(arguments[0], "arg0");
  EXPECT_EQ(arguments[1], "a b");
  EXPECT_EQ(arguments[2], "1");
  EXPECT_EQ(arguments[arguments.size() - 2], "69999");
  EXPECT_EQ(arguments.back(), longArgument + " ");
}

TEST(CommandLineArgumentsTest, ElementZeroIsTheGivenProgramNameFollowedByTheArguments) {
  char programName[] = "C:\\apps\\Tool.exe";
  char text[] = "one \"two three\" \\four\\";
  CommandLineArguments arguments(text, programName);
  ASSERT_EQ(arguments.getArgc(), 4);
  char** argv = arguments.getArgv();
  EXPECT_EQ(argv[0], programName);  // the same string, not a copy
  EXPECT_STREQ(argv[1], "one");
  EXPECT_STREQ(argv[2], "two three");
  EXPECT_STREQ(argv[3], "\\four\\");
  EXPECT_STREQ(text, "one \"two three\" \\four\\");
}

TEST(CommandLineArgumentsTest, NoArgumentsGivesCountOne) {
  char programName[] = "prog";
  for (const char* text : {"", "  \t\n ", "\"\"", static_cast<const char*>(nullptr)}) {
    CommandLineArguments arguments(text, programName);
    EXPECT_EQ(arguments.getArgc(), 1) << (text ? text : "(null)");
    EXPECT_EQ(arguments.getArgv()[0], programName);
  }
}

TEST(CommandLineArgumentsTest, ArgumentsAreSeparateWritableCopies) {
  CommandLineArguments arguments("same same", nullptr);
  ASSERT_EQ(arguments.getArgc(), 3);
  char** argv = arguments.getArgv();
  EXPECT_STREQ(argv[0], "");
  EXPECT_NE(argv[1], argv[2]);
  argv[1][0] = 'S';
  EXPECT_STREQ(argv[1], "Same");
  EXPECT_STREQ(argv[2], "same");
}

TEST(CommandLineArgumentsTest, AnyAllocationFailureInTheSplitIsReportedWithItsText) {
  char programName[] = "prog";
  const char* text = "a-long-first-argument-beyond-small-strings \"and a quoted one\" c";
  long allocations = 0;
  for (;; ++allocations) {
    const std::string report = reportOf([&] {
      failAllocationAfter(allocations);
      CommandLineArguments arguments(text, programName);
      failAllocationAfter(-1);
    });
    failAllocationAfter(-1);
    if (report == "<no report>") break;
    EXPECT_EQ(report, reportText("Error reading command-line arguments")) << "allocation " << allocations;
  }
  EXPECT_GT(allocations, 3);
}

struct TailCase {
  const char* name;
  std::string commandLine;
  std::string expected;
};

TEST(CommandLineAfterProgramNameTest, SkipsTheNameAndTheBlanksAfterIt) {
  const std::vector<TailCase> cases = {
      {"plain", "prog a b", "a b"},
      {"quoted name with blanks", "\"C:\\Program Files\\App\\wlaunch.exe\"  a \"b\"", "a \"b\""},
      {"text after the quoted name", "\"prog\"x rest", "rest"},
      {"quotes inside the name", "pr\"o g\"ram arg", "arg"},
      {"first byte above 127 kept", "prog \xE9t\xE9", "\xE9t\xE9"},
      {"name with bytes above 127", "\xE9prog x", "x"},
      {"all codes 1 to 32 skipped", "prog\t\r\n\x01\x1F x ", "x "},
      {"name alone", "prog", ""},
      {"name and blanks", "\"prog\"   ", ""},
      {"unclosed quote in the name", "\"prog a b", ""},
      {"empty", "", ""},
      {"tab ends the name", "prog\targ", "arg"},
  };
  for (const TailCase& c : cases) {
    EXPECT_EQ(commandLineAfterProgramName(c.commandLine), c.expected) << c.name;
  }
}

}  // namespace
