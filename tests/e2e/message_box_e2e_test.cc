// The harness's view of message boxes (Windows): each box is seen once, read
// fully, told apart by its icon and buttons, and closed, so nothing hangs.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

TEST(MessageBoxes, IconAndButtonsAreToldApart) {
  struct {
    const char* type;
    BoxIcon icon;
    std::vector<int> buttons;
    int exitCode;  // the button the harness pressed
  } cases[] = {
      {"0x30", BoxIcon::Exclamation, {IDOK}, IDOK},            // MB_OK | MB_ICONEXCLAMATION
      {"0x10", BoxIcon::Error, {IDOK}, IDOK},                  // MB_ICONERROR
      {"0x40", BoxIcon::Information, {IDOK}, IDOK},            // MB_ICONINFORMATION
      {"0x20", BoxIcon::Question, {IDOK}, IDOK},               // MB_ICONQUESTION
      {"0x0", BoxIcon::None, {IDOK}, IDOK},                    // MB_OK alone
      {"0x31", BoxIcon::Exclamation, {IDOK, IDCANCEL}, IDOK},  // MB_OKCANCEL
      {"0x14", BoxIcon::Error, {IDYES, IDNO}, IDNO},           // MB_YESNO: No, so no test opens a page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    LaunchCase helper(VEXIL_E2E_SHOW_MESSAGE_BOX, "show.exe");
    LaunchResult result = helper.run({c.type});
    ASSERT_EQ(result.boxes.size(), 1u) << describe(result);
    EXPECT_EQ(result.boxes[0].caption, "caption 1");
    EXPECT_EQ(result.boxes[0].body, "body 1");
    EXPECT_EQ(result.boxes[0].icon, c.icon) << boxIconName(result.boxes[0].icon);
    EXPECT_EQ(result.boxes[0].buttons, c.buttons);
    EXPECT_EQ(result.boxes[0].hasOnlyOkButton(), c.buttons == std::vector<int>{IDOK});
    EXPECT_EQ(result.exitCode, c.exitCode);
  }
}

TEST(MessageBoxes, SeveralBoxesAreSeenInOrder) {
  LaunchCase helper(VEXIL_E2E_SHOW_MESSAGE_BOX, "show.exe");
  LaunchResult result = helper.run({"0x30", "0x10"});
  ASSERT_EQ(result.boxes.size(), 2u) << describe(result);
  EXPECT_EQ(result.boxes[0].caption, "caption 1");
  EXPECT_EQ(result.boxes[0].icon, BoxIcon::Exclamation);
  EXPECT_EQ(result.boxes[1].caption, "caption 2");
  EXPECT_EQ(result.boxes[1].body, "body 2");
  EXPECT_EQ(result.boxes[1].icon, BoxIcon::Error);
}

TEST(MessageBoxes, ACommandLineIsPassedLiterally) {
  LaunchCase helper(VEXIL_E2E_SHOW_MESSAGE_BOX, "show.exe");
  for (std::string commandLine :
       {helper.quotedProgramPath() + "x  a\t\"b\\\" c", std::string("show"), std::string("\"unclosed \\\" quote")}) {
    SCOPED_TRACE(commandLine);
    LaunchResult result = helper.runCommandLine(commandLine);
    EXPECT_EQ(result.out, commandLine + "\r\n");
    EXPECT_EQ(result.exitCode, 0);
  }
}

}  // namespace
