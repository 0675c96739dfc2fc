#ifndef VEXIL_HOSTING_CLASS_DATA_CACHE_H_
#define VEXIL_HOSTING_CLASS_DATA_CACHE_H_

#include <functional>
#include <string>
#include <vector>

struct Platform;

/// What the class-data cache needs to know of a launch.
struct ClassDataCacheRequest {
  std::string setting;         ///< the value of vexil.startup.cache: "auto" keeps a cache
  std::string executablePath;  ///< names the cache folder; tells installations apart
  std::string mainClass;
  std::string javaHome;              ///< of the chosen runtime
  std::string jvmLibraryPath;        ///< of the chosen runtime
  std::string runtimeVersion;        ///< of the chosen runtime; read from its "release" file when empty
  std::vector<std::string> options;  ///< the JVM options as the runtime receives them, class path merged
};

/// What a launch does for the cache.
struct ClassDataCachePlan {
  /// To go before the configured options, so that a configured -Xlog still
  /// shows the runtime's own messages about the cache.
  std::vector<std::string> jvmOptions;
  /// To run once the runtime has ended: installs the archive the run made,
  /// starts making the cache from what it recorded, or clears the launch's
  /// mark on the archive it used. Runs at most once; if the application ends
  /// the process itself (System.exit), it runs at exit.
  std::function<void()> afterRun;
};

/// Says what was done, for the debug file.
using ClassDataCacheLog = std::function<void(const std::string&)>;

/// Plans the launch's use of the per-user class-data cache of this program
/// (its folder is named after the executable, below the user's cache folder;
/// a file's name is keyed by the runtime, the class path's jars and the
/// options the runtime requires to match). Uses a complete cache when there is
/// one and it is as its stamp says it was made, the user's alone, and not in
/// use by a launch that died; otherwise this launch makes it with the best
/// mechanism of the runtime, unless another launch is making it or an earlier
/// try failed. Never fails: whatever stands in the way (no setting, an old
/// runtime, no writable folder, a class path the runtime cannot archive)
/// leaves the plan empty and the launch as it would be without. Removes the
/// files of this installation's stale keys, and those of other installations
/// unused for long.
ClassDataCachePlan planClassDataCache(const ClassDataCacheRequest& request, const Platform& platform,
                                      const ClassDataCacheLog& log);

#endif  // VEXIL_HOSTING_CLASS_DATA_CACHE_H_
