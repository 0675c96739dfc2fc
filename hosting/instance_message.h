#ifndef VEXIL_HOSTING_INSTANCE_MESSAGE_H_
#define VEXIL_HOSTING_INSTANCE_MESSAGE_H_

#include <string>
#include <vector>

/// What a later launch hands the first one: its current directory and its
/// arguments, bytes as it got them.
struct InstanceMessage {
  std::string workingDirectory;
  std::vector<std::string> arguments;
};

/// MESSAGE as bytes: a tag, the number of texts, then each text (the
/// directory first) with its length in front; numbers in four bytes, least
/// significant first.
std::string encodeInstanceMessage(const InstanceMessage& message);

/// The message in BYTES; false, with MESSAGE unchanged, when BYTES are not
/// one (another tag, a length past the end, bytes left over).
bool decodeInstanceMessage(const std::string& bytes, InstanceMessage* message);

#endif  // VEXIL_HOSTING_INSTANCE_MESSAGE_H_
