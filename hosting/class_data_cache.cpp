#include "hosting/class_data_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <utility>

#include "platform/background_process.h"
#include "platform/file_lock.h"
#include "platform/file_updates.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/user_cache_folder.h"
#include "report/messages.h"
#include "report/words.h"
#include "text/ascii_text.h"

namespace {

/// Whether OPTION is the class path as the runtime receives it ("-Djava.class.path=...").
bool setsClassPath(const std::string& option) {
  return startsWith(option, kClassPathProperty) && option.size() > sizeof kClassPathProperty - 1 &&
         option[sizeof kClassPathProperty - 1] == '=';
}

// A launch that uses an archive holds a locked file of this name (and its
// process number) until its runtime has ended; one found unlocked is of a
// launch that died while the archive was in use.
const char kRunningMarker[] = ".run-";
// Archives of the program's other installations (a former install path)
// go when unused for this long, or, oldest first, while the folder holds
// more than the cap.
const std::int64_t kUnusedSeconds = 30LL * 24 * 60 * 60;
const std::uint64_t kFolderCapBytes = 512ULL * 1024 * 1024;
// How often the stamp of an archive in use is touched, which dates its last use.
const std::int64_t kUseDatedEverySeconds = 24LL * 60 * 60;
const std::size_t kStampFileLimit = 4096;

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

std::string cacheLine(const std::string& text) { return message::kCacheLine + text; }

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

// A native agent: the runtime refuses to archive classes while one is loaded
// (and bin/java, given the agent to match the options, would start it again).
bool loadsNativeAgent(const std::string& option) {
  return startsWith(option, "-agentlib:") || startsWith(option, "-agentpath:") || startsWith(option, "-Xrun");
}

// Options the runtime requires to be the same when it reads class data as
// when it made them: everything but system properties, logging and the class
// path (keyed by its files). The few properties that change how classes are
// found count.
bool isKeyed(const std::string& option) {
  if (setsClassPath(option)) return false;
  if (startsWith(option, "-D")) {
    return startsWith(option, "-Djava.system.class.loader=") || startsWith(option, "-Djdk.module.") ||
           startsWith(option, "-Djava.security.manager");
  }
  return !startsWith(option, "-Xlog") && !startsWith(option, "-verbose");
}

// A jar's part of the key: besides size and time, what a copy or an unpacked
// update cannot keep the same.
std::string stampText(const std::string& path) {
  const FileStamp stamp = fileStamp(path);
  if (!stamp.exists) return "missing";
  return std::to_string(stamp.size) + " " + std::to_string(stamp.modified) + " " + std::to_string(stamp.changed) + " " +
         std::to_string(stamp.volume) + " " + std::to_string(stamp.fileId);
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

// The key of a cache file's name: the text before its first dot.
std::string keyOf(const std::string& name) { return name.substr(0, name.find('.')); }

// Whether a launch is running on one of these files (a locked marker).
bool inUse(const std::string& folder, char separator, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name.find(kRunningMarker) == std::string::npos) continue;
    if (!FileLock::tryExclusive(folder + separator + name).held()) return true;
  }
  return false;
}

// Removes NAMES from FOLDER unless a launch is making or using them; true when
// they went.
bool removeGroup(const std::string& folder, char separator, const std::string& key,
                 const std::vector<std::string>& names, const std::string& words, const ClassDataCacheLog& log) {
  const std::string lockPath = folder + separator + key + ".lock";
  FileLock lock = FileLock::tryExclusive(lockPath);
  if (!lock.held() || inUse(folder, separator, names)) return false;
  for (const std::string& name : names) {
    if (endsWith(name, ".lock")) continue;
    if (removeFile(folder + separator + name) && (endsWith(name, ".jsa") || endsWith(name, ".aot"))) {
      log(cacheLine(words + name));
    }
  }
  removeFile(lockPath);
  return true;
}

