// The channel's frame as the first launch reads it, and the claim that found
// no channel: the same on every system.
#include "platform/single_instance.h"

#include <utility>

std::optional<std::string> readInstanceFrame(const std::function<bool(char* data, std::size_t size)>& read,
                                             const InstanceEndpoint::Logger& log) {
  using TurnedAway = InstanceEndpoint::TurnedAway;
  unsigned char size[kInstanceFrameHeaderSize];
  if (!read(reinterpret_cast<char*>(size), sizeof size)) {
    log(TurnedAway::kNoMessage, "");
    return std::nullopt;
  }
  const std::uint32_t length = instanceFrameLength(size);
  if (length > kMaxInstanceMessage) {
    log(TurnedAway::kTooLong, std::to_string(length) + " bytes");
    return std::nullopt;
  }
  std::string message(length, '\0');
  if (!read(message.data(), message.size())) {
    log(TurnedAway::kCutShort, std::to_string(length) + " bytes announced");
    return std::nullopt;
  }
  return message;
}

InstanceClaim InstanceClaim::unavailable(Problem problem, std::string detail) {
  InstanceClaim claim;
  claim.outcome = Outcome::kUnavailable;
  claim.problem = problem;
  claim.detail = std::move(detail);
  return claim;
}
