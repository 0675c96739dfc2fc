#include "tools/stamp/pe_resources.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "tools/stamp/bytes.h"
#include "tools/stamp/stamp_messages.h"

namespace {

// Offsets in the PE headers.
constexpr std::uint32_t kPeOffsetField = 0x3C;  // in the DOS header: where the PE signature is
constexpr std::uint32_t kCoffHeaderSize = 24;   // signature and file header
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kExecutableImage = 0x0002;  // file header characteristic
constexpr int kResourceDirectory = 2;
constexpr int kSecurityDirectory = 4;
// A readable section of initialised data, as a resource section is.
constexpr std::uint32_t kResourceSectionFlags = 0x40000040;

// A resource table names its subtables with the high bit set.
constexpr std::uint32_t kHighBit = 0x80000000;
constexpr std::uint32_t kDirectoryHeaderSize = 16;
constexpr std::uint32_t kDirectoryEntrySize = 8;
constexpr std::uint32_t kDataEntrySize = 16;
// More than any program carries; a damaged table could otherwise name millions.
constexpr std::size_t kMostResources = 65536;
// Directory entries read in all: a damaged table whose directories share
// their subdirectories could otherwise name millions of millions.
constexpr std::size_t kMostEntries = 3 * kMostResources;
// Above this a file alignment is no program's: 64 KB is the largest the format allows.
constexpr std::uint32_t kLargestFileAlignment = 0x10000;

std::uint32_t alignUp(std::uint64_t value, std::uint32_t alignment) {
  std::uint64_t aligned = (value + alignment - 1) / alignment * alignment;
  if (aligned > 0xFFFFFFFFu) throw StampError(stamp_message::kBeyond4Gb);
  return static_cast<std::uint32_t>(aligned);
}

char16_t upper(char16_t unit) { return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit; }

// The order of entries in a resource directory: named ones first, compared
// without regard to the case of ASCII letters, then numbered ones.
bool keyLess(const ResourceKey& a, const ResourceKey& b) {
  if (a.named != b.named) return a.named;
  if (!a.named) return a.id < b.id;
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char16_t x, char16_t y) { return upper(x) < upper(y); });
}

struct NameGroup {
  ResourceKey name;
  std::vector<const Resource*> languages;
};
struct TypeGroup {
  ResourceKey type;
  std::vector<NameGroup> names;
};

std::vector<TypeGroup> groupResources(const std::vector<Resource>& resources) {
  std::vector<const Resource*> sorted;
  for (const Resource& resource : resources) sorted.push_back(&resource);
  std::sort(sorted.begin(), sorted.end(), [](const Resource* a, const Resource* b) {
    if (!(a->type == b->type)) return keyLess(a->type, b->type);
    if (!(a->name == b->name)) return keyLess(a->name, b->name);
    return a->language < b->language;
  });
  std::vector<TypeGroup> types;
  for (const Resource* resource : sorted) {
    if (types.empty() || !(types.back().type == resource->type)) types.push_back(TypeGroup{resource->type, {}});
    std::vector<NameGroup>& names = types.back().names;
    if (names.empty() || !(names.back().name == resource->name)) names.push_back(NameGroup{resource->name, {}});
    std::vector<const Resource*>& languages = names.back().languages;
    if (!languages.empty() && languages.back()->language == resource->language) {
      throw StampError(stamp_message::kDuplicateResource);
    }
    languages.push_back(resource);
  }
  return types;
}

std::size_t directorySize(std::size_t entries) { return kDirectoryHeaderSize + kDirectoryEntrySize * entries; }

/// The offset of entry INDEX of the directory at DIRECTORY.
std::size_t entryAt(std::size_t directory, std::size_t index) {
  return directory + kDirectoryHeaderSize + kDirectoryEntrySize * index;
}

template <typename Group, typename Key>
std::size_t countNamed(const std::vector<Group>& groups, Key key) {
  return static_cast<std::size_t>(
      std::count_if(groups.begin(), groups.end(), [&](const Group& group) { return key(group).named; }));
}

