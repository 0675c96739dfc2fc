#ifndef VEXIL_REPORT_MESSAGES_H_
#define VEXIL_REPORT_MESSAGES_H_

// Header only: a table of texts.

// Every text the launcher shows the user, in one place. A report is the
// heading, a space and one of the texts below; a text that ends in a space or
// a colon is followed by the name it is about. Tests compare reports with
// these texts as written, so change a text here and nowhere else.

#include <string>

namespace message {

/// The first words of every report; shown alone when no step knows more.
inline constexpr char kHeading[] = "Error in Java launcher.";

// Entry points and the launch sequence.
inline constexpr char kReadingCommandLineArguments[] = "Error reading command-line arguments";

// The configuration record and its file.
// The path follows, then the system's reason on the next line.
inline constexpr char kCouldNotOpenFile[] = "Could not open file ";
// Why kCouldNotOpenFile, on the line after it; the system's own words when it
// gives them.
inline constexpr char kIsAFolder[] = "It is a folder, not a file.";
inline constexpr char kIsAPipe[] = "It is a named pipe (FIFO), not a file.";
inline constexpr char kIsADevice[] = "It is a device, not a file.";
inline constexpr char kIsNotAFile[] = "It is not a regular file.";
inline constexpr char kIsLargerThan[] = "It is larger than ";  // the limit, then kMebibytes
inline constexpr char kMebibytes[] = " MiB, more than a configuration file can be.";
inline constexpr char kGettingConfigurationFileName[] = "Error getting configuration file name.";
inline constexpr char kLoadingConfigurationFile[] = "Error loading properties from configuration file.";
// Follows the file's path on the line after kLoadingConfigurationFile.
inline constexpr char kSavedAsUtf16[] = " is saved as UTF-16 (Unicode): save it as UTF-8 or ANSI.";
// Follows kGettingConfigurationFileName on the next line, then the system's reason.
inline constexpr char kProgramPathUnknown[] = "The path of this program is unknown: ";
inline constexpr char kAddingJars[] = "Error adding jars to classpath.";
// After a path on the line after kAddingJars or kLaunchingProgram: the path
// cannot be an entry of a path list, which that character separates.
inline constexpr char kHoldsListSeparator[] = " holds the character that separates the entries of a path list: ";
inline constexpr char kGettingVariableValue[] = "Error getting value from property variable.";

// The runtime record and the selection.
inline constexpr char kBundleNotSet[] = "Java bundle must be set before adjusting comparable version";
inline constexpr char kJvmDirNotSet[] = "Bin Jvm Dir must be set before adjusting the comparable version.";
inline constexpr char kBundleWishNotCorrect[] = "Desired Java bundle settings are not correct.";
inline constexpr char kJvmTypeWishNotCorrect[] = "Desired JVM settings are not correct.";
inline constexpr char kJavaHomeNotSet[] = "Java home path must be determined before the JRE path can be determined.";
inline constexpr char kOpeningRegistryKey[] = "Error opening registry key ";
inline constexpr char kRegistryValueName[] = ", value name ";
inline constexpr char kNoAcceptableJvm[] = "No acceptable JVMs were found.";
inline constexpr char kJvmFileNotFound[] = "This JVM file could not be found: ";
inline constexpr char kServerJvmNotFound[] = "The server JVM could not be found for Java home: ";
inline constexpr char kClientJvmNotFound[] = "The client JVM could not be found for Java home: ";
inline constexpr char kNoJvmForJavaHome[] = "A JVM could not be found for Java home: ";
inline constexpr char kUnknownSearchGroup[] = "vexil.java.search takes registry, environment, folders and path, not: ";

// What the selection says about a runtime it turned down, or a configured
// library it could not use, on the lines after the first of its report.
inline constexpr char kWrongMachineFound[] = "It is there, but ";
inline constexpr char kRuntimeIs[] = "the runtime is ";
inline constexpr char kAndThisLauncherIs[] = " and this launcher is ";
inline constexpr char kTooOld[] = "too old, the minimum is ";
inline constexpr char kTooNew[] = "too new, the maximum is ";
inline constexpr char kNotADevelopmentKit[] = "not a development kit";
inline constexpr char kNotARuntimeEnvironment[] = "not a runtime environment";
inline constexpr char kNotTheServerJvm[] = "not the server JVM";
inline constexpr char kNotTheClientJvm[] = "not the client JVM";
inline constexpr char kNoJvmLibrary[] = "no client or server JVM library in ";
inline constexpr char kMachineX86[] = "32-bit (x86)";
inline constexpr char kMachineX64[] = "64-bit (x64)";
inline constexpr char kMachineArm64[] = "64-bit (ARM64)";
inline constexpr char kMachineOther[] = "made for another processor";
inline constexpr char kMachineUnknown[] = "of an unknown kind";

// Hosting the runtime.
inline constexpr char kLaunchingProgram[] = "Error while launching program with JVM.";
inline constexpr char kCannotCreateJavaVm[] = "Cannot create Java VM.";
inline constexpr char kCannotFindMainClass[] = "Cannot find main Java class ";
// The cause of kCannotFindMainClass when the configuration names no class.
inline constexpr char kMainClassNotSet[] = "vexil.main.class is not set in the configuration file.";
inline constexpr char kCannotFindMainMethod[] = "Cannot find main method in Java class";
inline constexpr char kCreatingArgumentArray[] = "Error creating new object array to hold command line arguments.";
inline constexpr char kCannotCatchConsoleEvents[] = "Unable to catch console ctrl events";
// The cause of kLaunchingProgram when an option holds a path the runtime's
// code page lacks characters for: kOptionsInCodePage, the code page's number,
// kCannotCarry, the path.
inline constexpr char kOptionsInCodePage[] = "The Java runtime reads its options in code page ";
inline constexpr char kCannotCarry[] = ", which cannot carry ";
// Causes, on the lines after the texts above.
inline constexpr char kCannotLoadLibrary[] = "Cannot load ";     // the path, ": ", the system's reason
inline constexpr char kNoEntryPoint[] = " has no entry point ";  // after the path, before the entry's name
// Why a library did not load: the system's reason, kUnknownLoadReason when it
// gave none; for a library made for another processor, kNotForThisMachine,
// the launcher's machine in the words below, ")".
inline constexpr char kUnknownLoadReason[] = "unknown reason";
inline constexpr char kTheFile[] = "the file";  // where the system's reason has a place for the file's name
inline constexpr char kNotForThisMachine[] = ": the file is not a library for this launcher's machine (";
inline constexpr char kLoadMachineX86[] = "32-bit x86";
inline constexpr char kLoadMachineX64[] = "64-bit x86";
inline constexpr char kLoadMachineArm64[] = "64-bit ARM";
inline constexpr char kLookedIn[] = "Looked in ";  // the main class, then what was looked for
inline constexpr char kLookedForStaticMain[] = " for static main with signature ";
inline constexpr char kLookedForAnyMain[] =
    " for main with signature ([Ljava/lang/String;)V or ()V, static or not, and not private";
inline constexpr char kFoundInstanceMainIn[] = "Found an instance main in ";
inline constexpr char kNoConstructorForMain[] =
    ", but no constructor without arguments that is not private to make the instance";
inline constexpr char kCausedBy[] = "Caused by: ";
inline constexpr char kUndescribableException[] = "(an exception that cannot be described)";

// The diagnostics log: its lines, and the warning when it cannot be written.
inline constexpr char kLogChosenJvm[] = "The chosen JVM: ";
inline constexpr char kLogProperties[] = "The properties chosen: ";
inline constexpr char kCannotWriteDebugFile[] = "Cannot write to the debug file ";
// The splash screen, in the debug file: kLogSplashShown and the image shown,
// or kLogNoSplash and one of the reasons after it.
inline constexpr char kLogSplashShown[] = "Splash screen shown: ";
inline constexpr char kLogSplashScale[] = " at scale ";  // after the image, when a scaled one is shown
inline constexpr char kLogNoSplash[] = "No splash screen: ";
inline constexpr char kSplashImageMissing[] = "the image cannot be read: ";  // the path
inline constexpr char kSplashNotAnImage[] = "not a PNG, GIF or JPEG image: ";
inline constexpr char kSplashNoLibrary[] =
    "the runtime has no splash-screen library (a runtime without java.desktop, or a headless one): ";
inline constexpr char kSplashLibraryNotLoaded[] = "cannot load ";  // the library, ": ", the system's reason
inline constexpr char kSplashLibraryLacks[] = " lacks ";           // after the library, before the entry's name
inline constexpr char kSplashPathNotCarried[] = "the runtime's code page cannot carry the image's path: ";
inline constexpr char kSplashNotShown[] =
    "the runtime's splash-screen library did not show it (no display it can open, or an image it cannot decode): ";

// One instance (vexil.single.instance) and where to get Java
// (vexil.java.download.url).
// The line after kNoAcceptableJvm: kJavaDownloadFrom, the bounds (kVersionsFrom
// / kVersionsUpTo with the versions, or kVersionsBetween ... kVersionsAnd ...),
// kDownloadAt, the page.
inline constexpr char kJavaDownload[] = "Java";
inline constexpr char kVersionsFrom[] = " version ";
inline constexpr char kVersionsOrLater[] = " or later";
inline constexpr char kVersionsUpTo[] = " up to version ";
inline constexpr char kVersionsAnd[] = " to ";
inline constexpr char kDownloadAt[] = " can be downloaded from ";
// The windowed program asks this on the last line of its box (Yes / No).
inline constexpr char kOpenDownloadPage[] = "Open this page now?";
// Debug-file lines: why a launch is not handed over, then the system's words.
inline constexpr char kLogInstanceHandedOver[] = "The launch was handed over to the running instance: ";
inline constexpr char kLogInstanceTooLong[] = "One instance: the arguments are too long to hand over: ";
inline constexpr char kLogInstanceFolderUnusable[] = "One instance: the folder cannot be used: ";
inline constexpr char kLogInstanceFolderNotPrivate[] = "One instance: the folder is not this user's alone: ";
inline constexpr char kLogInstanceLockTimeout[] = "One instance: another launch held the lock too long: ";
inline constexpr char kLogInstanceSocketUnusable[] = "One instance: the channel cannot be used: ";
inline constexpr char kLogInstanceOtherUser[] = "One instance: the channel is served by another user: ";
inline constexpr char kLogInstanceNotAccepted[] = "One instance: the running instance did not take the launch: ";
inline constexpr char kLogInstanceStartsAlone[] = "One instance: this launch starts on its own.";
// Debug-file lines of the running instance about a launch it did not take.
inline constexpr char kLogTurnedAwayOtherUser[] = "A launch of another user was turned away: ";
inline constexpr char kLogTurnedAwayNoMessage[] = "A launch connected but sent no message in time.";
inline constexpr char kLogTurnedAwayTooLong[] = "A launch's message was turned away as too long: ";
inline constexpr char kLogTurnedAwayCutShort[] = "A launch's message was cut short: ";
inline constexpr char kLogTurnedAwayStopped[] = "The single-instance channel stopped taking launches: ";
inline constexpr char kLogInstanceMessageMalformed[] = "A launch's message was malformed and was ignored: ";
inline constexpr char kLogMessageBytes[] = " bytes";  // after the message's length
inline constexpr char kLogInstanceCannotAttach[] = "A launch was not taken: no thread can attach to the runtime.";
inline constexpr char kLogInstanceCannotDetach[] =
    "The single-instance handler's thread could not detach from the runtime.";
inline constexpr char kLogInstanceNoHandler[] =
    "A launch was not taken: no public static method taking String[] named ";
inline constexpr char kLogInstanceNoArray[] =
    "A launch was not taken: the runtime could not make its arguments' array.";
// The class-data cache's lines in the debug file. A line is kCacheLine and
// one of the texts after it, with the names it is about.
inline constexpr char kCacheLine[] = "Class-data cache: ";
inline constexpr char kCacheNeitherAutoNorOff[] = "\" is neither auto nor off";  // after "off: \"" and the value
inline constexpr char kCacheOff[] = "off: \"";
inline constexpr char kCacheNotUsed[] = "not used: ";
inline constexpr char kCacheHomeUnknown[] = "the runtime's home is not known";
inline constexpr char kCacheVersionTooOld[] = "the runtime's version is before 13: ";
inline constexpr char kCacheQuote[] = "\"";  // around the version after kCacheVersionTooOld
inline constexpr char kCacheOptionManagesClassData[] = "this option manages class data itself: ";
inline constexpr char kCacheNativeAgent[] = "the runtime cannot archive classes with a native agent: ";
inline constexpr char kCacheNoClassPath[] =
    "no class path is given (the runtime would read classes from the current folder)";
inline constexpr char kCacheEmptyClassPathElement[] =
    "the class path has an empty element (the runtime would read classes from the current folder)";
inline constexpr char kCacheFolderOnClassPath[] = "the class path holds the folder ";
inline constexpr char kCacheNoUserFolder[] = "no cache folder for this user is known";
inline constexpr char kCacheFolderNotMade[] = "this folder cannot be made: ";
inline constexpr char kCacheFolderNotPrivate[] = "this folder is not the user's alone: ";
inline constexpr char kCacheFailedBefore[] =
    "making it failed before; it is tried again once the runtime, the class path or the options change: ";
inline constexpr char kCacheBeingMade[] = "another launch is making ";
// Around the lock file's path, after kCacheBeingMade and the archive, when the
// archive is not there yet.
inline constexpr char kCacheLockOpen[] = " (";
inline constexpr char kCacheLockClose[] = ")";
inline constexpr char kCacheCannotWrite[] = "cannot write ";
inline constexpr char kCacheCannotRemove[] = "cannot remove ";
inline constexpr char kCacheUsing[] = "using ";
inline constexpr char kCacheDropped[] = "dropped ";  // the archive, kCacheBecause, the reason; it is made again
inline constexpr char kCacheBecause[] = ": ";
inline constexpr char kCacheNoStamp[] = "it has no stamp of when it was made";
inline constexpr char kCacheChanged[] = "it was changed or damaged after it was made";
inline constexpr char kCacheNotPrivate[] = "it is not the user's alone";
inline constexpr char kCacheLaunchDied[] = "a launch that used it ended before its main method returned";
inline constexpr char kCacheRemovedStale[] = "removed the stale ";
inline constexpr char kCacheRemovedUnused[] = "removed the unused ";
inline constexpr char kCacheListing[] = "listing this run's classes into ";  // the list, kCacheFor, the archive
inline constexpr char kCacheFor[] = " for ";
inline constexpr char kCacheArchivingAtExit[] = "the runtime archives this run's classes into ";
inline constexpr char kCacheListedNothing[] = "the runtime listed no classes; no cache made, and no new try";
inline constexpr char kCacheMaking[] = "making ";  // the archive, kCacheFromList, the program
inline constexpr char kCacheFromList[] = " from the class list with ";
inline constexpr char kCacheDoesNotStart[] = " does not start; no cache made";
inline constexpr char kCacheInstalled[] = "installed ";
inline constexpr char kCacheNothingWritten[] = "the runtime wrote no archive; none installed, and no new try";

}  // namespace message

/// The whole report of a failure described by MESSAGE: the heading, a space,
/// MESSAGE.
inline std::string reportText(const std::string& message) { return std::string(message::kHeading) + " " + message; }

#endif  // VEXIL_REPORT_MESSAGES_H_
