// The stamp file of a class-data archive is read from the user's cache
// folder, where any program of the user may have written anything: reading
// must accept exactly what writing gives, and writing must fit any buffer it
// is given or say that it does not.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/file_updates.h"

namespace {

// The next 8 bytes of DATA as a number (zero bytes past the end).
std::uint64_t take(const uint8_t* data, size_t size, size_t* at) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i, ++*at) value = (value << 8) | (*at < size ? data[*at] : 0);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FileStamp read;
  if (parseFileStamp(text, &read)) {
    char again[160];
    const size_t length = formatFileStamp(read, again, sizeof again);
    fuzz::require(length > 0 && std::string(again, length) == text, "a stamp is read only in the form written");
  }

  // Any stamp, written into a buffer of any size, reads back the same.
  size_t at = 0;
  FileStamp stamp;
  stamp.exists = true;
  stamp.size = take(data, size, &at);
  stamp.modified = static_cast<std::int64_t>(take(data, size, &at));
  stamp.changed = static_cast<std::int64_t>(take(data, size, &at));
  stamp.volume = take(data, size, &at);
  stamp.fileId = take(data, size, &at);
  const size_t capacity = size > 0 ? data[0] : 0;
  // Exactly CAPACITY bytes on the heap, so that a write past them shows.
  std::unique_ptr<char[]> buffer(new char[capacity > 0 ? capacity : 1]);
  const size_t length = formatFileStamp(stamp, buffer.get(), capacity);
  fuzz::require(length <= capacity, "the text fits the buffer");
  if (length > 0) {
    FileStamp back;
    fuzz::require(parseFileStamp(std::string(buffer.get(), length), &back) && sameFileState(back, stamp),
                  "a written stamp reads back");
  } else {
    char room[160];
    fuzz::require(formatFileStamp(stamp, room, sizeof room) > capacity, "only a text longer than the buffer fails");
  }
  return 0;
}