const ResourceKey& typeOf(const TypeGroup& group) { return group.type; }
const ResourceKey& nameOf(const NameGroup& group) { return group.name; }

/// Where each part of a resource table goes: first the directories (root, one
/// per type, one per name), then the names' texts, then the data entries, then
/// the data, each blob on 8 bytes.
struct TableLayout {
  std::vector<std::size_t> typeDirectories;
  std::vector<std::vector<std::size_t>> nameDirectories;             ///< per type
  std::vector<std::pair<const std::u16string*, std::size_t>> texts;  ///< in the order entries name them
  std::size_t dataEntries = 0;
  std::vector<std::size_t> dataOffsets;  ///< in the order of the entries
  std::size_t size = 0;
};

void placeDirectories(const std::vector<TypeGroup>& types, TableLayout& layout) {
  layout.size = directorySize(types.size());
  for (const TypeGroup& type : types) {
    layout.typeDirectories.push_back(layout.size);
    layout.size += directorySize(type.names.size());
  }
  for (const TypeGroup& type : types) {
    layout.nameDirectories.emplace_back();
    for (const NameGroup& name : type.names) {
      layout.nameDirectories.back().push_back(layout.size);
      layout.size += directorySize(name.languages.size());
    }
  }
}

void placeText(const ResourceKey& key, TableLayout& layout) {
  if (!key.named) return;
  if (key.name.size() > 0xFFFF) throw StampError(stamp_message::kNameTooLong);
  layout.texts.emplace_back(&key.name, layout.size);
  layout.size += 2 + 2 * key.name.size();
}

TableLayout layOutTable(const std::vector<TypeGroup>& types, std::size_t resourceCount) {
  TableLayout layout;
  placeDirectories(types, layout);
  for (const TypeGroup& type : types) {
    placeText(type.type, layout);
    for (const NameGroup& name : type.names) placeText(name.name, layout);
  }
  layout.size = (layout.size + 3) / 4 * 4;
  layout.dataEntries = layout.size;
  layout.size += kDataEntrySize * resourceCount;
  for (const TypeGroup& type : types) {
    for (const NameGroup& name : type.names) {
      for (const Resource* resource : name.languages) {
        layout.size = (layout.size + 7) / 8 * 8;
        layout.dataOffsets.push_back(layout.size);
        layout.size += resource->data.size();
      }
    }
  }
  return layout;
}

/// Fills a table of the layout's size; entries are written in the layout's
/// order, which is how the names' texts and the data find theirs.
class TableWriter {
 public:
  TableWriter(std::string& table, const TableLayout& layout, std::uint32_t sectionRva)
      : m_table(table),
        m_layout(layout),
        m_sectionRva(sectionRva) {}

  void writeTexts() {
    for (const auto& [text, at] : m_layout.texts) {
      set16(m_table, at, static_cast<std::uint32_t>(text->size()));
      for (std::size_t i = 0; i < text->size(); ++i) set16(m_table, at + 2 + 2 * i, (*text)[i]);
    }
  }

  void writeDirectory(std::size_t at, std::size_t named, std::size_t entries) {
    set16(m_table, at + 12, static_cast<std::uint32_t>(named));
    set16(m_table, at + 14, static_cast<std::uint32_t>(entries - named));
  }

  /// The entry at ENTRY for KEY, pointing to the subdirectory at SUBDIRECTORY.
  void writeSubdirectoryEntry(std::size_t entry, const ResourceKey& key, std::size_t subdirectory) {
    const std::uint32_t name =
        key.named ? kHighBit | static_cast<std::uint32_t>(m_layout.texts[m_textIndex++].second) : key.id;
    set32(m_table, entry, name);
    set32(m_table, entry + 4, kHighBit | static_cast<std::uint32_t>(subdirectory));
  }

