#include "hosting/library_load.h"

#include <gtest/gtest.h>

TEST(LibraryLoadTest, ReasonIsTheSystemsWordsWithTheLaunchersMachine) {
  struct Case {
    const char* name;
    LibraryLoadFailure failure;
    const char* reason;
  };
  const Case cases[] = {
      {"the system's words as they are",
       {"cannot open shared object file", Machine::Unknown},
       "cannot open shared object file"},
      {"no words from the system", {"", Machine::Unknown}, "unknown reason"},
      {"a place for the file's name",
       {"%1 is not a valid Win32 application. (error 193)", Machine::Unknown},
       "the file is not a valid Win32 application. (error 193)"},
      {"a 64-bit x86 launcher",
       {"%1 is not a valid Win32 application. (error 193)", Machine::X64},
       "the file is not a valid Win32 application. (error 193): the file is not a library for this launcher's "
       "machine (64-bit x86)"},
      {"a 32-bit x86 launcher",
       {"(error 193)", Machine::X86},
       "(error 193): the file is not a library for this launcher's machine (32-bit x86)"},
      {"a 64-bit ARM launcher",
       {"(error 193)", Machine::Arm64},
       "(error 193): the file is not a library for this launcher's machine (64-bit ARM)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(loadFailureReason(c.failure), c.reason);
  }
}
