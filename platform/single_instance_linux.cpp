#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/single_instance.h"

namespace {

using Clock = std::chrono::steady_clock;

/// How long the first launch waits for a connected peer's message.
constexpr int kReceiveMilliseconds = 2000;
constexpr char kAccepted = 'A';

std::string systemReason(int error) { return std::strerror(error); }

/// The name of the program's socket and lock: a hash of its full path.
std::string identityName(const std::string& programPath) {
  std::uint64_t hash = 14695981039346656037ULL;  // 64-bit FNV-1a
  for (unsigned char c : programPath) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string name;
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name;
}

/// The user's folder for the sockets: below the runtime folder the session
/// gives the user, else a folder of the user's own in /tmp.
std::string instanceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/vexil";
  return "/tmp/vexil-" + std::to_string(geteuid());
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : m_fd(fd) {}
  Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      m_fd = other.m_fd;
      other.m_fd = -1;
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { reset(); }
  int get() const { return m_fd; }
  bool valid() const { return m_fd >= 0; }
  void reset() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd;
};

/// The uid of the process at the other end of SOCKET; false when unknown.
bool peerUid(int socket, uid_t* uid) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
  *uid = credentials.uid;
  return true;
}

void setTimeouts(int socket, int milliseconds) {
  timeval limit{};
  if (milliseconds < 1) milliseconds = 1;
  limit.tv_sec = milliseconds / 1000;
  limit.tv_usec = static_cast<suseconds_t>(milliseconds % 1000) * 1000;
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

int millisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool writeAll(int socket, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = send(socket, data, size, MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

/// Reads exactly SIZE bytes; false on an end, an error or the time limit.
bool readAll(int socket, char* data, std::size_t size) {
  while (size > 0) {
    ssize_t got = recv(socket, data, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

class LinuxEndpoint : public InstanceEndpoint {
 public:
  LinuxEndpoint(Descriptor folder, Descriptor listener, std::string name, ino_t inode)
      : m_folder(std::move(folder)),
        m_listener(std::move(listener)),
        m_name(std::move(name)),
        m_inode(inode) {}
  ~LinuxEndpoint() override { close(); }

  void serve(const Receiver& receiver, const Logger& log) override {
    while (!m_closed) {
      Descriptor peer(accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!peer.valid()) {
        if (m_closed) return;
        if (errno == EINTR || errno == ECONNABORTED) continue;
        log(TurnedAway::kStoppedAccepting, systemReason(errno));
        return;
      }
      uid_t uid = 0;
      if (!peerUid(peer.get(), &uid) || uid != geteuid()) {
        log(TurnedAway::kOtherUser, "uid " + std::to_string(uid));
        continue;
      }
      setTimeouts(peer.get(), kReceiveMilliseconds);
      const int connection = peer.get();
      const std::optional<std::string> message = readInstanceFrame(
          [connection](char* data, std::size_t size) { return readAll(connection, data, size); }, log);
      if (!message) continue;
      receiver(*message, [connection] { writeAll(connection, &kAccepted, 1); });
    }
  }

  void close() override {
    if (m_closed.exchange(true)) return;
    // Removed only while it is still this endpoint's socket: a later first
    // launch may have put its own there after this one was left for dead.
    struct stat status {};
    if (fstatat(m_folder.get(), m_name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && status.st_ino == m_inode) {
      unlinkat(m_folder.get(), m_name.c_str(), 0);
    }
    // Wakes a waiting accept; the descriptor is closed with the object.
    shutdown(m_listener.get(), SHUT_RDWR);
  }

 private:
  Descriptor m_folder;
  Descriptor m_listener;
  std::string m_name;
  ino_t m_inode;
  std::atomic<bool> m_closed{false};
};

using Problem = InstanceClaim::Problem;

/// Opens FOLDER, making it if needed, and checks that it is a directory of
/// this user that nobody else may enter.
Descriptor openPrivateFolder(const std::string& folder, InstanceClaim* claim) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    *claim = InstanceClaim::unavailable(Problem::kFolderUnusable, folder + ": " + systemReason(errno));
    return Descriptor();
  }
  // Not followed when it is a link: the folder itself must be the user's.
  Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat status {};
  if (!fd.valid() || fstat(fd.get(), &status) != 0) {
    *claim = InstanceClaim::unavailable(Problem::kFolderUnusable, folder + ": " + systemReason(errno));
    return Descriptor();
  }
  if (status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
    const unsigned mode = status.st_mode & 0777;
    *claim = InstanceClaim::unavailable(Problem::kFolderNotPrivate, folder + ": uid " + std::to_string(status.st_uid) +
                                                                        ", mode " + std::to_string(mode >> 6) +
                                                                        std::to_string((mode >> 3) & 7) +
                                                                        std::to_string(mode & 7));
    return Descriptor();
  }
  return fd;
}

/// The socket's address; a folder path too long for it is reached through
/// the folder's open descriptor instead.
bool socketAddress(const std::string& folder, int folderFd, const std::string& name, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  std::string path = folder + "/" + name;
  if (path.size() >= sizeof address->sun_path) path = "/proc/self/fd/" + std::to_string(folderFd) + "/" + name;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

InstanceClaim claimInstance(const std::string& programPath, const std::string& message) {
  const Clock::time_point lockDeadline = Clock::now() + std::chrono::milliseconds(kInstanceLockMilliseconds);
  if (message.size() > kMaxInstanceMessage)
    return InstanceClaim::unavailable(Problem::kTooLong, std::to_string(message.size()) + " bytes");
  const std::string folder = instanceFolder();
  InstanceClaim refused;
  Descriptor folderFd = openPrivateFolder(folder, &refused);
  if (!folderFd.valid()) return refused;
  const std::string name = identityName(programPath);
  const std::string socketName = name + ".socket";

  // One launch at a time looks and, finding nobody, becomes the first; the
  // lock goes with its holder's end.
  const std::string lockPath = folder + "/" + name + ".lock";
  Descriptor lock(openat(folderFd.get(), (name + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!lock.valid()) return InstanceClaim::unavailable(Problem::kFolderUnusable, lockPath + ": " + systemReason(errno));
  while (flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return InstanceClaim::unavailable(Problem::kFolderUnusable, lockPath + ": " + systemReason(errno));
    }
    if (millisecondsUntil(lockDeadline) == 0) return InstanceClaim::unavailable(Problem::kLockTimeout, lockPath);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  sockaddr_un address{};
  const std::string socketPath = folder + "/" + socketName;
  if (!socketAddress(folder, folderFd.get(), socketName, &address)) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(ENAMETOOLONG));
  }
  Descriptor client(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!client.valid())
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  setTimeouts(client.get(), kInstanceHandOverMilliseconds);
  if (connect(client.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    // Someone listens: the next launch may look too while this one waits.
    lock.reset();
    uid_t uid = 0;
    if (!peerUid(client.get(), &uid) || uid != geteuid()) {
      return InstanceClaim::unavailable(Problem::kOtherUser, socketPath + ": uid " + std::to_string(uid));
    }
    const std::string frame = framedInstanceMessage(message);
    char answer = 0;
    if (!writeAll(client.get(), frame.data(), frame.size()) || !readAll(client.get(), &answer, 1) ||
        answer != kAccepted) {
      return InstanceClaim::unavailable(Problem::kNotAccepted, socketPath);
    }
    InstanceClaim claim;
    claim.outcome = InstanceClaim::Outcome::kHandedOver;
    return claim;
  }
  if (errno != ECONNREFUSED && errno != ENOENT) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  }
  // Nobody listens: a socket left by a launch that ended without removing it goes.
  client.reset();
  if (unlinkat(folderFd.get(), socketName.c_str(), 0) != 0 && errno != ENOENT) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  }
  Descriptor listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.valid())
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.get(), 16) != 0) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  }
  struct stat status {};
  if (fstatat(folderFd.get(), socketName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, socketPath + ": " + systemReason(errno));
  }
  InstanceClaim claim;
  claim.outcome = InstanceClaim::Outcome::kFirst;
  claim.endpoint = std::make_unique<LinuxEndpoint>(std::move(folderFd), std::move(listener), socketName, status.st_ino);
  return claim;
}

void bringOwnWindowToFront() {}
