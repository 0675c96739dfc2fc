#include "hosting/splash_screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

// A splash-screen library that records its calls and answers as the case says.
struct FakeLibrary {
  static Calls calls;
  static int nameLength;  // what the length call answers
  static unsigned char nameFound;
  static std::string scaledName;  // written into the caller's buffer; "<unterminated>" fills it without an end
  static float scale;
  static bool loads;

  static void init() { calls.push_back("init"); }
  static int loadFile(const char* path) {
    calls.push_back(std::string("load ") + path);
    return loads ? 1 : 0;
  }
  static void setFileJarName(const char* file, const char* jar) {
    calls.push_back(std::string("name ") + file + (jar ? std::string(" jar ") + jar : ""));
  }
  static void close() { calls.push_back("close"); }
  static void setScaleFactor(float value) { calls.push_back("scale " + std::to_string(static_cast<int>(value))); }
  static int scaledImageNameLength(const char*) { return nameLength; }
  static unsigned char scaledImageName(const char*, const char*, float* value, char* name, std::size_t length) {
    calls.push_back("scaled name, " + std::to_string(length) + " bytes");
    *value = scale;
    if (scaledName == "<unterminated>") {
      std::memset(name, 'x', length);
    } else if (scaledName.size() < length) {
      std::memcpy(name, scaledName.c_str(), scaledName.size() + 1);
    }
    return nameFound;
  }
};
Calls FakeLibrary::calls;
int FakeLibrary::nameLength = 0;
unsigned char FakeLibrary::nameFound = 0;
std::string FakeLibrary::scaledName;
float FakeLibrary::scale = 1.0f;
bool FakeLibrary::loads = true;

SplashLibraryFunctions fakeFunctions(bool scaling) {
  SplashLibraryFunctions functions;
  functions.init = &FakeLibrary::init;
  functions.loadFile = &FakeLibrary::loadFile;
  functions.setFileJarName = &FakeLibrary::setFileJarName;
  functions.close = &FakeLibrary::close;
  if (scaling) {
    functions.setScaleFactor = &FakeLibrary::setScaleFactor;
    functions.scaledImageNameLength = &FakeLibrary::scaledImageNameLength;
    functions.scaledImageName = &FakeLibrary::scaledImageName;
  }
  return functions;
}

