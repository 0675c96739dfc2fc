// The splash screen (vexil.splash.image, or a -splash: option line) with the
// machine's real runtimes on a virtual display (Xvfb): the application sees it
// through java.awt.SplashScreen, draws on it and closes it, or its first
// window closes it; a screenshot taken meanwhile holds the image's colours.
// Whatever stands in the way of a splash leaves a normal start and a line in
// the debug file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/launch_harness.h"

extern char** environ;

namespace {

const std::string kAppsJar = VEXIL_E2E_JAVA_APPS_JAR;

std::string homeOf(const std::string& libjvm) { return libjvm.substr(0, libjvm.rfind("/lib/server/")); }

struct Runtime {
  const char* name;
  std::string home;
};
const Runtime kTestRuntime{"test_runtime", homeOf(VEXIL_E2E_LIBJVM)};
// Not every machine has it; its tests are then skipped and say so.
const Runtime kTemurin25{"temurin_25", "/usr/lib/jvm/temurin-25-jdk-amd64"};

bool installed(const Runtime& runtime) { return access((runtime.home + "/lib/server/libjvm.so").c_str(), R_OK) == 0; }

struct Rgb {
  unsigned char red, green, blue;
};
const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kGreen{0, 255, 0};

// ---- PNG files, written with uncompressed deflate blocks ----

uint32_t crc32Of(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void putBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void putChunk(std::string& png, const std::string& type, const std::string& data) {
  putBigEndian(png, static_cast<uint32_t>(data.size()));
  png += type + data;
  putBigEndian(png, crc32Of(type + data));
}

/// A WIDTH x HEIGHT PNG filled with COLOUR.
std::string pngImage(int width, int height, Rgb colour) {
  std::string rows;
  for (int y = 0; y < height; ++y) {
    rows += '\0';  // no filter
    for (int x = 0; x < width; ++x)
      rows += {static_cast<char>(colour.red), static_cast<char>(colour.green), static_cast<char>(colour.blue)};
  }
  std::string zlib = "\x78\x01";
  for (size_t at = 0; at < rows.size() || at == 0; at += 65535) {
    const size_t length = std::min<size_t>(65535, rows.size() - at);
    zlib += static_cast<char>(at + length >= rows.size() ? 1 : 0);
    zlib += {static_cast<char>(length & 0xFF), static_cast<char>(length >> 8), static_cast<char>(~length & 0xFF),
             static_cast<char>((~length >> 8) & 0xFF)};
    zlib += rows.substr(at, length);
  }
  uint32_t a = 1, b = 0;
  for (unsigned char byte : rows) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  putBigEndian(zlib, (b << 16) | a);
  std::string header;
  putBigEndian(header, static_cast<uint32_t>(width));
  putBigEndian(header, static_cast<uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
  std::string png = "\x89PNG\r\n\x1A\n";
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", "");
  return png;
}

// ---- Screenshots in X window dump form (xwd) ----

uint32_t bigEndianAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

/// How many pixels of the screenshot in DUMP have COLOUR (each channel within
/// a few steps); -1 when DUMP is not a 32-bit TrueColor window dump.
long pixelsOf(const std::string& dump, Rgb colour) {
  if (dump.size() < 100) return -1;
  const uint32_t headerSize = bigEndianAt(dump, 0);
  const uint32_t height = bigEndianAt(dump, 20);
  const uint32_t width = bigEndianAt(dump, 16);
  const uint32_t byteOrder = bigEndianAt(dump, 28);
  const uint32_t bitsPerPixel = bigEndianAt(dump, 44);
  const uint32_t bytesPerLine = bigEndianAt(dump, 48);
  const uint32_t colours = bigEndianAt(dump, 76);
  const size_t pixels = headerSize + static_cast<size_t>(colours) * 12;
  if (bitsPerPixel != 32 || pixels + static_cast<size_t>(height) * bytesPerLine > dump.size()) return -1;
  auto near = [](uint32_t channel, unsigned char wanted) { return channel + 8 >= wanted && channel <= wanted + 8u; };
  long count = 0;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = pixels + static_cast<size_t>(y) * bytesPerLine + static_cast<size_t>(x) * 4;
      uint32_t value = 0;
      for (size_t i = 0; i < 4; ++i) {
        const uint32_t byte = static_cast<unsigned char>(dump[at + i]);
        value |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (3 - i));
      }
      if (near((value >> 16) & 0xFF, colour.red) && near((value >> 8) & 0xFF, colour.green) &&
          near(value & 0xFF, colour.blue)) {
        ++count;
      }
    }
  }
  return count;
}

