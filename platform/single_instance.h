#ifndef VEXIL_PLATFORM_SINGLE_INSTANCE_H_
#define VEXIL_PLATFORM_SINGLE_INSTANCE_H_

// Free functions, not a service of the Platform record: only the launch
// sequence and the hosting of the real runtime use the channel, and the
// hosting's tests stand in for its endpoint (InstanceEndpoint).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The channel between the launches of one application. The first launch
// listens on it; a later one hands it a message and ends. An application is
// told apart by the launcher's full path, the user and the session: on Linux
// a Unix socket in a folder of mode 0700 owned by the user (below
// $XDG_RUNTIME_DIR, else /tmp/vexil-<uid>), on Windows a named pipe that only
// the user may open, named after the user and the logon session. Two launches
// at the same moment are put in order by a lock the system drops when its
// holder ends, so a first launch that crashed leaves nothing in the way.

/// The longest message a launch may hand over.
inline constexpr std::size_t kMaxInstanceMessage = 1024 * 1024;

/// A message on the channel is framed by its length: four bytes, least
/// significant first, then the message itself.
inline constexpr std::size_t kInstanceFrameHeaderSize = 4;

inline std::string framedInstanceMessage(const std::string& message) {
  std::string frame(kInstanceFrameHeaderSize, '\0');
  const auto length = static_cast<std::uint32_t>(message.size());
  for (std::size_t i = 0; i < kInstanceFrameHeaderSize; ++i) frame[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return frame + message;
}

/// The length that a frame's HEADER announces.
inline std::uint32_t instanceFrameLength(const unsigned char (&header)[kInstanceFrameHeaderSize]) {
  return header[0] | (header[1] << 8) | (header[2] << 16) | (std::uint32_t{header[3]} << 24);
}

/// How long a later launch waits for the lock, and then for the first launch
/// to accept its message, before it starts on its own. The first accepts once
/// its runtime is up, which on a busy machine may take seconds.
inline constexpr int kInstanceLockMilliseconds = 5000;
inline constexpr int kInstanceHandOverMilliseconds = 8000;

/// Held by the first launch: where the later ones connect.
class InstanceEndpoint {
 public:
  /// What the first launch does with each message. Calling ACCEPT tells the
  /// sender that its launch is taken over (it then ends); a message left
  /// unaccepted makes the sender start on its own.
  using Receiver = std::function<void(const std::string& message, const std::function<void()>& accept)>;
  /// Why a connection was turned away, with DETAIL (a uid, a length, the
  /// system's reason), for the debug file.
  enum class TurnedAway { kOtherUser, kNoMessage, kTooLong, kCutShort, kStoppedAccepting };
  using Logger = std::function<void(TurnedAway why, const std::string& detail)>;

  virtual ~InstanceEndpoint() = default;
  /// Takes connections one at a time until close() and gives RECEIVER the
  /// message of each peer of the same user; a peer of another user, a message
  /// that is cut short, too long or not sent in time is turned away with a
  /// line to LOG. Returns once closed.
  virtual void serve(const Receiver& receiver, const Logger& log) = 0;
  /// Stops serve (from any thread) and removes the endpoint, so that the next
  /// launch becomes the first one. Idempotent.
  virtual void close() = 0;
};

/// Reads one framed message with READ, which fills DATA wholly (false when it
/// cannot); a message cut short or too long is turned away with a line to LOG
/// and gives nothing. The same on every system.
std::optional<std::string> readInstanceFrame(const std::function<bool(char* data, std::size_t size)>& read,
                                             const InstanceEndpoint::Logger& log);

/// What became of a launch's search for the first one.
struct InstanceClaim {
  enum class Outcome {
    kFirst,        ///< none is running: ENDPOINT is this launch's, to listen on
    kHandedOver,   ///< the first one accepted the message: this launch ends
    kUnavailable,  ///< no channel (PROBLEM says why): this launch starts on its own
  };
  /// Why there is no channel. DETAIL names the folder or socket and, after
  /// ": ", the system's reason or what is wrong with it.
  enum class Problem {
    kNone,
    kTooLong,           ///< the message is longer than kMaxInstanceMessage
    kFolderUnusable,    ///< the folder cannot be made or opened
    kFolderNotPrivate,  ///< the folder is another user's, or others may enter it
    kLockTimeout,       ///< another launch held the lock for the whole wait
    kSocketUnusable,    ///< the socket (pipe) cannot be reached, made or listened on
    kOtherUser,         ///< the endpoint is served by another user
    kNotAccepted,       ///< the first launch did not accept the message in time
  };
  Outcome outcome = Outcome::kUnavailable;
  std::unique_ptr<InstanceEndpoint> endpoint;
  Problem problem = Problem::kNone;
  std::string detail;

  /// A claim that found no channel, for PROBLEM, with DETAIL.
  static InstanceClaim unavailable(Problem problem, std::string detail);
};

/// Looks for the first launch of the program at PROGRAM_PATH for this user
/// and session and hands it MESSAGE, or, when there is none, becomes it.
InstanceClaim claimInstance(const std::string& programPath, const std::string& message);

/// Windows: brings a visible top-level window of this process to the front
/// (a later launch has allowed it). Elsewhere it does nothing.
void bringOwnWindowToFront();

#endif  // VEXIL_PLATFORM_SINGLE_INSTANCE_H_
