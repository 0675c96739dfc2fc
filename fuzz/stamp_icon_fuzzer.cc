// vexil-stamp's reader of .ico files over hostile bytes: an icon file is
// either refused with a reason, or each of its images becomes an icon
// resource holding exactly the bytes the file's list points at, and the group
// lists them all.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/stamp/application_resources.h"
#include "tools/stamp/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<Resource> resources;
  try {
    resources = iconResources(bytes);
  } catch (const StampError& error) {
    fuzz::require(error.what()[0] != '\0', "a refusal says why");
    return 0;
  }
  // Read here from the file's own list, not from the code under test.
  const std::size_t count = get16(bytes, 4);
  fuzz::require(count > 0 && resources.size() == count + 1, "one resource per image, and the group");
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const std::uint32_t length = get32(bytes, entry + 8);
    const std::uint32_t offset = get32(bytes, entry + 12);
    fuzz::require(fits(bytes, offset, length), "an image lies inside the file");
    fuzz::require(resources[i].data == bytes.substr(offset, length), "an image's bytes are the file's");
    fuzz::require(resources[i].type == ResourceKey::number(kResourceIcon) &&
                      resources[i].name == ResourceKey::number(static_cast<std::uint16_t>(i + 1)),
                  "icons are numbered from 1");
  }
  const std::string& group = resources.back().data;
  fuzz::require(resources.back().type == ResourceKey::number(kResourceGroupIcon), "the group comes last");
  fuzz::require(group.size() == 6 + 14 * count && group.compare(0, 6, bytes, 0, 6) == 0,
                "the group is the header and one entry per image");
  return 0;
}
