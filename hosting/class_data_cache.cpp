#include "hosting/class_data_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "jvm/java_version.h"
#include "jvm/sources/java_home.h"
#include "platform/platform.h"
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
std::string stampText(const FileUpdates& files, const std::string& path) {
  const FileStamp stamp = files.stamp(path);
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

// Global for the atexit hook (finishAtExit), which takes no argument: the work
// of the latest plan. Never destroyed: the hook may run after the static
// destructors.
std::shared_ptr<PendingWork>& pendingAtExit() {
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
  // that leaves work and finds the latest plan's work. Global for the same
  // atexit hook: it is registered once per process.
  static bool s_registered = false;
  if (!s_registered) s_registered = std::atexit(finishAtExit) == 0;
  pendingAtExit() = pending;
  return [pending] { pending->runOnce(); };
}

// The key of a cache file's name: the text before its first dot.
std::string keyOf(const std::string& name) { return name.substr(0, name.find('.')); }

// The cache folder of this program, and the services it is reached through.
struct CacheFolder {
  const Platform& platform;
  std::string path;

  std::string of(const std::string& name) const { return path + platform.conventions->pathSeparator + name; }
  FileUpdates& files() const { return *platform.fileUpdates; }
  FileLocks& locks() const { return *platform.fileLocks; }
};

// Whether a launch is running on one of these files (a locked marker).
bool inUse(const CacheFolder& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name.find(kRunningMarker) == std::string::npos) continue;
    if (!folder.locks().tryExclusive(folder.of(name)).held()) return true;
  }
  return false;
}

// Removes NAMES from FOLDER unless a launch is making or using them; true when
// they went.
bool removeGroup(const CacheFolder& folder, const std::string& key, const std::vector<std::string>& names,
                 const std::string& words, const ClassDataCacheLog& log) {
  const std::string lockPath = folder.of(key + ".lock");
  FileLock lock = folder.locks().tryExclusive(lockPath);
  if (!lock.held() || inUse(folder, names)) return false;
  for (const std::string& name : names) {
    if (endsWith(name, ".lock")) continue;
    if (folder.files().removeFile(folder.of(name)) && (endsWith(name, ".jsa") || endsWith(name, ".aot"))) {
      log(cacheLine(words + name));
    }
  }
  folder.files().removeFile(lockPath);
  return true;
}

// The files of another installation of the program, under one key.
struct OtherInstallation {
  std::vector<std::string> names;
  std::int64_t lastUsed = 0;
  std::uint64_t size = 0;
};

// Removes the other installations' files unused for long, oldest first, and
// while the folder holds more than the cap.
void removeUnused(const CacheFolder& folder, std::map<std::string, OtherInstallation>& others, std::uint64_t folderSize,
                  const ClassDataCacheLog& log) {
  std::vector<std::pair<std::int64_t, std::string>> oldestFirst;
  for (const auto& other : others) oldestFirst.emplace_back(other.second.lastUsed, other.first);
  std::sort(oldestFirst.begin(), oldestFirst.end());
  const std::int64_t now = folder.platform.clock->nowSeconds();
  for (const auto& entry : oldestFirst) {
    const OtherInstallation& other = others[entry.second];
    if (now - entry.first <= kUnusedSeconds && folderSize <= kFolderCapBytes) break;
    if (removeGroup(folder, entry.second, other.names, message::kCacheRemovedUnused, log)) {
      folderSize -= std::min(folderSize, other.size);
    }
  }
}

// Removes the files of this installation's other keys, and those of other
// installations unused for long or beyond the folder's cap; never the files of
// a launch that is making or using them.
// Returns the names of the files of the key CURRENT.
std::vector<std::string> removeStaleFiles(const CacheFolder& folder, const std::string& installation,
                                          const std::string& current, const ClassDataCacheLog& log) {
  std::vector<std::string> currentFiles;
  std::map<std::string, std::vector<std::string>> ours;  // by key
  std::map<std::string, OtherInstallation> others;
  std::uint64_t folderSize = 0;
  for (const std::string& name : folder.files().filesIn(folder.path)) {
    const std::string key = keyOf(name);
    const FileStamp stamp = folder.files().stamp(folder.of(name));
    folderSize += stamp.size;
    if (startsWith(name, installation + "-")) {
      (key == current ? currentFiles : ours[key]).push_back(name);
      continue;
    }
    OtherInstallation& other = others[key];
    other.names.push_back(name);
    other.lastUsed = std::max(other.lastUsed, stamp.modifiedSeconds);
    other.size += stamp.size;
  }
  for (const auto& stale : ours) removeGroup(folder, stale.first, stale.second, message::kCacheRemovedStale, log);
  removeUnused(folder, others, folderSize, log);
  return currentFiles;
}

