#include "hosting/instance_message.h"

#include <cstddef>
#include <cstdint>

#include "text/ascii_text.h"

namespace {

const char kTag[] = "vexil-instance-1";

void appendNumber(std::string& bytes, std::size_t number) {
  const auto value = static_cast<std::uint32_t>(number);
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

/// The number at OFFSET, which moves past it; false when the bytes end first.
bool readNumber(const std::string& bytes, std::size_t& offset, std::size_t* number) {
  if (bytes.size() - offset < 4) return false;
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  offset += 4;
  *number = value;
  return true;
}

}  // namespace

std::string encodeInstanceMessage(const InstanceMessage& message) {
  std::string bytes(kTag, sizeof kTag - 1);
  appendNumber(bytes, message.arguments.size() + 1);
  appendNumber(bytes, message.workingDirectory.size());
  bytes += message.workingDirectory;
  for (const std::string& argument : message.arguments) {
    appendNumber(bytes, argument.size());
    bytes += argument;
  }
  return bytes;
}

bool decodeInstanceMessage(const std::string& bytes, InstanceMessage* message) {
  if (!startsWith(bytes, kTag)) return false;
  std::size_t offset = sizeof kTag - 1;
  std::size_t count = 0;
  // Each text takes four bytes at least: a count beyond that is a lie, not a reason to reserve memory.
  if (!readNumber(bytes, offset, &count) || count == 0 || count > (bytes.size() - offset) / 4) return false;
  std::vector<std::string> texts;
  texts.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t length = 0;
    if (!readNumber(bytes, offset, &length) || length > bytes.size() - offset) return false;
    texts.push_back(bytes.substr(offset, length));
    offset += length;
  }
  if (offset != bytes.size()) return false;
  message->workingDirectory = std::move(texts.front());
  message->arguments.assign(std::make_move_iterator(texts.begin() + 1), std::make_move_iterator(texts.end()));
  return true;
}