  /// The language's entry at ENTRY, its data entry and its data.
  void writeLanguageEntry(std::size_t entry, const Resource& resource) {
    const std::size_t dataEntry = m_layout.dataEntries + kDataEntrySize * m_dataIndex;
    const std::size_t data = m_layout.dataOffsets[m_dataIndex++];
    set32(m_table, entry, resource.language);
    set32(m_table, entry + 4, static_cast<std::uint32_t>(dataEntry));
    set32(m_table, dataEntry, m_sectionRva + static_cast<std::uint32_t>(data));
    set32(m_table, dataEntry + 4, static_cast<std::uint32_t>(resource.data.size()));
    set32(m_table, dataEntry + 8, resource.codePage);
    std::copy(resource.data.begin(), resource.data.end(), m_table.begin() + static_cast<long>(data));
  }

 private:
  std::string& m_table;
  const TableLayout& m_layout;
  std::uint32_t m_sectionRva;
  std::size_t m_textIndex = 0;
  std::size_t m_dataIndex = 0;
};

}  // namespace

std::string buildResourceTable(const std::vector<Resource>& resources, std::uint32_t sectionRva) {
  const std::vector<TypeGroup> types = groupResources(resources);
  const TableLayout layout = layOutTable(types, resources.size());
  if (layout.size + sectionRva > 0x7FFFFFFFu) throw StampError(stamp_message::kResourcesTooLarge);

  std::string table(layout.size, '\0');
  TableWriter writer(table, layout, sectionRva);
  writer.writeTexts();
  writer.writeDirectory(0, countNamed(types, typeOf), types.size());
  for (std::size_t t = 0; t < types.size(); ++t) {
    const TypeGroup& type = types[t];
    const std::size_t typeDirectory = layout.typeDirectories[t];
    writer.writeSubdirectoryEntry(entryAt(0, t), type.type, typeDirectory);
    writer.writeDirectory(typeDirectory, countNamed(type.names, nameOf), type.names.size());
    for (std::size_t n = 0; n < type.names.size(); ++n) {
      const NameGroup& name = type.names[n];
      const std::size_t nameDirectory = layout.nameDirectories[t][n];
      writer.writeSubdirectoryEntry(entryAt(typeDirectory, n), name.name, nameDirectory);
      writer.writeDirectory(nameDirectory, 0, name.languages.size());
      for (std::size_t l = 0; l < name.languages.size(); ++l) {
        writer.writeLanguageEntry(entryAt(nameDirectory, l), *name.languages[l]);
      }
    }
  }
  return table;
}

PeFile::PeFile(std::string bytes) : m_bytes(std::move(bytes)) {
  const StampError notAProgram(stamp_message::kNotAProgram);
  if (!fits(m_bytes, 0, 64) || m_bytes.compare(0, 2, "MZ") != 0) throw notAProgram;
  const std::uint32_t pe = get32(m_bytes, kPeOffsetField);
  if (!fits(m_bytes, pe, kCoffHeaderSize) || m_bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) throw notAProgram;
  m_optionalHeader = pe + kCoffHeaderSize;
  const std::uint16_t optionalSize = get16(m_bytes, pe + 20);
  if (optionalSize < 96 || !fits(m_bytes, m_optionalHeader, optionalSize)) throw notAProgram;
  const std::uint16_t magic = get16(m_bytes, m_optionalHeader);
  if (magic != 0x10B && magic != 0x20B) throw notAProgram;
  m_pe32Plus = magic == 0x20B;
  if ((get16(m_bytes, pe + 22) & kExecutableImage) == 0) throw notAProgram;
  const std::uint32_t sectionTable = m_optionalHeader + optionalSize;
  if (!fits(m_bytes, sectionTable, std::uint64_t{kSectionHeaderSize} * get16(m_bytes, pe + 6))) throw notAProgram;
  const std::uint32_t fileAlignment = get32(m_bytes, m_optionalHeader + 36);
  const std::uint32_t sectionAlignment = get32(m_bytes, m_optionalHeader + 32);
  auto powerOfTwo = [](std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; };
  if (!powerOfTwo(fileAlignment) || !powerOfTwo(sectionAlignment) || fileAlignment > kLargestFileAlignment) {
    throw notAProgram;
  }
  m_sections = readSections();
  // In ascending order and apart, as the system loads them: an address then
  // means one place in the file, and a new section after the last is free.
  std::uint64_t end = 0;
  for (const Section& section : m_sections) {
    if (section.rva < end) throw notAProgram;
    end = std::uint64_t{section.rva} + (section.virtualSize != 0 ? section.virtualSize : section.rawSize);
  }

  const std::optional<std::uint32_t> security = dataDirectory(kSecurityDirectory);
  if (security && get32(m_bytes, *security + 4) != 0) {
    throw StampError(stamp_message::kSigned);
  }
}