// Removes the marks of key NAME left by launches that died while they used
// its archive (NAMES: the key's files); true when there were any.
bool removeMarksOfDeadLaunches(const CacheFolder& folder, const std::string& name,
                               const std::vector<std::string>& names) {
  bool found = false;
  for (const std::string& marker : names) {
    if (!startsWith(marker, name + kRunningMarker)) continue;
    const std::string path = folder.of(marker);
    FileLock died = folder.locks().tryExclusive(path);
    if (!died.held()) continue;
    folder.files().removeFile(path);
    found = true;
  }
  return found;
}

// The runtime a launch starts, as far as the cache is concerned.
struct Runtime {
  std::string home;
  std::string version;
  int feature = 0;
  std::string javaProgram;  ///< bin/java, which may be missing
  Mechanism mechanism = Mechanism::kNone;
};

// The runtime of REQUEST, or why the cache cannot serve it.
Outcome<Runtime> describeRuntime(const ClassDataCacheRequest& request, const Platform& platform) {
  const char separator = platform.conventions->pathSeparator;
  Runtime runtime;
  // A runtime chosen by its library alone has no home in its record: the
  // home is the folder three levels above the library (lib/server/libjvm.so,
  // bin\server\jvm.dll).
  runtime.home = request.javaHome;
  if (runtime.home.empty()) {
    runtime.home = request.jvmLibraryPath;
    for (int level = 0; level < 3; ++level) {
      const size_t cut = runtime.home.find_last_of("\\/");
      runtime.home.resize(cut == std::string::npos ? 0 : cut);
    }
    if (runtime.home.empty()) return Outcome<Runtime>::failed(message::kCacheHomeUnknown);
  }
  runtime.version = request.runtimeVersion.empty()
                        ? releaseVersion(*platform.fileSystem, *platform.conventions, runtime.home).value_or("")
                        : request.runtimeVersion;
  runtime.feature = javaFeatureRelease(runtime.version).value_or(0);
  runtime.javaProgram = runtime.home + separator + "bin" + separator + (separator == '\\' ? "java.exe" : "java");
  if (runtime.feature >= 13 && platform.fileUpdates->stamp(runtime.javaProgram).exists) {
    runtime.mechanism = Mechanism::kClassList;
  } else if (runtime.feature >= 19) {
    runtime.mechanism = Mechanism::kAutoArchive;
  } else if (runtime.feature >= 13) {
    runtime.mechanism = Mechanism::kArchiveAtExit;
  }
  if (runtime.mechanism == Mechanism::kNone) {
    return Outcome<Runtime>::failed(message::kCacheVersionTooOld +
                                    (message::kCacheQuote + runtime.version + message::kCacheQuote));
  }
  return runtime;
}

// What the cache takes from the launch's options.
struct CachedOptions {
  std::string classPath;
  std::vector<std::string> keyed;  ///< those the runtime requires to match
};

// The class path and the keyed options, or why the cache stays out.
Outcome<CachedOptions> readOptions(const std::vector<std::string>& options) {
  CachedOptions read;
  bool hasClassPath = false;
  for (const std::string& option : options) {
    if (managesClassData(option)) return Outcome<CachedOptions>::failed(message::kCacheOptionManagesClassData + option);
    if (loadsNativeAgent(option)) return Outcome<CachedOptions>::failed(message::kCacheNativeAgent + option);
    if (setsClassPath(option)) {
      read.classPath = option.substr(sizeof kClassPathProperty);
      hasClassPath = true;
    }
    if (isKeyed(option)) read.keyed.push_back(option);
  }
  if (!hasClassPath) return Outcome<CachedOptions>::failed(message::kCacheNoClassPath);
  return read;
}

