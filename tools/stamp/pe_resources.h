#ifndef VEXIL_TOOLS_STAMP_PE_RESOURCES_H_
#define VEXIL_TOOLS_STAMP_PE_RESOURCES_H_

// The resources of a Windows program (PE file) as a flat list, read from the
// file's resource table and written back as a new one. Nothing but the
// resource table, the headers that locate it and the checksum changes: code,
// data, imports and relocations keep their bytes and their addresses.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

/// A failure of the stamping tool; the text is the whole message for the user.
class StampError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Resource types of Windows (the RT_ constants).
enum ResourceType : std::uint16_t {
  kResourceIcon = 3,
  kResourceData = 10,
  kResourceGroupIcon = 14,
  kResourceVersion = 16,
  kResourceManifest = 24,
};

/// A resource's type or name: a number, or a text when NAMED.
struct ResourceKey {
  bool named = false;
  std::uint16_t id = 0;
  std::u16string name;

  static ResourceKey number(std::uint16_t value) { return ResourceKey{false, value, {}}; }
  bool operator==(const ResourceKey& other) const {
    return named == other.named && (named ? name == other.name : id == other.id);
  }
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint16_t language = 0;
  std::uint32_t codePage = 0;
  std::string data;
};

/// The resource table at the start of SECTION, whose first byte has the
/// address SECTION_RVA, from the resource list. Entries come in the order
/// Windows searches them: named ones first, sorted, then numbered ones, ascending.
std::string buildResourceTable(const std::vector<Resource>& resources, std::uint32_t sectionRva);

/// A whole PE file in memory.
class PeFile {
 public:
  /// Checks the headers of BYTES; throws StampError when they are not those of
  /// a Windows program, or when it is signed (a new resource table would break
  /// the signature: stamp first, then sign).
  explicit PeFile(std::string bytes);

  /// The resources the file holds now.
  std::vector<Resource> resources() const;
  /// Puts RESOURCES in place of the file's resource table. A table in the last
  /// section of the file is rewritten where it is; otherwise the new table goes
  /// into a section added at the end and the old one is left unused.
  void replaceResources(const std::vector<Resource>& resources);

  const std::string& bytes() const { return m_bytes; }

 private:
  struct Section {
    std::uint32_t header = 0;  ///< file offset of its section header
    std::uint32_t virtualSize = 0;
    std::uint32_t rva = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
  };

  std::vector<Section> readSections() const;
  /// The file offset of LENGTH bytes at address RVA; throws when no section holds them.
  std::uint32_t fileOffset(std::uint32_t rva, std::uint32_t length) const;
  /// The file offset of the data directory's entry INDEX; none when the headers have no such entry.
  std::optional<std::uint32_t> dataDirectory(int index) const;
  /// The section the new resource table goes into, the table now at OLD_RVA
  /// (0: none) taken into account: the last section when it holds that table
  /// alone, cut to its start; otherwise a new section after the last, the old
  /// one left unused. Throws when the headers have no room for a new one.
  Section sectionForTable(std::uint32_t oldRva);
  void updateChecksum();

  std::string m_bytes;
  std::uint32_t m_optionalHeader = 0;
  bool m_pe32Plus = false;
  std::vector<Section> m_sections;  ///< as the headers list them
};

#endif  // VEXIL_TOOLS_STAMP_PE_RESOURCES_H_
