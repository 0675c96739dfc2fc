#ifndef VEXIL_TOOLS_STAMP_APPLICATION_RESOURCES_H_
#define VEXIL_TOOLS_STAMP_APPLICATION_RESOURCES_H_

// The resources that make a copied launcher an application's own program: its
// icon, from an .ico file, and its version information.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/stamp/pe_resources.h"

/// The language of the resources the tool writes: US English, as resource compilers use by default.
constexpr std::uint16_t kStampLanguage = 0x0409;

/// The icon images of the .ico file BYTES as resources: one RT_ICON per image,
/// numbered from 1, and the RT_GROUP_ICON 1 that lists them. Throws StampError
/// naming what is wrong when BYTES is not an icon file.
std::vector<Resource> iconResources(const std::string& bytes);

/// The resource that marks a program as one of Vexil's launchers: RCDATA
/// named VEXIL_LAUNCHER, holding that text (launcher/resources/launcher_mark.rc).
/// Stamping keeps it, so a stamped program can be stamped again.
Resource launcherMark();

/// Whether RESOURCES hold the launcher mark.
bool carriesLauncherMark(const std::vector<Resource>& resources);

/// A version as Windows stores it: four numbers of 16 bits.
using VersionNumbers = std::array<std::uint16_t, 4>;

/// "1", "1.2", "1.2.3" or "1.2.3.4", missing parts 0. Throws StampError for
/// anything else, such as a part above 65535, letters or blanks.
VersionNumbers parseVersion(const std::string& text);

/// The version fields of an application; a field left empty is not written.
/// Texts are in modified UTF-8 (any character, no zero byte).
struct VersionFields {
  std::string fileVersion;  ///< also the numbers of the fixed part
  std::string productVersion;
  std::string productName;
  std::string companyName;
  std::string fileDescription;
  std::string legalCopyright;
  std::string originalFilename;
  std::string internalName;
};

/// The RT_VERSION resource 1 for FIELDS: the fixed part with the two versions'
/// numbers (a missing one takes the other's), then the texts in a string table
/// for US English, Unicode.
Resource versionResource(const VersionFields& fields);

#endif  // VEXIL_TOOLS_STAMP_APPLICATION_RESOURCES_H_
