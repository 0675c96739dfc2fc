#include "config/launcher_properties.h"
#include "hosting/jvm_host.h"
#include "launcher/error_reporting.h"

void JvmHost::buildInitArgs(jni::JavaVMInitArgs& args) {
  guardedStep("Error while setting up JVM init arguments.", [&] {
    args = jni::JavaVMInitArgs{};
    args.version = jni::JNI_VERSION_1_2;

    std::vector<std::string>& options = m_properties->getJavaSystemProperties();
    const std::string& jars = m_properties->getJarsInClasspath();
    const std::string& libraryPath = m_properties->getLibraryPath();
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
    if (!classPathSeen && !jars.empty()) m_properties->addJavaSystemProperty("-Djava.class.path=" + jars);
    if (!libraryPathSeen && !libraryPath.empty()) {
      m_properties->addJavaSystemProperty("-Djava.library.path=" + libraryPath);
    }

    // The texts stay in the properties, unchanged from here on, so the
    // pointers hold until the runtime has been created.
    m_options.assign(options.size(), jni::JavaVMOption{});
    for (size_t i = 0; i < options.size(); ++i) {
      m_options[i].optionString = options[i].data();
      m_options[i].extraInfo = nullptr;
    }
    args.nOptions = static_cast<jni::jint>(m_options.size());
    args.options = m_options.empty() ? nullptr : m_options.data();
    args.ignoreUnrecognized = jni::JNI_FALSE;
  });
}