// Removes the files of this installation's other keys, and those of other
// installations unused for long or beyond the folder's cap; never the files of
// a launch that is making or using them.
// Returns the names of the files of the key CURRENT.
std::vector<std::string> removeStaleFiles(const std::string& folder, char separator, const std::string& installation,
                                          const std::string& current, const ClassDataCacheLog& log) {
  std::vector<std::string> currentFiles;
  std::map<std::string, std::vector<std::string>> ours;  // by key
  struct Other {
    std::vector<std::string> names;
    std::int64_t lastUsed = 0;
    std::uint64_t size = 0;
  };
  std::map<std::string, Other> others;
  std::uint64_t folderSize = 0;
  for (const std::string& name : filesIn(folder)) {
    const std::string key = keyOf(name);
    const FileStamp stamp = fileStamp(folder + separator + name);
    folderSize += stamp.size;
    if (startsWith(name, installation + "-")) {
      (key == current ? currentFiles : ours[key]).push_back(name);
      continue;
    }
    Other& other = others[key];
    other.names.push_back(name);
    other.lastUsed = std::max(other.lastUsed, stamp.modifiedSeconds);
    other.size += stamp.size;
  }
  for (const auto& stale : ours)
    removeGroup(folder, separator, stale.first, stale.second, message::kCacheRemovedStale, log);

  std::vector<std::pair<std::int64_t, std::string>> oldestFirst;
  for (const auto& other : others) oldestFirst.emplace_back(other.second.lastUsed, other.first);
  std::sort(oldestFirst.begin(), oldestFirst.end());
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  for (const auto& entry : oldestFirst) {
    const Other& other = others[entry.second];
    if (now - entry.first <= kUnusedSeconds && folderSize <= kFolderCapBytes) break;
    if (removeGroup(folder, separator, entry.second, other.names, message::kCacheRemovedUnused, log)) {
      folderSize -= std::min(folderSize, other.size);
    }
  }
  return currentFiles;
}

// Removes the marks of key NAME left by launches that died while they used
// its archive (NAMES: the key's files); true when there were any.
bool removeMarksOfDeadLaunches(const std::string& folder, char separator, const std::string& name,
                               const std::vector<std::string>& names) {
  bool found = false;
  for (const std::string& marker : names) {
    if (!startsWith(marker, name + kRunningMarker)) continue;
    const std::string path = folder + separator + marker;
    FileLock died = FileLock::tryExclusive(path);
    if (!died.held()) continue;
    removeFile(path);
    found = true;
  }
  return found;
}

