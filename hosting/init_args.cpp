#include "hosting/init_args.h"

#include <cstring>
#include <string>
#include <utility>

#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "hosting/runtime_messages.h"
#include "platform/text_encoding.h"
#include "report/failure.h"
#include "report/messages.h"
#include "report/words.h"
#include "text/ascii_text.h"

namespace {

const char kCommandOption[] = "-Dsun.java.command=";
const char kLauncherOption[] = "-Dsun.java.launcher=";
const char kStandardLauncher[] = "SUN_STANDARD";

// Appended to the program's own path: a path list element that names
// nothing. The runtime reads an empty class or library path as the current
// directory, so "none" has to be said with a path; beside the program, where
// only who may change the program can put anything, and it is not there.
const char kNoClassPathSuffix[] = ".no-class-path";
const char kNoLibraryPathSuffix[] = ".no-library-path";

/// Whether OPTION sets PROPERTY ("-Dname"): "-Dname=value", or "-Dname"
/// alone, which sets it empty. "-DnameX=1" sets another property.
bool setsPathProperty(const std::string& option, const char* property) {
  const size_t length = std::strlen(property);
  return startsWith(option, property) && (option.size() == length || option[length] == '=');
}

/// LIST without its empty elements, which the runtime would read as the
/// current directory: only a "." or a relative path that the configuration
/// writes names it.
std::string withoutEmptyElements(const std::string& list, char separator) {
  std::string kept;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(separator, start);
    if (end == std::string::npos) end = list.size();
    if (end > start) {
      if (!kept.empty()) kept += separator;
      kept.append(list, start, end - start);
    }
    start = end + 1;
  }
  return kept;
}

/// OPTION, which sets PROPERTY, with LIST (entries each preceded by the
/// separator) appended to its value and every empty element dropped.
std::string mergedPathOption(const std::string& option, const char* property, const std::string& list, char separator) {
  const size_t length = std::strlen(property);
  const std::string value = option.size() > length ? option.substr(length + 1) : std::string();
  return std::string(property) + "=" + withoutEmptyElements(value + list, separator);
}

/// The program's path followed by SUFFIX: a path that names nothing.
std::string besideTheProgram(const LauncherProperties& properties, const char* suffix) {
  // Without the program's path the name would be relative, in the current
  // directory; a launch never gets this far without it.
  const std::string& program = properties.getNameOfExecutable();
  if (program.empty()) raiseUnexplainedFailure();
  // Split by the runtime, its second half would be relative too.
  const char separator = properties.getPlatform().conventions->pathListSeparator;
  if (program.find(separator) != std::string::npos) {
    raiseFailure(std::string(message::kLaunchingProgram) + "\n" + program + message::kHoldsListSeparator + separator);
  }
  return program + suffix;
}

bool setsProperty(const std::vector<std::string>& options, const char* prefix) {
  for (const std::string& option : options) {
    if (startsWith(option, prefix)) return true;
  }
  return false;
}

/// What in OPTION the runtime's encoding cannot carry: the first such entry
/// of a class or library path, else the whole option.
std::string uncarriedPart(const std::string& option, char listSeparator) {
  if (!LauncherProperties::isClassPathOption(option) && !LauncherProperties::isLibraryPathOption(option)) return option;
  std::string encoded;
  size_t start = option.find('=') + 1;
  for (;;) {
    size_t end = option.find(listSeparator, start);
    std::string entry = option.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!toRuntimeOptionEncoding(entry, &encoded)) return entry;
    if (end == std::string::npos) return option;
    start = end + 1;
  }
}

}  // namespace

