#include <windows.h>
// After windows.h, whose declarations they need.
#include <sddl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/single_instance.h"
#include "platform/windows_text.h"

namespace {

using Problem = InstanceClaim::Problem;

/// How long the first launch waits for a connected peer's message.
constexpr DWORD kReceiveMilliseconds = 2000;
constexpr char kAccepted = 'A';

std::string systemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length ? utf8FromWide(text, length) : "error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
  return reason;
}

struct Handle {
  HANDLE value = nullptr;
  explicit Handle(HANDLE handle = nullptr) : value(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (value) CloseHandle(value);
  }
};

/// The user of the process HANDLE (this process when null), as a copy of its SID.
std::vector<unsigned char> processUser(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process ? process : GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  Handle hold(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  std::vector<unsigned char> copy(GetLengthSid(sid));
  CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
  return copy;
}

/// Whether the process PID runs as USER.
bool runsAs(ULONG pid, std::vector<unsigned char>& user) {
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process.value) return false;
  std::vector<unsigned char> other = processUser(process.value);
  return !other.empty() && EqualSid(other.data(), user.data());
}

/// The logon session of this process, in hexadecimal.
std::string logonSession() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "0";
  Handle hold(token);
  TOKEN_STATISTICS statistics{};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenStatistics, &statistics, sizeof statistics, &size)) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "%08lx%08lx", static_cast<unsigned long>(statistics.AuthenticationId.HighPart),
                static_cast<unsigned long>(statistics.AuthenticationId.LowPart));
  return text;
}

std::string hashed(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ULL;  // 64-bit FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

/// Waits for the overlapped operation on PIPE; false when it fails, STOP is
/// set or MILLISECONDS pass (the operation is then cancelled).
bool finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD milliseconds, HANDLE stop, DWORD* count) {
  if (!started && GetLastError() != ERROR_IO_PENDING) return false;
  HANDLE events[2] = {overlapped.hEvent, stop};
  const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, milliseconds);
  if (waited != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, &overlapped, count, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, &overlapped, count, FALSE) != FALSE;
}

/// Reads or writes exactly SIZE bytes on the overlapped PIPE within MILLISECONDS each.
bool transfer(HANDLE pipe, bool write, char* data, DWORD size, DWORD milliseconds, HANDLE stop) {
  Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event.value) return false;
  while (size > 0) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.value;
    ResetEvent(event.value);
    DWORD count = 0;
    BOOL started =
        write ? WriteFile(pipe, data, size, nullptr, &overlapped) : ReadFile(pipe, data, size, nullptr, &overlapped);
    if (!finish(pipe, overlapped, started, milliseconds, stop, &count) || count == 0) return false;
    data += count;
    size -= count;
  }
  return true;
}

class Win32Endpoint : public InstanceEndpoint {
 public:
  Win32Endpoint(HANDLE pipe, std::vector<unsigned char> user)
      : m_pipe(pipe),
        m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        m_user(std::move(user)) {}

  void serve(const Receiver& receiver, const Logger& log) override {
    Handle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!connected.value || !m_stop.value) return;
    while (WaitForSingleObject(m_stop.value, 0) != WAIT_OBJECT_0) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = connected.value;
      ResetEvent(connected.value);
      DWORD count = 0;
      const BOOL started = ConnectNamedPipe(m_pipe.value, &overlapped);
      // A peer that came before the call is connected already, with nothing to wait for.
      const bool already = !started && GetLastError() == ERROR_PIPE_CONNECTED;
      if (!already && !finish(m_pipe.value, overlapped, started, INFINITE, m_stop.value, &count)) {
        if (WaitForSingleObject(m_stop.value, 0) == WAIT_OBJECT_0) return;
        log(TurnedAway::kStoppedAccepting, systemReason(GetLastError()));
        return;
      }
      takeOne(receiver, log);
      DisconnectNamedPipe(m_pipe.value);
    }
  }

  void close() override {
    if (m_stop.value) SetEvent(m_stop.value);
  }

 private:
  void takeOne(const Receiver& receiver, const Logger& log) {
    ULONG pid = 0;
    if (!GetNamedPipeClientProcessId(m_pipe.value, &pid) || !runsAs(pid, m_user)) {
      log(TurnedAway::kOtherUser, "process " + std::to_string(pid));
      return;
    }
    const std::optional<std::string> message = readInstanceFrame(
        [this](char* data, std::size_t size) {
          // At most kMaxInstanceMessage bytes: a DWORD holds the size.
          return transfer(m_pipe.value, false, data, static_cast<DWORD>(size), kReceiveMilliseconds, m_stop.value);
        },
        log);
    if (!message) return;
    bool accepted = false;
    receiver(*message, [&] {
      char answer = kAccepted;
      accepted = transfer(m_pipe.value, true, &answer, 1, kReceiveMilliseconds, nullptr);
    });
    // Disconnecting drops what the peer has not read yet: wait for it to
    // close its end once it has the answer.
    char rest;
    if (accepted) transfer(m_pipe.value, false, &rest, 1, kReceiveMilliseconds, m_stop.value);
  }

  Handle m_pipe;
  Handle m_stop;
  std::vector<unsigned char> m_user;
};

