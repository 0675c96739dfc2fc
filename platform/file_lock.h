#ifndef VEXIL_PLATFORM_FILE_LOCK_H_
#define VEXIL_PLATFORM_FILE_LOCK_H_

#include <string>

/// An exclusive lock on a file that other processes see, held by this object
/// (movable, not copyable) and released by the system when the process ends,
/// however it ends. Handed to a background process (background_process.h), it
/// stays held until that process ends.
class FileLock {
 public:
  /// Opens or makes the file PATH and locks it without waiting. The result is
  /// not held() when the file cannot be opened or another process holds it.
  static FileLock tryExclusive(const std::string& path);

  FileLock() = default;
  FileLock(FileLock&& other) noexcept : m_handle(other.m_handle) { other.m_handle = kNone; }
  FileLock& operator=(FileLock&& other) noexcept {
    if (this != &other) {
      release();
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
  explicit FileLock(long long handle) : m_handle(handle) {}
  long long m_handle = kNone;
};

#endif  // VEXIL_PLATFORM_FILE_LOCK_H_
