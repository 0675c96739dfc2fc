#include "hosting/init_args.h"

#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"

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

void JvmHost::buildInitArgs(jni::JavaVMInitArgs& args, const std::vector<std::string>& leadingOptions) {
  args = jni::JavaVMInitArgs{};
  args.version = jni::JNI_VERSION_1_2;
  // The texts stay in this host, unchanged from here on, so the pointers
  // hold until the runtime has been created.
  m_optionTexts = leadingOptions;
  const std::vector<std::string> options = initArgOptions(*m_properties);
  m_optionTexts.insert(m_optionTexts.end(), options.begin(), options.end());
  m_options.assign(m_optionTexts.size(), jni::JavaVMOption{});
  for (size_t i = 0; i < m_optionTexts.size(); ++i) {
    m_options[i].optionString = m_optionTexts[i].data();
    m_options[i].extraInfo = nullptr;
  }
  args.nOptions = static_cast<jni::jint>(m_options.size());
  args.options = m_options.empty() ? nullptr : m_options.data();
  args.ignoreUnrecognized = jni::JNI_FALSE;
}
