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

namespace {

const char kCommandOption[] = "-Dsun.java.command=";
const char kLauncherOption[] = "-Dsun.java.launcher=";
const char kStandardLauncher[] = "SUN_STANDARD";

const char kClassPathProperty[] = "-Djava.class.path";
const char kLibraryPathProperty[] = "-Djava.library.path";

/// LIST (the jar or library texts, each entry preceded by the separator)
/// appended to OPTION, which begins with PROPERTY. An option whose value is
/// empty takes the list without its first separator, which would otherwise
/// make an empty first element.
void extend(std::string& option, const char* property, const std::string& list) {
  if (list.empty()) return;
  const bool noValue = option.size() == std::strlen(property) + 1 && option.back() == '=';
  option += noValue ? list.substr(1) : list;
}

bool setsProperty(const std::vector<std::string>& options, const char* prefix) {
  for (const std::string& option : options) {
    if (option.rfind(prefix, 0) == 0) return true;
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
  const std::string& jars = properties.getJarsInClasspath();
  const std::string& libraryPath = properties.getLibraryPath();
  // The jar and library texts begin with the list separator, so appending
  // them extends a configured value. An element the configuration itself
  // leaves empty is the user's choice and stays.
  bool classPathSeen = false;
  bool libraryPathSeen = false;
  for (std::string& option : options) {
    if (LauncherProperties::isClassPathOption(option)) {
      classPathSeen = true;
      extend(option, kClassPathProperty, jars);
    } else if (LauncherProperties::isLibraryPathOption(option)) {
      libraryPathSeen = true;
      extend(option, kLibraryPathProperty, libraryPath);
    }
  }
  if (!classPathSeen && !jars.empty()) {
    options.push_back(std::string(kClassPathProperty) + "=");
    extend(options.back(), kClassPathProperty, jars);
  }
  if (!libraryPathSeen && !libraryPath.empty()) {
    options.push_back(std::string(kLibraryPathProperty) + "=");
    extend(options.back(), kLibraryPathProperty, libraryPath);
  }
  return options;
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
  m_options.assign(m_optionTexts.size(), jni::JavaVMOption{});
  for (size_t i = 0; i < m_optionTexts.size(); ++i) {
    m_options[i].optionString = m_optionTexts[i].data();
    m_options[i].extraInfo = nullptr;
  }
  // A program without an error stream has the runtime's messages written
  // through the launcher, to show them if the runtime cannot be created.
  if (m_channel == ReportChannel::kMessageBox) m_options.push_back(runtimeMessagesOption());
  args.nOptions = static_cast<jni::jint>(m_options.size());
  args.options = m_options.empty() ? nullptr : m_options.data();
  args.ignoreUnrecognized = jni::JNI_FALSE;
}
