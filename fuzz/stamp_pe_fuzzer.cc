// vexil-stamp's PE resource code over hostile program files: the headers are
// checked, the resource table read, and a new table written in its place.
// A refusal is an ordinary outcome; a crash, a hang, memory beyond the
// limit, or a written table that does not read back as written is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/stamp/application_resources.h"
#include "tools/stamp/pe_resources.h"

namespace {

// Resources as comparable values, in one order, whatever order a table has them in.
std::vector<std::tuple<bool, std::uint16_t, std::u16string, bool, std::uint16_t, std::u16string, std::uint16_t,
                       std::uint32_t, std::string>>
normalised(const std::vector<Resource>& resources) {
  std::vector<std::tuple<bool, std::uint16_t, std::u16string, bool, std::uint16_t, std::u16string, std::uint16_t,
                         std::uint32_t, std::string>>
      values;
  for (const Resource& r : resources) {
    values.emplace_back(r.type.named, r.type.named ? 0 : r.type.id, r.type.name, r.name.named,
                        r.name.named ? 0 : r.name.id, r.name.name, r.language, r.codePage, r.data);
  }
  std::sort(values.begin(), values.end());
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    PeFile program(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<Resource> resources = program.resources();
    // What stamping does: the version replaced, the launcher's mark kept or added.
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [](const Resource& r) { return r.type == ResourceKey::number(kResourceVersion); }),
                    resources.end());
    if (!carriesLauncherMark(resources)) resources.push_back(launcherMark());
    resources.push_back(versionResource(VersionFields{"1.2.3.4", "", "Name", "", "", "", "a.exe", "a"}));
    program.replaceResources(resources);
    const std::vector<Resource> read = PeFile(program.bytes()).resources();
    fuzz::require(normalised(read) == normalised(resources), "the new table reads back as written");
  } catch (const StampError& error) {
    fuzz::require(error.what()[0] != '\0', "a refusal says why");
  }
  return 0;
}