std::optional<std::uint32_t> PeFile::dataDirectory(int index) const {
  const std::uint32_t count = get32(m_bytes, m_optionalHeader + (m_pe32Plus ? 108 : 92));
  const std::uint32_t at = m_optionalHeader + (m_pe32Plus ? 112 : 96) + 8 * static_cast<std::uint32_t>(index);
  const std::uint32_t optionalEnd = m_optionalHeader + get16(m_bytes, m_optionalHeader - 4);
  if (static_cast<std::uint32_t>(index) >= count || at + 8 > optionalEnd) return std::nullopt;
  return at;
}

std::vector<PeFile::Section> PeFile::readSections() const {
  const std::uint32_t pe = m_optionalHeader - kCoffHeaderSize;
  const std::uint32_t table = m_optionalHeader + get16(m_bytes, pe + 20);
  std::vector<Section> sections;
  for (std::uint32_t i = 0; i < get16(m_bytes, pe + 6); ++i) {
    const std::uint32_t header = table + kSectionHeaderSize * i;
    sections.push_back(Section{header, get32(m_bytes, header + 8), get32(m_bytes, header + 12),
                               get32(m_bytes, header + 16), get32(m_bytes, header + 20)});
  }
  return sections;
}

std::uint32_t PeFile::fileOffset(std::uint32_t rva, std::uint32_t length) const {
  for (const Section& section : m_sections) {
    if (rva < section.rva) continue;
    const std::uint64_t inside = rva - section.rva;
    // The system maps no more than the virtual size; file bytes beyond it are not the section's.
    const std::uint32_t mapped =
        section.virtualSize != 0 ? std::min(section.virtualSize, section.rawSize) : section.rawSize;
    if (inside + length > mapped) continue;
    const std::uint64_t offset = section.rawOffset + inside;
    if (!fits(m_bytes, offset, length)) break;
    return static_cast<std::uint32_t>(offset);
  }
  throw StampError(stamp_message::kPointsOutside);
}

