#ifndef VEXIL_HOSTING_INIT_ARGS_H_
#define VEXIL_HOSTING_INIT_ARGS_H_

#include <string>
#include <vector>

class LauncherProperties;

/// The JVM options the runtime is created with: the option lines of
/// PROPERTIES, with the jar list merged into the class path option and the
/// library directories into the library path option (extending configured
/// ones, adding missing ones at the end). A class path option is always
/// given, and no path list keeps an empty element, however it came about: the
/// runtime reads either as the current directory. A class path with no
/// element left is noClassPathElement. The record is not changed, so the same
/// record always gives the same options.
std::vector<std::string> initArgOptions(const LauncherProperties& properties);

/// The class path of an application that gives none (its classes lie in the
/// runtime image): a path beside the program that does not exist. Absolute,
/// as the program's path is.
std::string noClassPathElement(const LauncherProperties& properties);

/// The options that name the application to monitoring tools (jps and the
/// like), as the JDK's own launcher adds them after the configured ones:
/// "-Dsun.java.command=" with the main class and the arguments, and
/// "-Dsun.java.launcher=SUN_STANDARD"; each only when OPTIONS does not set it.
std::vector<std::string> applicationIdentityOptions(const LauncherProperties& properties,
                                                    const std::vector<std::string>& options);

#endif  // VEXIL_HOSTING_INIT_ARGS_H_
