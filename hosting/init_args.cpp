#include "hosting/init_args.h"

#include <string>
#include <utility>

#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "platform/text_encoding.h"
#include "report/failure.h"
#include "report/messages.h"

namespace {

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
  // them extends a configured value.
  bool classPathSeen = false;
  bool libraryPathSeen = false;
  for (std::string& option : options) {
    if (LauncherProperties::isClassPathOption(option)) {
      classPathSeen = true;
      option += jars;
    } else if (LauncherProperties::isLibraryPathOption(option)) {
      libraryPathSeen = true;
      option += libraryPath;
    }
  }
  if (!classPathSeen && !jars.empty()) options.push_back("-Djava.class.path=" + jars);
  if (!libraryPathSeen && !libraryPath.empty()) options.push_back("-Djava.library.path=" + libraryPath);
  return options;
}

void JvmHost::buildInitArgs(jni::JavaVMInitArgs& args) {
  args = jni::JavaVMInitArgs{};
  args.version = jni::JNI_VERSION_1_2;
  // The texts stay in this host, unchanged from here on, so the pointers
  // hold until the runtime has been created.
  m_optionTexts = initArgOptions(*m_properties);
  // The runtime reads its options in the process's code page: UTF-8 where
  // the programs' manifest is in force, else a code page that may lack
  // characters of a path, and a "?" in their place would name another file.
  for (std::string& option : m_optionTexts) {
    std::string encoded;
    if (!toRuntimeOptionEncoding(option, &encoded)) {
      raiseFailure(std::string(message::kLaunchingProgram) + "\n" + message::kOptionsInCodePage +
                   processCodePageName() + message::kCannotCarry +
                   uncarriedPart(option, m_properties->getPlatform().conventions->pathListSeparator));
    }
    option = std::move(encoded);
  }
  m_options.assign(m_optionTexts.size(), jni::JavaVMOption{});
  for (size_t i = 0; i < m_optionTexts.size(); ++i) {
    m_options[i].optionString = m_optionTexts[i].data();
    m_options[i].extraInfo = nullptr;
  }
  args.nOptions = static_cast<jni::jint>(m_options.size());
  args.options = m_options.empty() ? nullptr : m_options.data();
  args.ignoreUnrecognized = jni::JNI_FALSE;
}