// The scaled image is taken only when the library names one for a believable
// scale; the application always learns the image as configured.
TEST(ShowSplashImageTest, TheScaledImageOnlyWhenTheLibraryNamesOneForABelievableScale) {
  const char kImage[] = "/app/splash.png";  // 15 bytes
  struct Case {
    const char* what;
    bool scaling;
    int nameLength;
    unsigned char found;
    std::string scaledName;
    float scale;
    bool loads;
    bool shown;
    Calls calls;
  } cases[] = {
      {"a runtime without the scaling calls (Java 8)",
       false,
       0,
       0,
       "",
       1.0f,
       true,
       true,
       {"init", "load /app/splash.png", "name /app/splash.png"}},
      {"a scaled image beside it",
       true,
       40,
       1,
       "/app/splash@2x.png",
       2.0f,
       true,
       true,
       {"scaled name, 56 bytes", "init", "scale 2", "load /app/splash@2x.png", "name /app/splash.png"}},
      {"no scaled image: the scale it wrote is not used",
       true,
       40,
       0,
       "",
       2.0f,
       true,
       true,
       {"scaled name, 56 bytes", "init", "scale 1", "load /app/splash.png", "name /app/splash.png"}},
      {"a display whose scale the library cannot tell",
       true,
       40,
       1,
       "/app/splash@2x.png",
       -1.0f,
       true,
       true,
       {"scaled name, 56 bytes", "init", "scale 1", "load /app/splash.png", "name /app/splash.png"}},
      {"an unbelievable length: no name is asked for",
       true,
       1 << 30,
       1,
       "/app/splash@2x.png",
       2.0f,
       true,
       true,
       {"init", "scale 1", "load /app/splash.png", "name /app/splash.png"}},
      {"a negative length",
       true,
       -5,
       1,
       "/app/splash@2x.png",
       2.0f,
       true,
       true,
       {"init", "scale 1", "load /app/splash.png", "name /app/splash.png"}},
      {"a name without its end",
       true,
       40,
       1,
       "<unterminated>",
       2.0f,
       true,
       true,
       {"scaled name, 56 bytes", "init", "scale 1", "load /app/splash.png", "name /app/splash.png"}},
      {"the library cannot show it",
       true,
       40,
       0,
       "",
       1.0f,
       false,
       false,
       {"scaled name, 56 bytes", "init", "scale 1", "load /app/splash.png"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLibrary::calls.clear();
    FakeLibrary::nameLength = c.nameLength;
    FakeLibrary::nameFound = c.found;
    FakeLibrary::scaledName = c.scaledName;
    FakeLibrary::scale = c.scale;
    FakeLibrary::loads = c.loads;
    const SplashShown shown = showSplashImage(fakeFunctions(c.scaling), kImage);
    EXPECT_EQ(shown.shown, c.shown);
    EXPECT_EQ(FakeLibrary::calls, c.calls);
  }
}

TEST(SplashLibraryPathTest, TheFolderAboveTheJvmLibrarysOwn) {
  struct Case {
    const Conventions& conventions;
    const char* jvmLibrary;
    const char* splashLibrary;
  } cases[] = {
      {windowsConventions(), "C:\\Java\\jdk-17\\bin\\server\\jvm.dll", "C:\\Java\\jdk-17\\bin\\splashscreen.dll"},
      {windowsConventions(), "C:\\Java\\jre8\\bin\\client\\jvm.dll", "C:\\Java\\jre8\\bin\\splashscreen.dll"},
      {windowsConventions(), "C:/Java/rt/bin/server/jvm.dll", "C:/Java/rt/bin/splashscreen.dll"},
      {windowsConventions(), "jvm.dll", ""},
      {windowsConventions(), "server\\jvm.dll", ""},
      {linuxConventions(), "/usr/lib/jvm/jdk-17/lib/server/libjvm.so", "/usr/lib/jvm/jdk-17/lib/libsplashscreen.so"},
      {linuxConventions(), "/opt/jdk8/jre/lib/amd64/server/libjvm.so", "/opt/jdk8/jre/lib/amd64/libsplashscreen.so"},
      {linuxConventions(), "/libjvm.so", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splashLibraryPath(c.jvmLibrary, c.conventions), c.splashLibrary) << c.jvmLibrary;
  }
}

// Before any library is loaded: what keeps the splash away is logged, and
// nothing is shown.
TEST(ShowRuntimeSplashScreenTest, WhatStandsInTheWayIsLoggedAndNothingIsShown) {
  const char kJvm[] = "C:\\rt\\bin\\server\\jvm.dll";
  const char kLibrary[] = "C:\\rt\\bin\\splashscreen.dll";
  struct Case {
    const char* what;
    std::string image;
    std::string contents;  // of the image; "<folder>" makes it a folder, "<none>" leaves it out
    bool library;
    Calls log;
  } cases[] = {
      {"no image set", "", "", true, {}},
      {"a missing image",
       "C:\\app\\s.png",
       "<none>",
       true,
       {"No splash screen: the image cannot be read: C:\\app\\s.png"}},
      {"a folder", "C:\\app\\s.png", "<folder>", true, {"No splash screen: the image cannot be read: C:\\app\\s.png"}},
      {"an empty file", "C:\\app\\s.png", "", true, {"No splash screen: not a PNG, GIF or JPEG image: C:\\app\\s.png"}},
      {"a text",
       "C:\\app\\s.png",
       "PNG image",
       true,
       {"No splash screen: not a PNG, GIF or JPEG image: C:\\app\\s.png"}},
      {"a runtime without the library",
       "C:\\app\\s.gif",
       "GIF89a",
       false,
       {std::string("No splash screen: the runtime has no splash-screen library (a runtime without java.desktop, or "
                    "a headless one): ") +
        kLibrary}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform fake(windowsConventions());
    if (c.contents == "<folder>") {
      fake.fileSystem.addDirectory(c.image);
    } else if (c.contents != "<none>") {
      fake.fileSystem.addFile(c.image, c.contents);
    }
    if (c.library) fake.fileSystem.addFile(kLibrary, "MZ");
    Calls log;
    SplashCloseFunction close =
        showRuntimeSplashScreen(c.image, kJvm, fake.platform, [&](const std::string& line) { log.push_back(line); });
    EXPECT_EQ(close, nullptr);
    EXPECT_EQ(log, c.log);
  }
}

}  // namespace