/// Security that lets only USER open the pipe.
struct UserOnly {
  SECURITY_DESCRIPTOR descriptor{};
  std::vector<unsigned char> acl;
  SECURITY_ATTRIBUTES attributes{};

  bool make(std::vector<unsigned char>& user) {
    acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user.data()));
    PACL list = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(list, ACL_REVISION, GENERIC_ALL, user.data()) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE)) {
      return false;
    }
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;
    return true;
  }
};

}  // namespace

InstanceClaim claimInstance(const std::string& programPath, const std::string& message) {
  if (message.size() > kMaxInstanceMessage) {
    return InstanceClaim::unavailable(Problem::kTooLong, std::to_string(message.size()) + " bytes");
  }
  std::vector<unsigned char> user = processUser(nullptr);
  if (user.empty())
    return InstanceClaim::unavailable(Problem::kSocketUnusable, "the user: " + systemReason(GetLastError()));
  wchar_t* sidText = nullptr;
  std::string sid = ConvertSidToStringSidW(user.data(), &sidText) ? utf8FromWide(sidText, wcslen(sidText)) : "";
  if (sidText) LocalFree(sidText);
  // Pipe names are seen by every session of the machine: the user and the
  // logon session are part of the name, and the pipe's security admits only the user.
  const std::string name = "vexil-instance-" + hashed(programPath + "|" + sid + "|" + logonSession());
  const std::wstring pipeName = wideFromUtf8("\\\\.\\pipe\\" + name);
  const std::string pipeText = "\\\\.\\pipe\\" + name;

  // One launch at a time looks and, finding nobody, becomes the first; the
  // system gives up the mutex of a launch that ended holding it.
  Handle mutex(CreateMutexW(nullptr, FALSE, wideFromUtf8("Local\\" + name).c_str()));
  if (!mutex.value)
    return InstanceClaim::unavailable(Problem::kFolderUnusable, "Local\\" + name + ": " + systemReason(GetLastError()));
  const DWORD waited = WaitForSingleObject(mutex.value, kInstanceLockMilliseconds);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
    return InstanceClaim::unavailable(Problem::kLockTimeout, "Local\\" + name);
  struct Release {
    HANDLE mutex;
    bool held = true;
    void operator()() {
      if (held) ReleaseMutex(mutex);
      held = false;
    }
    ~Release() { (*this)(); }
  } release{mutex.value};

  const ULONGLONG deadline = GetTickCount64() + kInstanceHandOverMilliseconds;
  for (;;) {
    Handle client(CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (client.value) {
      // Someone listens: the next launch may look too while this one waits.
      release();
      ULONG server = 0;
      if (!GetNamedPipeServerProcessId(client.value, &server) || !runsAs(server, user)) {
        return InstanceClaim::unavailable(Problem::kOtherUser, pipeText + ": process " + std::to_string(server));
      }
      // The first launch may then bring its window to the front.
      AllowSetForegroundWindow(server);
      std::string frame = framedInstanceMessage(message);
      char answer = 0;
      if (!transfer(client.value, true, frame.data(), static_cast<DWORD>(frame.size()), kInstanceHandOverMilliseconds,
                    nullptr) ||
          !transfer(client.value, false, &answer, 1, kInstanceHandOverMilliseconds, nullptr) || answer != kAccepted) {
        return InstanceClaim::unavailable(Problem::kNotAccepted, pipeText);
      }
      InstanceClaim claim;
      claim.outcome = InstanceClaim::Outcome::kHandedOver;
      return claim;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) break;
    if (error != ERROR_PIPE_BUSY)
      return InstanceClaim::unavailable(Problem::kSocketUnusable, pipeText + ": " + systemReason(error));
    // The first launch is busy with another: wait for its pipe to be free.
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline || (!WaitNamedPipeW(pipeName.c_str(), static_cast<DWORD>(deadline - now)) &&
                            GetLastError() != ERROR_FILE_NOT_FOUND)) {
      return InstanceClaim::unavailable(Problem::kNotAccepted, pipeText);
    }
  }

  UserOnly security;
  if (!security.make(user))
    return InstanceClaim::unavailable(Problem::kSocketUnusable, pipeText + ": " + systemReason(GetLastError()));
  // One instance of the pipe, and only if it is the first: a pipe of the same
  // name made by anyone else is never shared.
  HANDLE pipe =
      CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536, 65536, 0,
                       &security.attributes);
  if (pipe == INVALID_HANDLE_VALUE) {
    return InstanceClaim::unavailable(Problem::kSocketUnusable, pipeText + ": " + systemReason(GetLastError()));
  }
  InstanceClaim claim;
  claim.outcome = InstanceClaim::Outcome::kFirst;
  claim.endpoint = std::make_unique<Win32Endpoint>(pipe, std::move(user));
  return claim;
}

namespace {

BOOL CALLBACK bringToFront(HWND window, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
  return FALSE;
}

}  // namespace

void bringOwnWindowToFront() { EnumWindows(bringToFront, 0); }