// Why the archive INSTALLED may not be used, or "" when it may.
std::string reasonToDrop(const std::string& folder, char separator, const std::string& name,
                         const std::string& installed, const std::string& stampPath,
                         const std::vector<std::string>& names) {
  std::string text;
  FileStamp recorded;
  if (!readSmallFile(stampPath, kStampFileLimit, &text) || !parseFileStamp(text, &recorded)) {
    return message::kCacheNoStamp;
  }
  if (!sameFileState(fileStamp(installed), recorded)) return message::kCacheChanged;
  if (!isPrivateToUser(installed)) return message::kCacheNotPrivate;
  if (removeMarksOfDeadLaunches(folder, separator, name, names)) return message::kCacheLaunchDied;
  return std::string();
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
      log(cacheLine(message::kCacheOff + request.setting + message::kCacheNeitherAutoNorOff));
    }
    return plan;
  }
  const char separator = platform.conventions->pathSeparator;
  const auto notUsed = [&](const std::string& reason) {
    log(cacheLine(message::kCacheNotUsed + reason));
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
    if (javaHome.empty()) return notUsed(message::kCacheHomeUnknown);
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
  if (mechanism == Mechanism::kNone) return notUsed(message::kCacheVersionTooOld + ("\"" + version + "\""));

  std::string classPath;
  bool hasClassPath = false;
  std::vector<std::string> keyedOptions;
  for (const std::string& option : request.options) {
    if (managesClassData(option)) return notUsed(message::kCacheOptionManagesClassData + option);
    if (loadsNativeAgent(option)) return notUsed(message::kCacheNativeAgent + option);
    if (setsClassPath(option)) {
      classPath = option.substr(sizeof kClassPathProperty);
      hasClassPath = true;
    }
    if (isKeyed(option)) keyedOptions.push_back(option);
  }
  if (!hasClassPath) return notUsed(message::kCacheNoClassPath);

  std::string key = "runtime " + javaHome + "\nversion " + version + "\nlibrary " + request.jvmLibraryPath + " " +
                    stampText(request.jvmLibraryPath) + "\nmechanism " + std::to_string(static_cast<int>(mechanism)) +
                    "\nmain " + request.mainClass + "\nclass path\n";
  // An empty class path: the application's classes all lie in the runtime image.
  const std::vector<std::string> elements =
      classPath.empty() ? std::vector<std::string>() : split(classPath, platform.conventions->pathListSeparator);
  for (const std::string& element : elements) {
    if (element.empty()) return notUsed(message::kCacheEmptyClassPathElement);
    // The runtime archives classes from jars only; a folder may change unseen.
    if (fileStamp(element).isDirectory) return notUsed(message::kCacheFolderOnClassPath + element);
    key += element + " " + stampText(element) + "\n";
  }
  key += "options\n";
  for (const std::string& option : keyedOptions) key += option + "\n";

  const std::string base = userCacheFolder(*platform.environment);
  if (base.empty()) return notUsed(message::kCacheNoUserFolder);
  const std::string folder = base + separator + programName(request.executablePath);
  if (!makeFolders(folder)) return notUsed(message::kCacheFolderNotMade + folder);
  // Another user's folder, or one others may write, may hold their code.
  if (!isPrivateToUser(folder)) return notUsed(message::kCacheFolderNotPrivate + folder);

  const std::string installation = hex(fnv1a(request.executablePath + "\n" + request.mainClass));
  const std::string name = installation + "-" + hex(fnv1a(key));
  const std::string stem = folder + separator + name;
  const bool aheadOfTime = feature >= 24 && mechanism == Mechanism::kClassList;
  const std::string installed = stem + (aheadOfTime ? ".aot" : ".jsa");
  const std::string stampPath = stem + ".stamp";
  const std::string failed = stem + ".failed";
  // The runtime's own messages about the cache stay out of the application's
  // output: a cache that cannot be used is simply not used.
  const std::string quiet = feature >= 24 ? "-Xlog:aot*=off,cds*=off" : "-Xlog:cds*=off";

  const std::vector<std::string> names = removeStaleFiles(folder, separator, installation, name, log);
  if (fileStamp(failed).exists) return notUsed(message::kCacheFailedBefore + installed);

  const std::string classList = stem + ".classlist.part";
  if (fileStamp(installed).exists) {
    // Checked before the runtime maps it: a damaged archive can crash the
    // runtime, and the runtime's own check of its contents costs every launch
    // a pass over the whole file.
    const std::string reason = reasonToDrop(folder, separator, name, installed, stampPath, names);
    if (reason.empty()) {
      // Cleared once the runtime has ended, or at exit: a launch that dies of
      // a signal or a fatal error leaves it behind.
      const std::string marker = stem + kRunningMarker + std::to_string(currentProcessId());
      auto running = std::make_shared<FileLock>(FileLock::tryExclusive(marker));
      const FileStamp stampFile = fileStamp(stampPath);
      if (static_cast<std::int64_t>(std::time(nullptr)) - stampFile.modifiedSeconds > kUseDatedEverySeconds) {
        touchFile(stampPath);
      }
      log(cacheLine(message::kCacheUsing + installed));
      plan.jvmOptions = {quiet, (aheadOfTime ? "-XX:AOTCache=" : "-XX:SharedArchiveFile=") + installed};
      if (running->held()) {
        plan.afterRun = onceAfterRun([running, marker] {
          removeFile(marker);
          running->release();
        });
      }
      return plan;
    }
    FileLock maker = FileLock::tryExclusive(stem + ".lock");
    // Between its rename and its stamp, a maker's archive has no stamp yet.
    if (!maker.held()) return notUsed(message::kCacheBeingMade + installed);
    removeFile(stampPath);
    if (!removeFile(installed)) return notUsed(message::kCacheCannotRemove + installed);
    log(cacheLine(message::kCacheDropped + installed + message::kCacheBecause + reason));
  }

  FileLock lock = FileLock::tryExclusive(stem + ".lock");
  if (!lock.held()) return notUsed(message::kCacheBeingMade + installed + " (" + stem + ".lock)");
  // What an earlier maker left half-way is of no use, nor marks that would
  // count against the new archive.
  removeMarksOfDeadLaunches(folder, separator, name, names);
  const std::string made = installed + ".part";
  removeFile(made);
  removeFile(classList);
  removeFile(stampPath);
  // A runtime that cannot write its archive at exit ends with an error, so the
  // file it writes is tried first.
  const std::string& written = mechanism == Mechanism::kClassList ? classList : made;
  if (!makeEmptyFile(written)) return notUsed(message::kCacheCannotWrite + written);
  removeFile(made);  // the runtime makes it; an empty one would count as made

  std::function<void()> work;
  auto heldLock = std::make_shared<FileLock>(std::move(lock));
  if (mechanism == Mechanism::kClassList) {
    log(cacheLine(message::kCacheListing + classList + message::kCacheFor + installed));
    plan.jvmOptions = {quiet, "-XX:DumpLoadedClassList=" + classList};
    BackgroundInstall dump;
    dump.argv = {javaProgram, "-Xshare:dump", "-XX:SharedClassListFile=" + classList, "-XX:SharedArchiveFile=" + made};
    if (aheadOfTime) dump.argv.push_back("-XX:+AOTClassLinking");
    dump.argv.insert(dump.argv.end(), keyedOptions.begin(), keyedOptions.end());
    dump.argv.push_back("-cp");
    dump.argv.push_back(classPath);
    dump.made = made;
    dump.installed = installed;
    dump.stamp = stampPath;
    dump.failed = failed;
    dump.input = classList;
    work = [dump, heldLock, log] {
      if (fileStamp(dump.input).size == 0) {
        // A run that listed nothing: the runtime could not list its classes.
        removeFile(dump.input);
        makeEmptyFile(dump.failed);
        log(cacheLine(message::kCacheListedNothing));
        return;
      }
      if (runThenInstall(dump, std::move(*heldLock))) {
        log(cacheLine(message::kCacheMaking + dump.installed + message::kCacheFromList + dump.argv[0]));
      } else {
        log(cacheLine(dump.argv[0] + message::kCacheDoesNotStart));
      }
    };
  } else {
    log(cacheLine(message::kCacheArchivingAtExit + made + message::kCacheFor + installed));
    if (mechanism == Mechanism::kAutoArchive) {
      plan.jvmOptions = {quiet, "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + made};
    } else {
      plan.jvmOptions = {quiet, "-XX:ArchiveClassesAtExit=" + made};
    }
    work = [made, installed, stampPath, failed, heldLock, log] {
      if (fileStamp(made).size == 0) {
        removeFile(made);
        makeEmptyFile(failed);
        log(cacheLine(message::kCacheNothingWritten));
      } else if (restrictToUser(made) && replaceFile(made, installed) && recordFileStamp(installed, stampPath)) {
        log(cacheLine(message::kCacheInstalled + installed));
      } else {
        removeFile(made);
        removeFile(installed);
      }
      heldLock->release();
    };
  }
  plan.afterRun = onceAfterRun(std::move(work));
  return plan;
}
