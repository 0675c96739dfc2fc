#ifndef VEXIL_PLATFORM_FILE_LOCK_H_
#define VEXIL_PLATFORM_FILE_LOCK_H_

#include <optional>
#include <string>

class FileLocks;

/// An exclusive lock on a file that other processes see, held by this object
/// (movable, not copyable) and released by the system when the process ends,
/// however it ends. Handed to a background process (background_process.h), it
/// stays held until that process ends.
class FileLock {
 public:
  FileLock() = default;
  /// A lock that OWNER took; HANDLE is the owner's.
  FileLock(FileLocks* owner, long long handle) : m_owner(owner), m_handle(handle) {}
  FileLock(FileLock&& other) noexcept : m_owner(other.m_owner), m_handle(other.m_handle) { other.m_handle = kNone; }
  FileLock& operator=(FileLock&& other) noexcept {
    if (this != &other) {
      release();
      m_owner = other.m_owner;
      m_handle = other.m_handle;
      other.m_handle = kNone;
    }
    return *this;
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { release(); }

  bool held() const { return m_handle != kNone; }
  void release();
  /// The system handle (a descriptor or a HANDLE), for the background process.
  long long handle() const { return m_handle; }

 private:
  static constexpr long long kNone = -1;
  FileLocks* m_owner = nullptr;
  long long m_handle = kNone;
};

/// Takes the locks: the host's are the system's, a test's are in memory.
class FileLocks {
 public:
  virtual ~FileLocks() = default;

  /// Opens or makes the file PATH and locks it without waiting. The result is
  /// not held() when the file cannot be opened or another process holds it.
  virtual FileLock tryExclusive(const std::string& path) = 0;

 private:
  friend class FileLock;
  /// Lets go of a lock this object took.
  virtual void release(long long handle) = 0;
};

inline void FileLock::release() {
  if (m_handle == kNone) return;
  const long long handle = m_handle;
  m_handle = kNone;
  m_owner->release(handle);
}

/// The running system's locks.
FileLocks& hostFileLocks();

/// The system's part of the host's locks: opens or makes the file PATH and
/// locks it without waiting; the system handle, or none when the file cannot
/// be opened or another process holds it.
std::optional<long long> lockFileWithoutWaiting(const std::string& path);
/// Closes a handle that lockFileWithoutWaiting gave, which lets go of its lock.
void closeLockedFile(long long handle);

#endif  // VEXIL_PLATFORM_FILE_LOCK_H_