// ---- A virtual display of the test's own ----

class VirtualDisplay {
 public:
  VirtualDisplay() {
    int channel[2];
    if (pipe(channel) != 0) return;
    // Xvfb picks a free display and writes its number to the channel.
    const std::string fd = std::to_string(channel[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    std::string number;
    char c;
    while (m_pid > 0 && read(channel[0], &c, 1) == 1 && c != '\n') number += c;
    close(channel[0]);
    if (!number.empty()) m_name = ":" + number;
  }
  ~VirtualDisplay() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      waitpid(m_pid, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  /// ":N", or empty when Xvfb did not start.
  const std::string& name() const { return m_name; }

 private:
  pid_t m_pid = -1;
  std::string m_name;
};

/// A launcher beside a splash image, running SplashProbe on RUNTIME.
class SplashCase {
 public:
  SplashCase(const Runtime& runtime, const std::string& display) : m_runtime(runtime) {
    app.setEnvironment("DISPLAY", display);
    app.removeEnvironment("GDK_SCALE");
    app.removeEnvironment("J2D_UISCALE");
    app.removeEnvironment("JAVA_TOOL_OPTIONS");
    app.removeEnvironment("_JAVA_OPTIONS");
  }

  /// Writes the configuration with SPLASH_LINE (a setting or an option line) and EXTRA lines.
  void configure(const std::string& splashLine, const std::string& extra = "") {
    app.writeConfiguration("vexil.main.class=SplashProbe\nvexil.java.home.path=" + m_runtime.home +
                           "\nvexil.debug.file=" + app.path("debug.log") + "\n-Djava.class.path=" + kAppsJar + "\n" +
                           splashLine + "\n" + extra);
  }
  std::string debugLog() const { return fileContents(app.path("debug.log")); }
  std::string screenshot() const { return fileContents(app.path("shot.xwd")); }

  LaunchCase app;

 private:
  Runtime m_runtime;
};

class SplashScreenTest : public ::testing::TestWithParam<Runtime> {
 protected:
  void SetUp() override {
    if (!installed(GetParam())) GTEST_SKIP() << "no runtime at " << GetParam().home << ": this test needs it";
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start (package xvfb, tools/install_dependencies.sh)";
  }
  VirtualDisplay display;
};

TEST_P(SplashScreenTest, TheApplicationSeesTheSplashDrawsOnItAndClosesIt) {
  struct Case {
    const char* what;
    std::string image;  // relative to the case directory
    std::string splashLine;
    const char* action;
    std::vector<std::string> environment;  // NAME=VALUE
    std::string shown;                     // in the debug file after "Splash screen shown: "
    std::string output;
    std::vector<std::pair<Rgb, long>> atLeast;  // pixels of a colour in the screenshot
    std::vector<Rgb> absent;
  };
  const std::string spaced = "ein Ordner 日本/rotes Bild.png";
  const std::vector<Case> cases = {
      {"the setting; the application closes it",
       "red.png",
       "vexil.splash.image=${SELF_HOME}/red.png",
       "close",
       {},
       "red.png",
       "splash 120x80 image red.png\nscreenshot 0\nclosed, visible false\n",
       {{kRed, 120 * 80}},
       {}},
      {"an option line, a path with blanks and non-ASCII letters",
       spaced,
       "-splash:${SELF_HOME}/" + spaced,
       "close",
       {},
       spaced,
       "splash 120x80 image rotes Bild.png\nscreenshot 0\nclosed, visible false\n",
       {{kRed, 120 * 80}},
       {}},
      {"the application draws on it",
       "red.png",
       "vexil.splash.image=${SELF_HOME}/red.png",
       "draw",
       {},
       "red.png",
       "splash 120x80 image red.png\nscreenshot 0\nclosed, visible false\n",
       {{kGreen, 60 * 40}, {kRed, 120 * 80 - 60 * 40}},
       {}},
      {"the first window closes it",
       "red.png",
       "vexil.splash.image=${SELF_HOME}/red.png",
       "window",
       {},
       "red.png",
       "splash 120x80 image red.png\nwindow shown, splash visible false\nscreenshot 0\n",
       {},
       {kRed}},
      {"a display scaled by 2 shows name@2x.png",
       "red.png",
       "vexil.splash.image=${SELF_HOME}/red.png",
       "close",
       {"GDK_SCALE=2"},
       "red@2x.png at scale 2",
       "splash 120x80 image red.png\nscreenshot 0\nclosed, visible false\n",
       {{kBlue, 240 * 160}},
       {kRed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplashCase splash(GetParam(), display.name());
    splash.app.writeFile(c.image, pngImage(120, 80, kRed));
    const size_t dot = c.image.rfind('.');
    splash.app.writeFile(c.image.substr(0, dot) + "@2x" + c.image.substr(dot), pngImage(240, 160, kBlue));
    for (const std::string& setting : c.environment) {
      splash.app.setEnvironment(setting.substr(0, setting.find('=')), setting.substr(setting.find('=') + 1));
    }
    splash.configure(c.splashLine);
    LaunchResult result = splash.app.run({c.action, splash.app.path("shot.xwd")});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, c.output) << describe(result);
    const std::string log = splash.debugLog();
    const std::string folder = splash.app.directory() + "/";
    EXPECT_NE(log.find("Splash screen shown: " + folder + c.shown + "\n"), std::string::npos) << log;
    // The option line is the launcher's: the runtime never sees it.
    EXPECT_EQ(log.find("-splash:"), std::string::npos) << log;
    const std::string shot = splash.screenshot();
    for (const auto& [colour, count] : c.atLeast) EXPECT_GE(pixelsOf(shot, colour), count);
    for (const Rgb& colour : c.absent) EXPECT_EQ(pixelsOf(shot, colour), 0);
  }
}

TEST_P(SplashScreenTest, TheClassDataCacheAndTheSplashWorkTogether) {
  SplashCase splash(GetParam(), display.name());
  splash.app.writeFile("red.png", pngImage(120, 80, kRed));
  splash.app.setEnvironment("XDG_CACHE_HOME", splash.app.path("cache"));
  splash.configure("vexil.splash.image=${SELF_HOME}/red.png", "vexil.startup.cache=auto\n");
  // The first run makes the cache, the second uses it; the splash shows in both.
  for (const char* run : {"making", "using"}) {
    SCOPED_TRACE(run);
    std::remove(splash.app.path("debug.log").c_str());
    LaunchResult result = splash.app.run({"close", splash.app.path("shot.xwd")});
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, "splash 120x80 image red.png\nscreenshot 0\nclosed, visible false\n") << describe(result);
    EXPECT_NE(splash.debugLog().find("Class-data cache: "), std::string::npos) << splash.debugLog();
    EXPECT_GE(pixelsOf(splash.screenshot(), kRed), 120 * 80);
    // Give the background work of the first run time to finish.
    for (int i = 0; i < 300 && std::string(run) == "making"; ++i) {
      if (splash.debugLog().find("Class-data cache: using") != std::string::npos) break;
      usleep(100 * 1000);
    }
  }
  EXPECT_NE(splash.debugLog().find("Class-data cache: using"), std::string::npos) << splash.debugLog();
}

INSTANTIATE_TEST_SUITE_P(Runtimes, SplashScreenTest, ::testing::Values(kTestRuntime, kTemurin25),
                         [](const ::testing::TestParamInfo<Runtime>& info) { return std::string(info.param.name); });

// What stands in the way of a splash: the application starts without one,
// and the debug file says why.
TEST(SplashScreenWithout, AnObstacleLeavesANormalStartAndALineInTheDebugFile) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start (package xvfb, tools/install_dependencies.sh)";
  struct Case {
    const char* what;
    std::function<void(SplashCase&)> arrange;
    std::string reason;  // after "No splash screen: "; "@" stands for the case directory
    const char* output;
  };
  const std::string image = "vexil.splash.image=${SELF_HOME}/splash.png";
  const std::vector<Case> cases = {
      {"a missing image", [&](SplashCase& s) { s.configure(image); }, "the image cannot be read: @/splash.png",
       "splash none\n"},
      {"a folder as the image",
       [&](SplashCase& s) {
         s.app.makeDirectory("splash.png");
         s.configure(image);
       },
       "the image cannot be read: @/splash.png", "splash none\n"},
      {"a text file as the image",
       [&](SplashCase& s) {
         s.app.writeFile("splash.png", "just some words");
         s.configure(image);
       },
       "not a PNG, GIF or JPEG image: @/splash.png", "splash none\n"},
      {"a corrupt image",
       [&](SplashCase& s) {
         s.app.writeFile("splash.png", pngImage(120, 80, kRed).substr(0, 60));
         s.configure(image);
       },
       "the runtime's splash-screen library did not show it (no display it can open, or an image it cannot "
       "decode): @/splash.png",
       "splash none\n"},
      {"a display that does not exist",
       [&](SplashCase& s) {
         s.app.writeFile("splash.png", pngImage(120, 80, kRed));
         s.app.setEnvironment("DISPLAY", ":4095");
         s.configure(image);
       },
       "the runtime's splash-screen library did not show it (no display it can open, or an image it cannot "
       "decode): @/splash.png",
       "splash none\n"},
      {"no display",
       [&](SplashCase& s) {
         s.app.writeFile("splash.png", pngImage(120, 80, kRed));
         s.app.removeEnvironment("DISPLAY");
         s.configure(image);
       },
       "the runtime's splash-screen library did not show it (no display it can open, or an image it cannot "
       "decode): @/splash.png",
       "headless\n"},
      {"a runtime without java.desktop",
       [&](SplashCase& s) {
         s.app.writeFile("splash.png", pngImage(120, 80, kRed));
         const std::string jlink =
             kTestRuntime.home + "/bin/jlink --add-modules java.base --output '" + s.app.path("rt") + "' 2>&1";
         ASSERT_EQ(std::system(jlink.c_str()), 0) << jlink;
         s.app.writeConfiguration(
             "vexil.main.class=ArgsEcho\nvexil.java.home.path=${SELF_HOME}/rt\n"
             "vexil.debug.file=${SELF_HOME}/debug.log\n-Djava.class.path=" +
             kAppsJar + "\n" + image + "\n");
       },
       "the runtime has no splash-screen library (a runtime without java.desktop, or a headless one): "
       "@/rt/lib/libsplashscreen.so",
       "count=2\narg[0]=close\narg[1]=@/shot.xwd\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplashCase splash(kTestRuntime, display.name());
    c.arrange(splash);
    LaunchResult result = splash.app.run({"close", splash.app.path("shot.xwd")});
    auto withFolder = [&](std::string text) {
      for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1)) {
        text.replace(at, 1, splash.app.directory());
      }
      return text;
    };
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, withFolder(c.output)) << describe(result);
    const std::string log = splash.debugLog();
    EXPECT_NE(log.find("No splash screen: " + withFolder(c.reason) + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Splash screen shown"), std::string::npos) << log;
  }
}

}  // namespace