// The text whose hash names the cache's files: all that the runtime requires
// to be as it was when it made them. Or why no archive can be made.
Outcome<std::string> keyText(const ClassDataCacheRequest& request, const Runtime& runtime, const CachedOptions& options,
                             const Platform& platform) {
  const FileUpdates& files = *platform.fileUpdates;
  std::string key = "runtime " + runtime.home + "\nversion " + runtime.version + "\nlibrary " + request.jvmLibraryPath +
                    " " + stampText(files, request.jvmLibraryPath) + "\nmechanism " +
                    std::to_string(static_cast<int>(runtime.mechanism)) + "\nmain " + request.mainClass +
                    "\nclass path\n";
  // An empty class path: the application's classes all lie in the runtime image.
  const std::vector<std::string> elements = options.classPath.empty()
                                                ? std::vector<std::string>()
                                                : split(options.classPath, platform.conventions->pathListSeparator);
  for (const std::string& element : elements) {
    if (element.empty()) return Outcome<std::string>::failed(message::kCacheEmptyClassPathElement);
    // The runtime archives classes from jars only; a folder may change unseen.
    if (files.stamp(element).isDirectory)
      return Outcome<std::string>::failed(message::kCacheFolderOnClassPath + element);
    key += element + " " + stampText(files, element) + "\n";
  }
  key += "options\n";
  for (const std::string& option : options.keyed) key += option + "\n";
  return key;
}

// The program's folder below the user's cache folder, made for the user
// alone; or why there is none.
Outcome<std::string> programFolder(const std::string& executablePath, const Platform& platform) {
  const Outcome<std::string> base = platform.userCacheFolder->path();
  if (!base) return Outcome<std::string>::failed(message::kCacheNoUserFolder);
  const std::string folder = *base + platform.conventions->pathSeparator + programName(executablePath);
  if (!platform.fileUpdates->makeFolders(folder))
    return Outcome<std::string>::failed(message::kCacheFolderNotMade + folder);
  // Another user's folder, or one others may write, may hold their code.
  if (!platform.fileUpdates->isPrivateToUser(folder)) {
    return Outcome<std::string>::failed(message::kCacheFolderNotPrivate + folder);
  }
  return folder;
}

// The files of one key in the cache folder.
struct KeyFiles {
  std::string name;  ///< the installation and the key's hash
  std::string stem;  ///< the folder and NAME
  std::string installed;
  std::string stamp;
  std::string failed;
  std::string lock;
  std::string classList;
  std::string made;  ///< INSTALLED until it is complete
  bool aheadOfTime = false;
  /// The runtime's own messages about the cache stay out of the application's
  /// output: a cache that cannot be used is simply not used.
  std::string quiet;
};

KeyFiles keyFiles(const CacheFolder& folder, const std::string& name, const Runtime& runtime) {
  KeyFiles files;
  files.name = name;
  files.stem = folder.of(name);
  files.aheadOfTime = runtime.feature >= 24 && runtime.mechanism == Mechanism::kClassList;
  files.installed = files.stem + (files.aheadOfTime ? ".aot" : ".jsa");
  files.stamp = files.stem + ".stamp";
  files.failed = files.stem + ".failed";
  files.lock = files.stem + ".lock";
  files.classList = files.stem + ".classlist.part";
  files.made = files.installed + ".part";
  files.quiet = runtime.feature >= 24 ? "-Xlog:aot*=off,cds*=off" : "-Xlog:cds*=off";
  return files;
}

// Why the archive FILES.installed may not be used; nothing when it may.
std::optional<std::string> reasonToDrop(const CacheFolder& folder, const KeyFiles& files,
                                        const std::vector<std::string>& names) {
  FileStamp recorded;
  const Outcome<std::string> text = folder.files().readSmallFile(files.stamp, kStampFileLimit);
  if (!text || !parseFileStamp(*text, &recorded)) return std::string(message::kCacheNoStamp);
  if (!sameFileState(folder.files().stamp(files.installed), recorded)) return std::string(message::kCacheChanged);
  if (!folder.files().isPrivateToUser(files.installed)) return std::string(message::kCacheNotPrivate);
  if (removeMarksOfDeadLaunches(folder, files.name, names)) return std::string(message::kCacheLaunchDied);
  return std::nullopt;
}