std::vector<Resource> PeFile::resources() const {
  const std::optional<std::uint32_t> directory = dataDirectory(kResourceDirectory);
  if (!directory) return {};
  const std::uint32_t tableRva = get32(m_bytes, *directory);
  if (tableRva == 0 || get32(m_bytes, *directory + 4) == 0) return {};

  // Every offset inside the table is relative to its start.
  const StampError damaged(stamp_message::kTableDamaged);
  auto at = [&](std::uint32_t offset, std::uint32_t length) -> std::uint32_t {
    if (std::uint64_t{offset} + length > 0xFFFFFFFFu - tableRva) throw damaged;
    return fileOffset(tableRva + offset, length);
  };
  struct Entry {
    std::uint32_t name;
    std::uint32_t target;
  };
  std::size_t entriesRead = 0;
  auto entries = [&](std::uint32_t offset) {
    const std::uint32_t header = at(offset, kDirectoryHeaderSize);
    const std::uint32_t count = std::uint32_t{get16(m_bytes, header + 12)} + get16(m_bytes, header + 14);
    entriesRead += count;
    if (entriesRead > kMostEntries) throw damaged;
    const std::uint32_t first = at(offset + kDirectoryHeaderSize, kDirectoryEntrySize * count);
    std::vector<Entry> list;
    for (std::uint32_t i = 0; i < count; ++i) {
      list.push_back(Entry{get32(m_bytes, first + 8 * i), get32(m_bytes, first + 8 * i + 4)});
    }
    return list;
  };
  // What the resources' data and names take in memory: in a sound table each
  // piece is stored once, and only type names repeat, so twice the file is
  // more than enough; a damaged one could name the same bytes again and again.
  std::uint64_t bytesTaken = 0;
  const std::uint64_t byteBudget = 2 * std::uint64_t{m_bytes.size()};
  auto key = [&](std::uint32_t name) {
    if ((name & kHighBit) == 0) return ResourceKey::number(static_cast<std::uint16_t>(name));
    const std::uint32_t length = get16(m_bytes, at(name & ~kHighBit, 2));
    const std::uint32_t text = at((name & ~kHighBit) + 2, 2 * length);
    bytesTaken += std::uint64_t{2} * length;
    if (bytesTaken > byteBudget) throw damaged;
    ResourceKey named{true, 0, {}};
    for (std::uint32_t i = 0; i < length; ++i) named.name += static_cast<char16_t>(get16(m_bytes, text + 2 * i));
    return named;
  };
  auto subdirectory = [&](const Entry& entry) {
    if ((entry.target & kHighBit) == 0) throw damaged;
    return entry.target & ~kHighBit;
  };

  std::vector<Resource> resources;
  for (const Entry& type : entries(0)) {
    for (const Entry& name : entries(subdirectory(type))) {
      for (const Entry& language : entries(subdirectory(name))) {
        if ((language.target & kHighBit) != 0) throw damaged;
        if (resources.size() == kMostResources) throw damaged;
        const std::uint32_t entry = at(language.target, kDataEntrySize);
        const std::uint32_t size = get32(m_bytes, entry + 4);
        const std::uint32_t data = fileOffset(get32(m_bytes, entry), size);
        bytesTaken += size;
        if (bytesTaken > byteBudget) throw damaged;
        resources.push_back(Resource{key(type.name), key(name.name), static_cast<std::uint16_t>(language.name),
                                     get32(m_bytes, entry + 8), m_bytes.substr(data, size)});
      }
    }
  }
  return resources;
}

