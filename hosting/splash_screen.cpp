#include "hosting/splash_screen.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "hosting/library_load.h"
#include "platform/platform.h"
#include "platform/shared_library.h"
#include "platform/text_encoding.h"
#include "report/messages.h"
#include "text/ascii_text.h"

namespace {

// Longer scaled names than this are not believed: a library that answers so
// is not the one these calls were made for.
const int kLongestScaledName = 32 * 1024;
// A scale outside (0, kLargestScale] is not the display's.
const float kLargestScale = 16.0f;

/// The runtime's libraries are named alike: "jvm" in the JVM library's name
/// (jvm.dll, libjvm.so) stands where the other names have theirs.
std::string runtimeLibraryName(const Conventions& conventions, const char* name) {
  std::string fileName = conventions.jvmLibraryName;
  const size_t jvm = fileName.find("jvm");
  if (jvm == std::string::npos) return std::string();
  return fileName.replace(jvm, 3, name);
}

/// Whether HEAD, the first bytes of a file, begin an image that the
/// splash-screen library reads; it tells the kinds apart by their first byte.
bool isSplashImage(const std::string& head) {
  return startsWith(head, "\x89PNG") || startsWith(head, "GIF8") || startsWith(head, "\xFF\xD8\xFF");
}

template <typename Function>
bool resolve(LibraryHandle library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(findLibrarySymbol(library, name));
  return *function != nullptr;
}

}  // namespace

SplashShown showSplashImage(const SplashLibraryFunctions& functions, const std::string& image) {
  SplashShown result;
  result.image = image;
  if (functions.scaledImageNameLength && functions.scaledImageName) {
    const int length = functions.scaledImageNameLength(image.c_str());
    if (length > 0 && length <= kLongestScaledName) {
      std::vector<char> name(image.size() + static_cast<size_t>(length) + 1, '\0');
      float scale = 1.0f;
      // Only a terminated name and a believable scale count; the library
      // answers -1 as the scale where it cannot tell the display's.
      if (functions.scaledImageName(nullptr, image.c_str(), &scale, name.data(), name.size()) != 0 &&
          std::memchr(name.data(), '\0', name.size()) != nullptr && name[0] != '\0' && std::isfinite(scale) &&
          scale > 0.0f && scale <= kLargestScale) {
        result.image = name.data();
        result.scale = scale;
      }
    }
  }
  functions.init();
  if (functions.setScaleFactor) functions.setScaleFactor(result.scale);
  result.shown = functions.loadFile(result.image.c_str()) != 0;
  if (result.shown) functions.setFileJarName(image.c_str(), nullptr);
  return result;
}

std::string splashLibraryPath(const std::string& jvmLibraryPath, const Conventions& conventions) {
  const char separator = conventions.pathSeparator;
  // On Windows "/" separates as well as "\".
  const char* separators = separator == '\\' ? "\\/" : "/";
  const size_t file = jvmLibraryPath.find_last_of(separators);
  if (file == std::string::npos || file == 0) return std::string();
  const size_t folder = jvmLibraryPath.find_last_of(separators, file - 1);
  const std::string name = runtimeLibraryName(conventions, "splashscreen");
  if (folder == std::string::npos || name.empty()) return std::string();
  return jvmLibraryPath.substr(0, folder + 1) + name;
}

SplashCloseFunction showRuntimeSplashScreen(const std::string& image, const std::string& jvmLibraryPath,
                                            const Platform& platform, const SplashLog& log) {
  if (image.empty()) return nullptr;
  auto notShown = [&](const std::string& reason) -> SplashCloseFunction {
    log(message::kLogNoSplash + reason);
    return nullptr;
  };
  // A look at the first bytes keeps a folder, an empty file or a document
  // given by mistake away from the library's decoders.
  std::string head;
  if (!platform.fileSystem->readFileStart(image, 4, &head)) return notShown(message::kSplashImageMissing + image);
  if (!isSplashImage(head)) return notShown(message::kSplashNotAnImage + image);
  const std::string libraryPath = splashLibraryPath(jvmLibraryPath, *platform.conventions);
  if (libraryPath.empty() || !platform.fileSystem->exists(libraryPath)) {
    return notShown(message::kSplashNoLibrary + (libraryPath.empty() ? jvmLibraryPath : libraryPath));
  }
  // The runtime's own path text: the library reports it to the application
  // as a file name in the runtime's encoding.
  std::string encodedImage;
  if (!toRuntimeOptionEncoding(image, &encodedImage)) return notShown(message::kSplashPathNotCarried + image);
  // Loaded for the whole process, as the runtime loads it: the application's
  // java.awt.SplashScreen and the runtime's first window reach the splash
  // through this same library.
  const auto loaded = loadRuntimeLibrary(libraryPath);
  if (!loaded) return notShown(message::kSplashLibraryNotLoaded + libraryPath + ": " + loadFailureReason(loaded.why()));
  LibraryHandle library = *loaded;
  SplashLibraryFunctions functions;
  for (const auto& [name, found] : {
           std::pair<const char*, bool>{"SplashInit", resolve(library, "SplashInit", &functions.init)},
           {"SplashLoadFile", resolve(library, "SplashLoadFile", &functions.loadFile)},
           {"SplashSetFileJarName", resolve(library, "SplashSetFileJarName", &functions.setFileJarName)},
           {"SplashClose", resolve(library, "SplashClose", &functions.close)},
       }) {
    if (!found) return notShown(libraryPath + message::kSplashLibraryLacks + name);
  }
  resolve(library, "SplashSetScaleFactor", &functions.setScaleFactor);
  resolve(library, "SplashGetScaledImgNameMaxPstfixLen", &functions.scaledImageNameLength);
  resolve(library, "SplashGetScaledImageName", &functions.scaledImageName);
  const SplashShown shown = showSplashImage(functions, encodedImage);
  if (!shown.shown) return notShown(message::kSplashNotShown + image);
  std::string line = message::kLogSplashShown + (shown.image == encodedImage ? image : shown.image);
  if (shown.scale != 1.0f) {
    char scale[32];
    std::snprintf(scale, sizeof scale, "%g", static_cast<double>(shown.scale));
    line += message::kLogSplashScale + std::string(scale);
  }
  log(line);
  return functions.close;
}