// The launch uses the complete archive of its key.
ClassDataCachePlan useArchive(const CacheFolder& folder, const KeyFiles& files, const ClassDataCacheLog& log) {
  // Cleared once the runtime has ended, or at exit: a launch that dies of
  // a signal or a fatal error leaves it behind.
  const std::string marker = files.stem + kRunningMarker + std::to_string(folder.platform.processes->currentId());
  auto running = std::make_shared<FileLock>(folder.locks().tryExclusive(marker));
  const FileStamp stampFile = folder.files().stamp(files.stamp);
  if (folder.platform.clock->nowSeconds() - stampFile.modifiedSeconds > kUseDatedEverySeconds) {
    folder.files().touchFile(files.stamp);
  }
  log(cacheLine(message::kCacheUsing + files.installed));
  ClassDataCachePlan plan;
  plan.jvmOptions = {files.quiet, (files.aheadOfTime ? "-XX:AOTCache=" : "-XX:SharedArchiveFile=") + files.installed};
  if (running->held()) {
    FileUpdates* updates = &folder.files();
    plan.afterRun = onceAfterRun([updates, running, marker] {
      updates->removeFile(marker);
      running->release();
    });
  }
  return plan;
}

// Removes an archive that may not be used, unless a maker holds it; or why not.
Done dropArchive(const CacheFolder& folder, const KeyFiles& files, const std::string& reason,
                 const ClassDataCacheLog& log) {
  FileLock maker = folder.locks().tryExclusive(files.lock);
  // Between its rename and its stamp, a maker's archive has no stamp yet.
  if (!maker.held()) return Done::failed(message::kCacheBeingMade + files.installed);
  folder.files().removeFile(files.stamp);
  if (!folder.files().removeFile(files.installed)) return Done::failed(message::kCacheCannotRemove + files.installed);
  log(cacheLine(message::kCacheDropped + files.installed + message::kCacheBecause + reason));
  return Done();
}

// After a run that listed its classes: bin/java archives them in the background.
std::function<void()> archiveListedClasses(const CacheFolder& folder, const KeyFiles& files, const Runtime& runtime,
                                           const CachedOptions& options, const std::shared_ptr<FileLock>& heldLock,
                                           const ClassDataCacheLog& log) {
  BackgroundInstall dump;
  dump.argv = {runtime.javaProgram, "-Xshare:dump", "-XX:SharedClassListFile=" + files.classList,
               "-XX:SharedArchiveFile=" + files.made};
  if (files.aheadOfTime) dump.argv.push_back("-XX:+AOTClassLinking");
  dump.argv.insert(dump.argv.end(), options.keyed.begin(), options.keyed.end());
  dump.argv.push_back("-cp");
  dump.argv.push_back(options.classPath);
  dump.made = files.made;
  dump.installed = files.installed;
  dump.stamp = files.stamp;
  dump.failed = files.failed;
  dump.input = files.classList;
  FileUpdates* updates = &folder.files();
  Processes* processes = folder.platform.processes;
  return [dump, updates, processes, heldLock, log] {
    if (updates->stamp(dump.input).size == 0) {
      // A run that listed nothing: the runtime could not list its classes.
      updates->removeFile(dump.input);
      updates->makeEmptyFile(dump.failed);
      log(cacheLine(message::kCacheListedNothing));
      return;
    }
    if (processes->runThenInstall(dump, std::move(*heldLock))) {
      log(cacheLine(message::kCacheMaking + dump.installed + message::kCacheFromList + dump.argv[0]));
    } else {
      log(cacheLine(dump.argv[0] + message::kCacheDoesNotStart));
    }
  };
}

// After a run that archived its classes at exit: the archive is installed.
std::function<void()> installArchive(const CacheFolder& folder, const KeyFiles& files,
                                     const std::shared_ptr<FileLock>& heldLock, const ClassDataCacheLog& log) {
  FileUpdates* updates = &folder.files();
  return [updates, files, heldLock, log] {
    if (updates->stamp(files.made).size == 0) {
      updates->removeFile(files.made);
      updates->makeEmptyFile(files.failed);
      log(cacheLine(message::kCacheNothingWritten));
    } else if (updates->restrictToUser(files.made) && updates->replaceFile(files.made, files.installed) &&
               updates->recordFileStamp(files.installed, files.stamp)) {
      log(cacheLine(message::kCacheInstalled + files.installed));
    } else {
      updates->removeFile(files.made);
      updates->removeFile(files.installed);
    }
    heldLock->release();
  };
}

