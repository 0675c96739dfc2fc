#include "hosting/class_data_cache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "platform/ascii_text.h"
#include "platform/background_process.h"
#include "platform/file_lock.h"
#include "platform/file_updates.h"
#include "platform/platform.h"
#include "platform/user_cache_folder.h"

namespace {

const char kClassPathOption[] = "-Djava.class.path=";

// How a runtime makes and reads class data. An archive is always made under a
// ".part" name and renamed once complete, so that a file under the final name
// is whole: a run that dies half-way leaves only a ".part", which the next
// maker overwrites.
enum class Mechanism {
  kNone,
  // With the runtime's bin/java: the run lists the classes it loads, which
  // costs it next to nothing; after it, bin/java archives those classes in the
  // background (-Xshare:dump), on 24+ loaded and linked ahead of time and
  // read as an AOT cache. Archiving at the end of the run instead, as the two
  // kinds below do, made that first run take twice as long.
  kClassList,
  kArchiveAtExit,  // 13-18 without bin/java: -XX:ArchiveClassesAtExit
  kAutoArchive,    // 19+ without bin/java: -XX:+AutoCreateSharedArchive
};

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// Options by which the user manages class data sharing; the cache then stays out.
bool managesClassData(const std::string& option) {
  if (startsWith(option, "-Xshare")) return true;
  if (!startsWith(option, "-XX:")) return false;
  for (const char* word : {"SharedArchiveFile", "ArchiveClassesAtExit", "AutoCreateSharedArchive", "AOTCache",
                           "AOTMode", "AOTConfiguration", "SharedClassListFile", "DumpLoadedClassList"}) {
    if (option.find(word) != std::string::npos) return true;
  }
  return false;
}

// Options the runtime requires to be the same when it reads class data as
// when it made them: everything but system properties, logging and the class
// path (keyed by its files). The few properties that change how classes are
// found count.
bool isKeyed(const std::string& option) {
  if (startsWith(option, kClassPathOption)) return false;
  if (startsWith(option, "-D")) {
    return startsWith(option, "-Djava.system.class.loader=") || startsWith(option, "-Djdk.module.") ||
           startsWith(option, "-Djava.security.manager");
  }
  return !startsWith(option, "-Xlog") && !startsWith(option, "-verbose");
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t cut = text.find(separator); cut != std::string::npos; cut = text.find(separator, start)) {
    parts.push_back(text.substr(start, cut - start));
    start = cut + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string stampText(const std::string& path) {
  const FileStamp stamp = fileStamp(path);
  if (!stamp.exists) return "missing";
  return std::to_string(stamp.size) + " " + std::to_string(stamp.modified);
}

// The program's name without the folder and without ".exe".
std::string programName(const std::string& executablePath) {
  const size_t cut = executablePath.find_last_of("\\/");
  std::string name = cut == std::string::npos ? executablePath : executablePath.substr(cut + 1);
  if (name.size() > 4 && endsWith(lowerCasedAscii(name), ".exe")) name.resize(name.size() - 4);
  return name;
}

std::string versionFromReleaseFile(const Platform& platform, const std::string& javaHome) {
  std::string release;
  const std::string path = javaHome + platform.conventions->pathSeparator + "release";
  if (!platform.fileSystem->readFile(path, &release)) return std::string();
  const std::string key = "JAVA_VERSION=\"";
  const size_t start = release.find(key);
  if (start == std::string::npos) return std::string();
  const size_t end = release.find('"', start + key.size());
  return end == std::string::npos ? std::string() : release.substr(start + key.size(), end - start - key.size());
}

// The work left for after the run; shared by the plan's action and the exit
// handler, whichever comes first.
struct PendingWork {
  std::function<void()> work;
  void runOnce() {
    std::function<void()> once;
    once.swap(work);
    if (once) once();
  }
};

std::shared_ptr<PendingWork>& pendingAtExit() {
  // Never destroyed: the exit handler may run after the static destructors.
  static auto* s_pending = new std::shared_ptr<PendingWork>();
  return *s_pending;
}

void finishAtExit() {
  if (pendingAtExit()) pendingAtExit()->runOnce();
}

std::function<void()> onceAfterRun(std::function<void()> work) {
  auto pending = std::make_shared<PendingWork>();
  pending->work = std::move(work);
  // A launch plans once; the exit handler is registered with the first plan
  // that leaves work and finds the latest plan's work.
  static bool s_registered = false;
  if (!s_registered) s_registered = std::atexit(finishAtExit) == 0;
  pendingAtExit() = pending;
  return [pending] { pending->runOnce(); };
}

// Removes the files of this installation's other keys, unless a launch that
// uses one of them is making it right now.
void removeStaleKeys(const std::string& folder, char separator, const std::string& installation,
                     const std::string& current, const ClassDataCacheLog& log) {
  std::map<std::string, std::vector<std::string>> staleFiles;  // by key
  for (const std::string& name : filesIn(folder)) {
    if (!startsWith(name, installation + "-") || startsWith(name, current + ".")) continue;
    const size_t dot = name.find('.');
    staleFiles[name.substr(0, dot)].push_back(name);
  }
  for (const auto& stale : staleFiles) {
    const std::string lockPath = folder + separator + stale.first + ".lock";
    FileLock lock = FileLock::tryExclusive(lockPath);
    if (!lock.held()) continue;
    for (const std::string& name : stale.second) {
      if (endsWith(name, ".lock")) continue;
      if (removeFile(folder + separator + name)) log("Class-data cache: removed the stale " + name);
    }
    removeFile(lockPath);
  }
}

}  // namespace

int javaFeatureVersion(const std::string& version) {
  size_t digits = 0;
  while (digits < version.size() && version[digits] >= '0' && version[digits] <= '9') ++digits;
  if (digits == 0 || digits > 4) return 0;
  int feature = std::atoi(version.substr(0, digits).c_str());
  if (feature == 1 && digits < version.size() && version[digits] == '.') return javaFeatureVersion(version.substr(2));
  return feature;
}

ClassDataCachePlan planClassDataCache(const ClassDataCacheRequest& request, const Platform& platform,
                                      const ClassDataCacheLog& log) {
  ClassDataCachePlan plan;
  if (request.setting != "auto") {
    if (!request.setting.empty() && request.setting != "off") {
      log("Class-data cache: off: \"" + request.setting + "\" is neither auto nor off");
    }
    return plan;
  }
  const char separator = platform.conventions->pathSeparator;
  const auto notUsed = [&](const std::string& reason) {
    log("Class-data cache: not used: " + reason);
    return ClassDataCachePlan();
  };

  // A runtime chosen by its library alone has no home in its record: the
  // home is the folder three levels above the library (lib/server/libjvm.so,
  // bin\server\jvm.dll).
  std::string javaHome = request.javaHome;
  if (javaHome.empty()) {
    javaHome = request.jvmLibraryPath;
    for (int level = 0; level < 3; ++level) {
      const size_t cut = javaHome.find_last_of("\\/");
      javaHome.resize(cut == std::string::npos ? 0 : cut);
    }
    if (javaHome.empty()) return notUsed("the runtime's home is not known");
  }
  const std::string version =
      request.runtimeVersion.empty() ? versionFromReleaseFile(platform, javaHome) : request.runtimeVersion;
  const int feature = javaFeatureVersion(version);
  const std::string javaProgram = javaHome + separator + "bin" + separator + (separator == '\\' ? "java.exe" : "java");
  Mechanism mechanism = Mechanism::kNone;
  if (feature >= 13 && fileStamp(javaProgram).exists) {
    mechanism = Mechanism::kClassList;
  } else if (feature >= 19) {
    mechanism = Mechanism::kAutoArchive;
  } else if (feature >= 13) {
    mechanism = Mechanism::kArchiveAtExit;
  }
  if (mechanism == Mechanism::kNone) return notUsed("the runtime's version \"" + version + "\" is before 13");

  std::string classPath;
  bool hasClassPath = false;
  std::vector<std::string> keyedOptions;
  for (const std::string& option : request.options) {
    if (managesClassData(option)) return notUsed("the option " + option + " manages class data itself");
    if (startsWith(option, kClassPathOption)) {
      classPath = option.substr(sizeof kClassPathOption - 1);
      hasClassPath = true;
    }
    if (isKeyed(option)) keyedOptions.push_back(option);
  }
  if (!hasClassPath || classPath.empty()) return notUsed("no class path is given");

  std::string key = "runtime " + javaHome + "\nversion " + version + "\nlibrary " + request.jvmLibraryPath + " " +
                    stampText(request.jvmLibraryPath) + "\nmain " + request.mainClass + "\nclass path\n";
  for (const std::string& element : split(classPath, platform.conventions->pathListSeparator)) {
    // The runtime archives classes from jars only; a folder may change unseen.
    if (fileStamp(element).isDirectory) return notUsed("the class path holds the folder " + element);
    key += element + " " + stampText(element) + "\n";
  }
  key += "options\n";
  for (const std::string& option : keyedOptions) key += option + "\n";

  const std::string base = userCacheFolder(*platform.environment);
  if (base.empty()) return notUsed("no cache folder for this user is known");
  const std::string folder = base + separator + programName(request.executablePath);
  if (!makeFolders(folder)) return notUsed("the folder " + folder + " cannot be made");

  const std::string installation = hex(fnv1a(request.executablePath + "\n" + request.mainClass));
  const std::string name = installation + "-" + hex(fnv1a(key));
  const std::string stem = folder + separator + name;
  const bool aheadOfTime = feature >= 24 && mechanism == Mechanism::kClassList;
  const std::string installed = stem + (aheadOfTime ? ".aot" : ".jsa");
  // The runtime's own messages about the cache stay out of the application's
  // output: a cache that cannot be used is simply not used.
  const std::string quiet = feature >= 24 ? "-Xlog:aot*=off,cds*=off" : "-Xlog:cds*=off";

  removeStaleKeys(folder, separator, installation, name, log);

  const std::string classList = stem + ".classlist.part";
  if (fileStamp(installed).exists) {
    // The list the cache was made from, once its maker has ended.
    if (fileStamp(classList).exists) {
      const FileLock noMaker = FileLock::tryExclusive(stem + ".lock");
      if (noMaker.held()) removeFile(classList);
    }
    log("Class-data cache: using " + installed);
    plan.jvmOptions = {quiet, (aheadOfTime ? "-XX:AOTCache=" : "-XX:SharedArchiveFile=") + installed};
    return plan;
  }

  FileLock lock = FileLock::tryExclusive(stem + ".lock");
  if (!lock.held()) return notUsed("another launch is making " + installed + " (or " + stem + ".lock cannot be made)");
  // What an earlier maker left half-way is of no use.
  const std::string made = installed + ".part";
  removeFile(made);
  removeFile(classList);
  // A runtime that cannot write its archive at exit ends with an error, so the
  // file it writes is tried first.
  const std::string& written = mechanism == Mechanism::kClassList ? classList : made;
  if (!makeEmptyFile(written)) return notUsed("cannot write " + written);
  removeFile(made);  // the runtime makes it; an empty one would count as made

  std::function<void()> work;
  auto heldLock = std::make_shared<FileLock>(std::move(lock));
  if (mechanism == Mechanism::kClassList) {
    log("Class-data cache: listing this run's classes into " + classList + " for " + installed);
    plan.jvmOptions = {quiet, "-XX:DumpLoadedClassList=" + classList};
    std::vector<std::string> dump = {javaProgram, "-Xshare:dump", "-XX:SharedClassListFile=" + classList,
                                     "-XX:SharedArchiveFile=" + made};
    if (aheadOfTime) dump.push_back("-XX:+AOTClassLinking");
    dump.insert(dump.end(), keyedOptions.begin(), keyedOptions.end());
    dump.push_back("-cp");
    dump.push_back(classPath);
    work = [dump, classList, installed, made, heldLock, log] {
      if (fileStamp(classList).size == 0) {
        log("Class-data cache: the runtime listed no classes; no cache made");
        return;
      }
      if (runThenInstall(dump, made, installed, std::move(*heldLock))) {
        log("Class-data cache: making " + installed + " from the class list with " + dump[0]);
      } else {
        log("Class-data cache: " + dump[0] + " does not start; no cache made");
      }
    };
  } else {
    log("Class-data cache: the runtime archives this run's classes into " + made + " for " + installed);
    if (mechanism == Mechanism::kAutoArchive) {
      plan.jvmOptions = {quiet, "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + made};
    } else {
      plan.jvmOptions = {quiet, "-XX:ArchiveClassesAtExit=" + made};
    }
    work = [made, installed, heldLock, log] {
      if (fileStamp(made).exists && replaceFile(made, installed)) {
        log("Class-data cache: installed " + installed);
      } else {
        log("Class-data cache: the runtime wrote no archive; none installed");
      }
      heldLock->release();
    };
  }
  plan.afterRun = onceAfterRun(std::move(work));
  return plan;
}
