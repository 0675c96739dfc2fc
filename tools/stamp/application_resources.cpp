#include "tools/stamp/application_resources.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "tools/stamp/bytes.h"
#include "tools/stamp/stamp_messages.h"

namespace {

constexpr std::size_t kIconHeaderSize = 6;
constexpr std::size_t kIconEntrySize = 16;       // an image's entry in an .ico file
constexpr std::size_t kGroupEntrySize = 14;      // the same in an RT_GROUP_ICON: a resource id for the offset
constexpr std::uint32_t kBitmapHeaderSize = 40;  // BITMAPINFOHEADER, which starts a bitmap image
const std::string kPngSignature("\x89PNG\r\n\x1A\n", 8);

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kOsWindowsNt = 0x00040004;  // VOS_NT_WINDOWS32
constexpr std::uint32_t kFileTypeApplication = 1;   // VFT_APP
constexpr std::uint16_t kUnicodeCodePage = 1200;

// Modified UTF-8, one UTF-16 unit per sequence; a malformed byte becomes U+FFFD.
std::u16string utf16(const std::string& text) {
  std::u16string units;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const auto continuation = [&](std::size_t at) { return at < text.size() && (byte(at) & 0xC0) == 0x80; };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
      units += static_cast<char16_t>(lead);
      i += 1;
    } else if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
      units += static_cast<char16_t>((lead & 0x1F) << 6 | (byte(i + 1) & 0x3F));
      i += 2;
    } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
      units += static_cast<char16_t>((lead & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F));
      i += 3;
    } else {
      units += u'\xFFFD';
      i += 1;
    }
  }
  return units;
}

// One node of a version resource: length, value length, type (1 text, 0
// binary), its key as a terminated UTF-16 text, the value and the children,
// each of them starting on 4 bytes.
std::string versionNode(const std::u16string& key, const std::string& value, std::uint32_t valueLength, bool text,
                        const std::vector<std::string>& children) {
  std::string node;
  put16(node, 0);
  put16(node, valueLength);
  put16(node, text ? 1 : 0);
  for (char16_t unit : key) put16(node, unit);
  put16(node, 0);
  padTo(node, 4);
  node += value;
  for (const std::string& child : children) {
    padTo(node, 4);
    node += child;
  }
  if (node.size() > 0xFFFF) throw StampError(stamp_message::kVersionTextsTooLong);
  set16(node, 0, static_cast<std::uint32_t>(node.size()));
  return node;
}

std::string textValue(const std::string& text) {
  std::string value;
  for (char16_t unit : utf16(text)) put16(value, unit);
  put16(value, 0);
  return value;
}

}  // namespace

std::vector<Resource> iconResources(const std::string& bytes) {
  if (!fits(bytes, 0, kIconHeaderSize)) throw StampError(stamp_message::kIconTooShort);
  if (get16(bytes, 0) != 0 || get16(bytes, 2) != 1) {
    throw StampError(get16(bytes, 0) == 0 && get16(bytes, 2) == 2 ? stamp_message::kIconIsCursor
                                                                  : stamp_message::kIconBadStart);
  }
  const std::uint16_t count = get16(bytes, 4);
  if (count == 0) throw StampError(stamp_message::kIconEmpty);
  const std::size_t directoryEnd = kIconHeaderSize + kIconEntrySize * count;
  if (!fits(bytes, 0, directoryEnd)) throw StampError(stamp_message::kIconListCut);

  std::vector<Resource> resources;
  std::string group;
  put16(group, 0);
  put16(group, 1);
  put16(group, count);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t entry = kIconHeaderSize + kIconEntrySize * i;
    const std::uint32_t size = get32(bytes, entry + 8);
    const std::uint32_t offset = get32(bytes, entry + 12);
    const std::string number = std::to_string(i + 1);
    const std::string all = std::to_string(count);
    if (size == 0 || offset < directoryEnd || !fits(bytes, offset, size)) {
      throw StampError(stamp_message::fill(stamp_message::kImageOutside, {number, all}));
    }
    std::string data = bytes.substr(offset, size);
    const bool png = data.compare(0, kPngSignature.size(), kPngSignature) == 0;
    if (!png && (data.size() < kBitmapHeaderSize || get32(data, 0) != kBitmapHeaderSize)) {
      throw StampError(stamp_message::fill(stamp_message::kImageUnknown, {number, all}));
    }
    const auto id = static_cast<std::uint16_t>(i + 1);
    // The group's entry: the image's entry up to its size, then the resource id.
    group.append(bytes, entry, kGroupEntrySize - 2);
    put16(group, id);
    resources.push_back(
        Resource{ResourceKey::number(kResourceIcon), ResourceKey::number(id), kStampLanguage, 0, std::move(data)});
  }
  resources.push_back(
      Resource{ResourceKey::number(kResourceGroupIcon), ResourceKey::number(1), kStampLanguage, 0, std::move(group)});
  return resources;
}