// This launch makes the archive of its key; or why not.
Outcome<ClassDataCachePlan> makeArchive(const CacheFolder& folder, const KeyFiles& files, const Runtime& runtime,
                                        const CachedOptions& options, const std::vector<std::string>& names,
                                        const ClassDataCacheLog& log) {
  using Made = Outcome<ClassDataCachePlan>;
  FileLock lock = folder.locks().tryExclusive(files.lock);
  if (!lock.held()) {
    return Made::failed(message::kCacheBeingMade + files.installed + message::kCacheLockOpen + files.lock +
                        message::kCacheLockClose);
  }
  // What an earlier maker left half-way is of no use, nor marks that would
  // count against the new archive.
  removeMarksOfDeadLaunches(folder, files.name, names);
  FileUpdates& updates = folder.files();
  updates.removeFile(files.made);
  updates.removeFile(files.classList);
  updates.removeFile(files.stamp);
  // A runtime that cannot write its archive at exit ends with an error, so the
  // file it writes is tried first.
  const std::string& written = runtime.mechanism == Mechanism::kClassList ? files.classList : files.made;
  if (!updates.makeEmptyFile(written)) return Made::failed(message::kCacheCannotWrite + written);
  updates.removeFile(files.made);  // the runtime makes it; an empty one would count as made

  ClassDataCachePlan plan;
  auto heldLock = std::make_shared<FileLock>(std::move(lock));
  if (runtime.mechanism == Mechanism::kClassList) {
    log(cacheLine(message::kCacheListing + files.classList + message::kCacheFor + files.installed));
    plan.jvmOptions = {files.quiet, "-XX:DumpLoadedClassList=" + files.classList};
    plan.afterRun = onceAfterRun(archiveListedClasses(folder, files, runtime, options, heldLock, log));
    return plan;
  }
  log(cacheLine(message::kCacheArchivingAtExit + files.made + message::kCacheFor + files.installed));
  if (runtime.mechanism == Mechanism::kAutoArchive) {
    plan.jvmOptions = {files.quiet, "-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + files.made};
  } else {
    plan.jvmOptions = {files.quiet, "-XX:ArchiveClassesAtExit=" + files.made};
  }
  plan.afterRun = onceAfterRun(installArchive(folder, files, heldLock, log));
  return plan;
}

}  // namespace

ClassDataCachePlan planClassDataCache(const ClassDataCacheRequest& request, const Platform& platform,
                                      const ClassDataCacheLog& log) {
  if (request.setting != "auto") {
    if (!request.setting.empty() && request.setting != "off") {
      log(cacheLine(message::kCacheOff + request.setting + message::kCacheNeitherAutoNorOff));
    }
    return ClassDataCachePlan();
  }
  const auto notUsed = [&](const std::string& reason) {
    log(cacheLine(message::kCacheNotUsed + reason));
    return ClassDataCachePlan();
  };
  const Outcome<Runtime> runtime = describeRuntime(request, platform);
  if (!runtime) return notUsed(runtime.why());
  const Outcome<CachedOptions> options = readOptions(request.options);
  if (!options) return notUsed(options.why());
  const Outcome<std::string> key = keyText(request, *runtime, *options, platform);
  if (!key) return notUsed(key.why());
  const Outcome<std::string> folderPath = programFolder(request.executablePath, platform);
  if (!folderPath) return notUsed(folderPath.why());

  const CacheFolder folder{platform, *folderPath};
  const std::string installation = hex(fnv1a(request.executablePath + "\n" + request.mainClass));
  const KeyFiles files = keyFiles(folder, installation + "-" + hex(fnv1a(*key)), *runtime);
  const std::vector<std::string> names = removeStaleFiles(folder, installation, files.name, log);
  if (folder.files().stamp(files.failed).exists) return notUsed(message::kCacheFailedBefore + files.installed);
  if (folder.files().stamp(files.installed).exists) {
    // Checked before the runtime maps it: a damaged archive can crash the
    // runtime, and the runtime's own check of its contents costs every launch
    // a pass over the whole file.
    const std::optional<std::string> reason = reasonToDrop(folder, files, names);
    if (!reason) return useArchive(folder, files, log);
    const Done dropped = dropArchive(folder, files, *reason, log);
    if (!dropped) return notUsed(dropped.why());
  }
  Outcome<ClassDataCachePlan> made = makeArchive(folder, files, *runtime, *options, names, log);
  if (!made) return notUsed(made.why());
  return std::move(made).value();
}
