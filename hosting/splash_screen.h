#ifndef VEXIL_HOSTING_SPLASH_SCREEN_H_
#define VEXIL_HOSTING_SPLASH_SCREEN_H_

#include <cstddef>
#include <functional>
#include <string>

struct Conventions;
struct Platform;

/// The calls of a runtime's splash-screen library that the launcher makes,
/// resolved by name from the library. The three scaling calls are missing in
/// runtimes before 9 and may be null.
struct SplashLibraryFunctions {
  void (*init)() = nullptr;
  /// Nonzero once the image shows.
  int (*loadFile)(const char* path) = nullptr;
  /// What java.awt.SplashScreen.getImageURL() reports; JAR null for a file.
  void (*setFileJarName)(const char* file, const char* jar) = nullptr;
  void (*close)() = nullptr;
  void (*setScaleFactor)(float scale) = nullptr;
  /// How long a scaled image's name of FILE may be, beyond the terminating zero.
  int (*scaledImageNameLength)(const char* file) = nullptr;
  /// Writes into NAME (LENGTH bytes) the name of the scaled image of FILE for
  /// the display's scale, which it stores in SCALE; zero when there is none.
  unsigned char (*scaledImageName)(const char* jar, const char* file, float* scale, char* name,
                                   std::size_t length) = nullptr;
};

/// What showing an image through the library did.
struct SplashShown {
  bool shown = false;
  std::string image;   ///< the file shown: the image, or its scaled form
  float scale = 1.0f;  ///< the scale the library was given
};

/// Shows the image at IMAGE (in the runtime's encoding) through FUNCTIONS, as
/// the JDK's launcher does for its -splash: option: the display's scaled
/// image beside it ("name@2x.png") when the library finds one, else the image
/// itself at scale 1. The application later learns IMAGE as the splash
/// screen's image, whichever file was shown.
SplashShown showSplashImage(const SplashLibraryFunctions& functions, const std::string& image);

/// The path of the splash-screen library of the runtime whose JVM library is
/// at JVM_LIBRARY_PATH: in the folder above the JVM library's own
/// (bin\server\jvm.dll: bin\splashscreen.dll; lib/server/libjvm.so:
/// lib/libsplashscreen.so), where the runtime itself loads it from. Empty
/// when the path has no such folder.
std::string splashLibraryPath(const std::string& jvmLibraryPath, const Conventions& conventions);

/// Says what the splash screen did, for the debug file.
using SplashLog = std::function<void(const std::string&)>;

/// Shows IMAGE (a path, empty for none) as the splash screen through the
/// splash-screen library of the runtime whose JVM library is at
/// JVM_LIBRARY_PATH and is already loaded (the library needs it). The library
/// stays in the process, where java.awt.SplashScreen finds the splash and the
/// runtime closes it when the first window opens. Never fails: a missing or
/// unreadable image, a runtime without the library, or no display leave the
/// launch as it would be without, and LOG says why. Returns the library's
/// close call when the splash shows, else null.
using SplashCloseFunction = void (*)();
SplashCloseFunction showRuntimeSplashScreen(const std::string& image, const std::string& jvmLibraryPath,
                                            const Platform& platform, const SplashLog& log);

#endif  // VEXIL_HOSTING_SPLASH_SCREEN_H_
