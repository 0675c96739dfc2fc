#include "config/property_variable_resolver.h"

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "report/failure.h"
#include "report/messages.h"
#include "report/words.h"
#include "text/ascii_text.h"

namespace {

const char kOpen[] = "${";
const size_t kOpenLength = 2;

}  // namespace

bool PropertyVariableResolver::hasVariables(const std::string& line) const {
  size_t open = line.find(kOpen);
  return open != std::string::npos && line.find('}', open + kOpenLength) != std::string::npos;
}

bool PropertyVariableResolver::hasLateVariables(const std::string& line) const {
  size_t position = 0;
  for (;;) {
    size_t open = line.find(kOpen, position);
    if (open == std::string::npos) return false;
    size_t close = line.find('}', open + kOpenLength);
    if (close == std::string::npos) return false;
    if (trimmed(line.substr(open + kOpenLength, close - open - kOpenLength), kBlanks) == kVarFoundJavaHome) return true;
    position = close;
  }
}

std::string& PropertyVariableResolver::resolveVariables(std::string& line) const {
  // Inserted values are never searched again, so the search only ever looks
  // at the original text after the last reference. Building the result
  // aside keeps that linear; replacing in place would shift the rest of
  // the line once per reference.
  std::string resolved;
  size_t position = 0;
  for (;;) {
    size_t open = line.find(kOpen, position);
    if (open == std::string::npos) break;
    size_t close = line.find('}', open + kOpenLength);
    if (close == std::string::npos) break;  // an unterminated reference stays as written
    // Only the end is really trimmed: the text begins with "${", so blanks
    // after it stay part of the name.
    std::string reference = line.substr(open, close - open);
    resolved.append(line, position, open - position);
    resolved += getVariableValue(trimmed(reference, kBlanks));
    position = close + 1;
  }
  if (position == 0) return line;
  resolved.append(line, position, std::string::npos);
  line.swap(resolved);
  return line;
}

std::string PropertyVariableResolver::getVariableValue(const std::string& reference) const {
  return guardedStep(message::kGettingVariableValue, [&] {
    const std::string name = reference.size() > kOpenLength ? reference.substr(kOpenLength) : std::string();
    const size_t envPrefixLength = sizeof kVarEnvPrefix - 1;
    if (name == kVarFoundJavaHome) {
      // Only lines processed after the selection refer to it; before, there is no home.
      const Jvm* jvm = m_properties.getFoundJvm();
      return jvm ? jvm->getJavaHomePath() : std::string();
    }
    if (startsWith(name, kVarEnvPrefix)) {
      std::string value;
      if (!m_properties.getPlatform().environment->lookup(name.substr(envPrefixLength), &value)) value.clear();
      return value;
    }
    if (name == kVarSelfHome) return m_properties.getSelfHomePath();
    if (name == kVarFoundExeFolder) {
      const std::string& executable = m_properties.getNameOfExecutable();
      return executable.substr(0, executable.rfind(m_properties.getPlatform().conventions->pathSeparator));
    }
    return std::string();
  });
}
