#include "hosting/stack_size.h"

#include <limits>

#include "text/ascii_text.h"

namespace {

const char kXssPrefix[] = "-Xss";
const char kThreadStackSizePrefix[] = "-XX:ThreadStackSize=";

bool multiply(std::uint64_t value, std::uint64_t factor, std::uint64_t* product) {
  if (value != 0 && factor > std::numeric_limits<std::uint64_t>::max() / value) return false;
  *product = value * factor;
  return true;
}

}  // namespace

bool parseMemorySize(const std::string& text, std::uint64_t* bytes) {
  std::size_t digits = 0;
  std::uint64_t value = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    if (!multiply(value, 10, &value)) return false;
    std::uint64_t digit = static_cast<std::uint64_t>(text[digits] - '0');
    if (value > std::numeric_limits<std::uint64_t>::max() - digit) return false;
    value += digit;
    ++digits;
  }
  if (digits == 0) return false;
  std::uint64_t unit = 1;
  if (digits + 1 == text.size()) {
    switch (text[digits]) {
      case 'k':
      case 'K':
        unit = 1024;
        break;
      case 'm':
      case 'M':
        unit = std::uint64_t{1024} * 1024;
        break;
      case 'g':
      case 'G':
        unit = std::uint64_t{1024} * 1024 * 1024;
        break;
      default:
        return false;
    }
  } else if (digits != text.size()) {
    return false;
  }
  return multiply(value, unit, bytes);
}

std::size_t configuredStackSize(const std::vector<std::string>& options) {
  std::uint64_t size = 0;
  for (const std::string& option : options) {
    std::uint64_t value = 0;
    if (startsWith(option, kXssPrefix)) {
      size = parseMemorySize(option.substr(sizeof kXssPrefix - 1), &value) ? value : 0;
    } else if (startsWith(option, kThreadStackSizePrefix)) {
      // This option counts in kibibytes, whatever unit its value carries.
      bool read =
          parseMemorySize(option.substr(sizeof kThreadStackSizePrefix - 1), &value) && multiply(value, 1024, &value);
      size = read ? value : 0;
    }
  }
  if (size > std::numeric_limits<std::size_t>::max()) return 0;
  return static_cast<std::size_t>(size);
}

std::size_t mainThreadStackSize(const std::vector<std::string>& options, std::size_t runtimeDefault) {
  std::size_t size = configuredStackSize(options);
  if (size == 0) size = runtimeDefault;
  if (size == 0) return 0;
  return size < kLeastMainThreadStackSize ? kLeastMainThreadStackSize : size;
}