std::vector<std::string> initArgOptions(const LauncherProperties& properties) {
  std::vector<std::string> options = properties.getJavaSystemProperties();
  const char separator = properties.getPlatform().conventions->pathListSeparator;
  const std::string& jars = properties.getJarsInClasspath();
  const std::string& libraryPath = properties.getLibraryPath();
  // Every option that sets a path takes the jar or library entries; a path
  // left without elements names nothing rather than the current directory.
  // A class path is always given, for the runtime's default is that too.
  auto merged = [&](const std::string& option, const char* property, const std::string& list, const char* suffix) {
    // Only a list that comes out empty needs the program's path.
    const std::string kept = mergedPathOption(option, property, list, separator);
    return kept.size() > std::strlen(property) + 1 ? kept : kept + besideTheProgram(properties, suffix);
  };
  bool classPathSeen = false;
  bool libraryPathSeen = false;
  for (std::string& option : options) {
    if (setsPathProperty(option, kClassPathProperty)) {
      classPathSeen = true;
      option = merged(option, kClassPathProperty, jars, kNoClassPathSuffix);
    } else if (setsPathProperty(option, kLibraryPathProperty)) {
      libraryPathSeen = true;
      option = merged(option, kLibraryPathProperty, libraryPath, kNoLibraryPathSuffix);
    }
  }
  if (!classPathSeen) options.push_back(merged(kClassPathProperty, kClassPathProperty, jars, kNoClassPathSuffix));
  if (!libraryPathSeen && !libraryPath.empty()) {
    options.push_back(merged(kLibraryPathProperty, kLibraryPathProperty, libraryPath, kNoLibraryPathSuffix));
  }
  return options;
}

std::string noClassPathElement(const LauncherProperties& properties) {
  return besideTheProgram(properties, kNoClassPathSuffix);
}

std::vector<std::string> applicationIdentityOptions(const LauncherProperties& properties,
                                                    const std::vector<std::string>& options) {
  std::vector<std::string> identity;
  if (!setsProperty(options, kCommandOption)) {
    std::string command = kCommandOption + properties.getMainClass();
    for (const std::string& argument : properties.getCommandLineArguments()) command += " " + argument;
    identity.push_back(command);
  }
  if (!setsProperty(options, kLauncherOption)) identity.push_back(std::string(kLauncherOption) + kStandardLauncher);
  return identity;
}

void JvmHost::buildInitArgs(jni::JavaVMInitArgs& args, const std::vector<std::string>& leadingOptions) {
  args = jni::JavaVMInitArgs{};
  args.version = jni::JNI_VERSION_1_2;
  // The texts stay in this host, unchanged from here on, so the pointers
  // hold until the runtime has been created.
  m_optionTexts.clear();
  // The leading options (the class-data cache's) serve speed only: when the
  // encoding cannot carry one of them, all are left out and the run goes on.
  for (const std::string& option : leadingOptions) {
    std::string encoded;
    if (!toRuntimeOptionEncoding(option, &encoded)) {
      m_optionTexts.clear();
      break;
    }
    m_optionTexts.push_back(std::move(encoded));
  }
  const size_t leadingCount = m_optionTexts.size();
  const std::vector<std::string> configured = initArgOptions(*m_properties);
  m_optionTexts.insert(m_optionTexts.end(), configured.begin(), configured.end());
  // The runtime reads its options in the process's code page: UTF-8 where
  // the programs' manifest is in force, else a code page that may lack
  // characters of a path, and a "?" in their place would name another file.
  for (size_t i = leadingCount; i < m_optionTexts.size(); ++i) {
    std::string& option = m_optionTexts[i];
    std::string encoded;
    if (!toRuntimeOptionEncoding(option, &encoded)) {
      raiseFailure(std::string(message::kLaunchingProgram) + "\n" + message::kOptionsInCodePage +
                   processCodePageName() + message::kCannotCarry +
                   uncarriedPart(option, m_properties->getPlatform().conventions->pathListSeparator));
    }
    option = std::move(encoded);
  }
  // Monitoring tools only learn the application from these: one that the
  // encoding cannot carry is left out rather than failing the launch.
  for (const std::string& option : applicationIdentityOptions(*m_properties, m_optionTexts)) {
    std::string encoded;
    if (toRuntimeOptionEncoding(option, &encoded)) m_optionTexts.push_back(std::move(encoded));
  }
  // A program without an error stream has the runtime's messages written
  // through the launcher, to show them if the runtime cannot be created.
  const bool collectMessages = m_channel == ReportChannel::kMessageBox;
  if (collectMessages) m_optionTexts.emplace_back(jni::kVfprintfOptionName);
  m_options.assign(m_optionTexts.size(), jni::JavaVMOption{});
  for (size_t i = 0; i < m_optionTexts.size(); ++i) {
    m_options[i].optionString = m_optionTexts[i].data();
    m_options[i].extraInfo = nullptr;
  }
  if (collectMessages) m_options.back().extraInfo = runtimeMessagesHook();
  args.nOptions = static_cast<jni::jint>(m_options.size());
  args.options = m_options.empty() ? nullptr : m_options.data();
  args.ignoreUnrecognized = jni::JNI_FALSE;
}