Resource launcherMark() {
  // A resource compiler upper-cases names and stores an RCDATA text without its end.
  return Resource{ResourceKey::number(kResourceData), ResourceKey{true, 0, u"VEXIL_LAUNCHER"}, kStampLanguage, 0,
                  "Vexil launcher"};
}

bool carriesLauncherMark(const std::vector<Resource>& resources) {
  const Resource mark = launcherMark();
  return std::any_of(resources.begin(), resources.end(), [&](const Resource& resource) {
    return resource.type == mark.type && resource.name == mark.name && resource.data == mark.data;
  });
}

VersionNumbers parseVersion(const std::string& text) {
  VersionNumbers numbers{};
  const StampError invalid(stamp_message::fill(stamp_message::kNotAVersion, {text}));
  std::size_t part = 0;
  std::size_t digits = 0;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c == '.') {
      if (digits == 0 || ++part == numbers.size()) throw invalid;
      digits = 0;
      value = 0;
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (++digits > 5 || value > 0xFFFF) throw invalid;
      numbers[part] = static_cast<std::uint16_t>(value);
    } else {
      throw invalid;
    }
  }
  if (digits == 0) throw invalid;
  return numbers;
}

Resource versionResource(const VersionFields& fields) {
  const std::string& fileText = fields.fileVersion.empty() ? fields.productVersion : fields.fileVersion;
  const std::string& productText = fields.productVersion.empty() ? fields.fileVersion : fields.productVersion;
  const VersionNumbers file = fileText.empty() ? VersionNumbers{} : parseVersion(fileText);
  const VersionNumbers product = productText.empty() ? VersionNumbers{} : parseVersion(productText);

  std::string fixed;
  put32(fixed, kFixedInfoSignature);
  put32(fixed, 0x00010000);  // structure version 1.0
  put32(fixed, std::uint32_t{file[0]} << 16 | file[1]);
  put32(fixed, std::uint32_t{file[2]} << 16 | file[3]);
  put32(fixed, std::uint32_t{product[0]} << 16 | product[1]);
  put32(fixed, std::uint32_t{product[2]} << 16 | product[3]);
  put32(fixed, 0x3F);  // the flags below that are meaningful: all of them
  put32(fixed, 0);     // no flags: not a debug, prerelease or patched build
  put32(fixed, kOsWindowsNt);
  put32(fixed, kFileTypeApplication);
  put32(fixed, 0);  // subtype
  put32(fixed, 0);  // date, never set by anyone
  put32(fixed, 0);

  const std::pair<const char16_t*, const std::string*> texts[] = {
      {u"CompanyName", &fields.companyName},       {u"FileDescription", &fields.fileDescription},
      {u"FileVersion", &fields.fileVersion},       {u"InternalName", &fields.internalName},
      {u"LegalCopyright", &fields.legalCopyright}, {u"OriginalFilename", &fields.originalFilename},
      {u"ProductName", &fields.productName},       {u"ProductVersion", &fields.productVersion},
  };
  std::vector<std::string> strings;
  for (const auto& [key, text] : texts) {
    if (text->empty()) continue;
    std::string value = textValue(*text);
    strings.push_back(versionNode(key, value, static_cast<std::uint32_t>(value.size() / 2), true, {}));
  }
  const std::string table = versionNode(u"040904B0", "", 0, true, strings);
  std::string translation;
  put16(translation, kStampLanguage);
  put16(translation, kUnicodeCodePage);
  const std::string variables =
      versionNode(u"VarFileInfo", "", 0, true, {versionNode(u"Translation", translation, 4, false, {})});
  std::string info = versionNode(u"VS_VERSION_INFO", fixed, static_cast<std::uint32_t>(fixed.size()), false,
                                 {versionNode(u"StringFileInfo", "", 0, true, {table}), variables});
  return Resource{ResourceKey::number(kResourceVersion), ResourceKey::number(1), kStampLanguage, 0, std::move(info)};
}
