#ifndef VEXIL_HOSTING_INIT_ARGS_H_
#define VEXIL_HOSTING_INIT_ARGS_H_

#include <string>
#include <vector>

class LauncherProperties;

/// The JVM options the runtime is created with: the option lines of
/// PROPERTIES, with the jar list merged into the class path option and the
/// library directories into the library path option (extending configured
/// ones, adding missing ones at the end). The record is not changed, so the
/// same record always gives the same options.
std::vector<std::string> initArgOptions(const LauncherProperties& properties);

#endif  // VEXIL_HOSTING_INIT_ARGS_H_
