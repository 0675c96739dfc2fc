// The version bounds of the launcher properties. They compare fresh
// comparable versions of plain version texts, never a record's comparable
// version, which may already carry preference codes.

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "launcher/error_reporting.h"

bool LauncherProperties::isGreaterThanMinVersion(const std::string& version) const {
  return guardedStep("Error checking if version is greater than the min version.", [&] {
    if (m_minJavaVersion.empty()) return true;
    return !(Jvm::getComparableVersion(version) < Jvm::getComparableVersion(m_minJavaVersion));
  });
}

bool LauncherProperties::isLessThanMaxVersion(const std::string& version) const {
  return guardedStep("Error checking if version is less than the max version.", [&] {
    if (m_maxJavaVersion.empty()) return true;
    return !(Jvm::getComparableVersion(version) > Jvm::getComparableVersion(m_maxJavaVersion));
  });
}