PeFile::Section PeFile::sectionForTable(std::uint32_t oldRva) {
  const std::uint32_t sectionAlignment = get32(m_bytes, m_optionalHeader + 32);
  const std::uint32_t fileAlignment = get32(m_bytes, m_optionalHeader + 36);
  const std::uint32_t sizeOfHeaders = get32(m_bytes, m_optionalHeader + 60);
  const std::vector<Section> all = m_sections;

  // The section that holds the present table, if any, and where the image ends.
  const Section* old = nullptr;
  std::uint64_t imageEnd = get32(m_bytes, m_optionalHeader + 56);
  std::uint64_t firstRaw = m_bytes.size();
  for (const Section& section : all) {
    const std::uint32_t extent = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
    if (oldRva != 0 && oldRva >= section.rva && oldRva - section.rva < extent) old = &section;
    imageEnd = std::max<std::uint64_t>(imageEnd, alignUp(std::uint64_t{section.rva} + extent, sectionAlignment));
    if (section.rawSize != 0) firstRaw = std::min<std::uint64_t>(firstRaw, section.rawOffset);
  }
  // A table alone in the section that is last in the image and in the file can grow or shrink in place.
  const bool rewriteInPlace =
      old != nullptr && old == &all.back() && old->rva == oldRva && old->rawOffset != 0 &&
      old->rawOffset <= m_bytes.size() && old->rawOffset >= all.back().header + kSectionHeaderSize &&
      std::all_of(all.begin(), all.end(), [&](const Section& section) { return section.rva <= old->rva; }) &&
      std::uint64_t{old->rawOffset} + old->rawSize >= m_bytes.size();

  Section target;
  if (rewriteInPlace) {
    target = *old;
    m_bytes.resize(target.rawOffset);
  } else {
    // A new section header after the last one, in the headers' unused room.
    target.header =
        all.empty() ? m_optionalHeader + get16(m_bytes, m_optionalHeader - 4) : all.back().header + kSectionHeaderSize;
    if (target.header + kSectionHeaderSize > std::min<std::uint64_t>(sizeOfHeaders, firstRaw) ||
        !fits(m_bytes, target.header, kSectionHeaderSize) ||
        m_bytes.find_first_not_of('\0', target.header) < target.header + kSectionHeaderSize) {
      throw StampError(stamp_message::kNoRoomForSection);
    }
    // The image maps its headers at address 0: a section begins after them,
    // on its alignment, never at 0 (which a table's address cannot be).
    target.rva = alignUp(std::max<std::uint64_t>({imageEnd, sizeOfHeaders, 1}), sectionAlignment);
    target.rawOffset = alignUp(m_bytes.size(), fileAlignment);
    m_bytes.resize(target.rawOffset, '\0');
    m_bytes.replace(target.header, 8, std::string(".rsrc\0\0\0", 8));
    set32(m_bytes, target.header + 36, kResourceSectionFlags);
    const std::uint32_t pe = m_optionalHeader - kCoffHeaderSize;
    set16(m_bytes, pe + 6, get16(m_bytes, pe + 6) + 1u);
    // The old table stays where it is, unused; a new name keeps tools that go by name off it.
    if (old != nullptr && m_bytes.compare(old->header, 6, std::string(".rsrc\0", 6)) == 0) {
      m_bytes.replace(old->header, 8, std::string(".rsrc0\0\0", 8));
    }
  }
  return target;
}

void PeFile::replaceResources(const std::vector<Resource>& resources) {
  const std::optional<std::uint32_t> entry = dataDirectory(kResourceDirectory);
  if (!entry) throw StampError(stamp_message::kNoResourceEntry);
  const std::uint32_t directory = *entry;
  const std::uint32_t sectionAlignment = get32(m_bytes, m_optionalHeader + 32);
  const std::uint32_t fileAlignment = get32(m_bytes, m_optionalHeader + 36);
  const Section target = sectionForTable(get32(m_bytes, directory));

  const std::string table = buildResourceTable(resources, target.rva);
  m_bytes += table;
  padTo(m_bytes, fileAlignment);
  const std::uint32_t rawSize = static_cast<std::uint32_t>(m_bytes.size() - target.rawOffset);
  const std::uint32_t tableSize = static_cast<std::uint32_t>(table.size());
  set32(m_bytes, target.header + 8, tableSize);
  set32(m_bytes, target.header + 12, target.rva);
  set32(m_bytes, target.header + 16, rawSize);
  set32(m_bytes, target.header + 20, target.rawOffset);
  set32(m_bytes, m_optionalHeader + 8, get32(m_bytes, m_optionalHeader + 8) - target.rawSize + rawSize);
  set32(m_bytes, m_optionalHeader + 56, alignUp(std::uint64_t{target.rva} + tableSize, sectionAlignment));
  set32(m_bytes, directory, target.rva);
  set32(m_bytes, directory + 4, tableSize);
  m_sections = readSections();
  updateChecksum();
}

// The PE checksum: the 16-bit one's-complement sum of the file with the
// checksum field taken as zero, plus the file's length.
void PeFile::updateChecksum() {
  const std::size_t field = m_optionalHeader + 64;
  set32(m_bytes, field, 0);
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < m_bytes.size(); i += 2) {
    std::uint32_t word = static_cast<unsigned char>(m_bytes[i]);
    if (i + 1 < m_bytes.size()) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_bytes[i + 1])) << 8;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  set32(m_bytes, field, static_cast<std::uint32_t>(sum + m_bytes.size()));
}
