#ifndef VEXIL_REPORT_MESSAGES_H_
#define VEXIL_REPORT_MESSAGES_H_

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
inline constexpr char kCouldNotOpenFile[] = "Could not open file ";
inline constexpr char kGettingConfigurationFileName[] = "Error getting configuration file name.";
inline constexpr char kLoadingConfigurationFile[] = "Error loading properties from configuration file.";
// Follows the file's path on the line after kLoadingConfigurationFile.
inline constexpr char kSavedAsUtf16[] = " is saved as UTF-16 (Unicode): save it as UTF-8 or ANSI.";
// Follows kGettingConfigurationFileName on the next line, then the system's reason.
inline constexpr char kProgramPathUnknown[] = "The path of this program is unknown: ";
inline constexpr char kAddingJars[] = "Error adding jars to classpath.";
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
inline constexpr char kLookedIn[] = "Looked in ";                // the main class, then what was looked for
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

}  // namespace message

/// The whole report of a failure described by MESSAGE: the heading, a space,
/// MESSAGE.
inline std::string reportText(const std::string& message) { return std::string(message::kHeading) + " " + message; }

#endif  // VEXIL_REPORT_MESSAGES_H_
