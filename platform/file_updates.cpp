// The stamp file's text, the comparison of stamps, and the host's file
// updates over the system's functions: the same on every system.
#include "platform/file_updates.h"

#include <cstring>
#include <limits>

#include "text/ascii_text.h"

namespace {

const char kStampHeading[] = "vexil-stamp 1";

// Appends the decimal form of VALUE (NEGATIVE: of minus VALUE) at *AT, or
// returns false when it does not fit before END.
bool putNumber(std::uint64_t value, bool negative, char** at, const char* end) {
  char digits[20];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (end - *at < static_cast<std::ptrdiff_t>(count + (negative ? 2 : 1))) return false;
  *(*at)++ = ' ';
  if (negative) *(*at)++ = '-';
  while (count > 0) *(*at)++ = digits[--count];
  return true;
}

bool putSigned(std::int64_t value, char** at, const char* end) {
  // The magnitude of the lowest value does not fit in the signed type.
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
  return putNumber(magnitude, negative, at, end);
}

// Reads " <digits>" at TEXT[*AT] into MAGNITUDE, with a leading "-" when
// SIGNED_ALLOWED; false on anything else and on overflow.
bool takeNumber(const std::string& text, size_t* at, bool signedAllowed, std::uint64_t* magnitude, bool* negative) {
  if (*at >= text.size() || text[*at] != ' ') return false;
  ++*at;
  *negative = signedAllowed && *at < text.size() && text[*at] == '-';
  if (*negative) ++*at;
  const size_t start = *at;
  std::uint64_t value = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') {
    const unsigned digit = static_cast<unsigned>(text[*at] - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
    value = value * 10 + digit;
    ++*at;
  }
  *magnitude = value;
  // One spelling per value: no leading zeros, no "-0".
  const size_t length = *at - start;
  if (length == 0 || (length > 1 && text[start] == '0')) return false;
  return !(*negative && value == 0);
}

bool takeUnsigned(const std::string& text, size_t* at, std::uint64_t* value) {
  bool negative = false;
  return takeNumber(text, at, false, value, &negative);
}

bool takeSigned(const std::string& text, size_t* at, std::int64_t* value) {
  std::uint64_t magnitude = 0;
  bool negative = false;
  if (!takeNumber(text, at, true, &magnitude, &negative)) return false;
  const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (!negative) {
    if (magnitude > limit) return false;
    *value = static_cast<std::int64_t>(magnitude);
  } else {
    if (magnitude > limit + 1) return false;
    *value = magnitude == limit + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
  }
  return true;
}

}  // namespace

bool sameFileState(const FileStamp& a, const FileStamp& b) {
  return a.exists == b.exists && a.size == b.size && a.modified == b.modified && a.changed == b.changed &&
         a.volume == b.volume && a.fileId == b.fileId;
}

std::size_t formatFileStamp(const FileStamp& stamp, char* buffer, std::size_t capacity) {
  const size_t headingLength = sizeof kStampHeading - 1;
  if (capacity < headingLength) return 0;
  std::memcpy(buffer, kStampHeading, headingLength);
  char* at = buffer + headingLength;
  const char* end = buffer + capacity;
  if (!putNumber(stamp.size, false, &at, end) || !putSigned(stamp.modified, &at, end) ||
      !putSigned(stamp.changed, &at, end) || !putNumber(stamp.volume, false, &at, end) ||
      !putNumber(stamp.fileId, false, &at, end) || at == end) {
    return 0;
  }
  *at++ = '\n';
  return static_cast<std::size_t>(at - buffer);
}

bool parseFileStamp(const std::string& text, FileStamp* stamp) {
  const size_t headingLength = sizeof kStampHeading - 1;
  if (!startsWith(text, kStampHeading)) return false;
  size_t at = headingLength;
  FileStamp read;
  read.exists = true;
  if (!takeUnsigned(text, &at, &read.size) || !takeSigned(text, &at, &read.modified) ||
      !takeSigned(text, &at, &read.changed) || !takeUnsigned(text, &at, &read.volume) ||
      !takeUnsigned(text, &at, &read.fileId)) {
    return false;
  }
  if (at + 1 != text.size() || text[at] != '\n') return false;
  *stamp = read;
  return true;
}

Done FileUpdates::recordFileStamp(const std::string& path, const std::string& stampPath) {
  const FileStamp recorded = stamp(path);
  if (!recorded.exists) return Done::failed();
  char text[160];
  const size_t length = formatFileStamp(recorded, text, sizeof text);
  if (length == 0) return Done::failed();
  const std::string part = stampPath + ".part";
  if (!writeWholeFile(part, std::string(text, length))) return Done::failed();
  Done replaced = replaceFile(part, stampPath);
  if (!replaced) removeFile(part);
  return replaced;
}

namespace {

Done doneIf(bool done) { return done ? Done() : Done::failed(); }

class HostFileUpdates : public FileUpdates {
 public:
  FileStamp stamp(const std::string& path) const override { return fileStamp(path); }
  bool isPrivateToUser(const std::string& path) const override { return ::isPrivateToUser(path); }
  std::vector<std::string> filesIn(const std::string& folder) const override { return ::filesIn(folder); }
  Outcome<std::string> readSmallFile(const std::string& path, std::size_t limit) const override {
    std::string contents;
    if (!::readSmallFile(path, limit, &contents)) return Outcome<std::string>::failed();
    return contents;
  }
  Done makeFolders(const std::string& path) override { return doneIf(::makeFolders(path)); }
  Done writeWholeFile(const std::string& path, const std::string& contents) override {
    return doneIf(::writeWholeFile(path, contents));
  }
  Done restrictToUser(const std::string& path) override { return doneIf(::restrictToUser(path)); }
  Done touchFile(const std::string& path) override { return doneIf(::touchFile(path)); }
  Done replaceFile(const std::string& from, const std::string& to) override { return doneIf(::replaceFile(from, to)); }
  Done removeFile(const std::string& path) override { return doneIf(::removeFile(path)); }
};

}  // namespace

FileUpdates& hostFileUpdates() {
  static HostFileUpdates files;
  return files;
}
