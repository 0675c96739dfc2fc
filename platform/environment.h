#ifndef VEXIL_PLATFORM_ENVIRONMENT_H_
#define VEXIL_PLATFORM_ENVIRONMENT_H_

#include <string>

/// The process environment, looked up without regard to the case of names.
class Environment {
 public:
  virtual ~Environment() = default;

  /// Finds the variable NAME. On a system whose names have case, an exact
  /// match wins over a match that differs only in case. False when unset.
  virtual bool lookup(const std::string& name, std::string* value) const = 0;
};

/// The running process's environment.
const Environment& hostEnvironment();

#endif  // VEXIL_PLATFORM_ENVIRONMENT_H_
