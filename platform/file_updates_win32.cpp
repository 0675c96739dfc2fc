#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <algorithm>
#include <vector>

#include "platform/file_updates.h"
#include "platform/windows_text.h"

namespace {

// The file times' unit is 100 ns, counted from 1601.
const std::int64_t kTicksPerSecond = 10000000;
const std::int64_t kSecondsFrom1601To1970 = 11644473600LL;

std::int64_t ticks(const LARGE_INTEGER& time) { return time.QuadPart; }

// The token's user and its owner of new objects (Administrators for an
// elevated administrator): a file either of them owns is the user's own.
struct UserSids {
  std::vector<BYTE> user;
  std::vector<BYTE> owner;
};

bool tokenSids(UserSids* sids) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const auto query = [token](TOKEN_INFORMATION_CLASS kind, std::vector<BYTE>* data) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) return false;
    data->resize(size);
    return GetTokenInformation(token, kind, data->data(), size, &size) != 0;
  };
  const bool read = query(TokenUser, &sids->user) && query(TokenOwner, &sids->owner);
  CloseHandle(token);
  return read;
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

}  // namespace

FileStamp fileStamp(const std::string& path) {
  FileStamp stamp;
  // Zero access: the stamp is read even of a file another program holds open.
  HANDLE file = CreateFileW(systemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return stamp;
  BY_HANDLE_FILE_INFORMATION information;
  FILE_BASIC_INFO basic;
  if (GetFileInformationByHandle(file, &information) &&
      GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    stamp.exists = true;
    stamp.isDirectory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    stamp.size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    stamp.modified = ticks(basic.LastWriteTime);
    stamp.changed = ticks(basic.ChangeTime);
    stamp.volume = information.dwVolumeSerialNumber;
    stamp.fileId = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    stamp.modifiedSeconds = stamp.modified / kTicksPerSecond - kSecondsFrom1601To1970;
  }
  CloseHandle(file);
  return stamp;
}

bool isPrivateToUser(const std::string& path) {
  UserSids sids;
  if (!tokenSids(&sids)) return false;
  PSID user = reinterpret_cast<TOKEN_USER*>(sids.user.data())->User.Sid;
  PSID defaultOwner = reinterpret_cast<TOKEN_OWNER*>(sids.owner.data())->Owner;
  PSID owner = nullptr;
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(systemPath(path).c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &access, nullptr,
                            &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  // No access list at all lets everyone do anything.
  bool isPrivate = owner && access && (EqualSid(owner, user) || EqualSid(owner, defaultOwner));
  const DWORD writeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE |
                            GENERIC_ALL | FILE_DELETE_CHILD | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
  for (DWORD index = 0; isPrivate && index < access->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(access, index, &entry)) {
      isPrivate = false;
      break;
    }
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    // Entries only handed down to what the folder will hold do not apply to it.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    const ACCESS_ALLOWED_ACE* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    PSID grantee = const_cast<DWORD*>(&allowed->SidStart);
    if ((allowed->Mask & writeRights) == 0 || EqualSid(grantee, user) || EqualSid(grantee, defaultOwner) ||
        isWellKnown(grantee, WinLocalSystemSid) || isWellKnown(grantee, WinBuiltinAdministratorsSid) ||
        isWellKnown(grantee, WinCreatorOwnerSid)) {
      continue;
    }
    isPrivate = false;
  }
  LocalFree(descriptor);
  return isPrivate;
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  // Every prefix that ends before a separator, then the whole path. Those
  // that exist, and a drive ("C:") or a share's server part, fail to be made;
  // only the outcome for the whole path counts. They inherit the access list
  // of the user's own folder they are made in.
  for (size_t cut = path.find_first_of("\\/", 1);; cut = path.find_first_of("\\/", cut + 1)) {
    CreateDirectoryW(systemPath(path.substr(0, cut)).c_str(), nullptr);
    if (cut == std::string::npos) break;
  }
  const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeEmptyFile(const std::string& path) { return writeWholeFile(path, std::string()); }

bool writeWholeFile(const std::string& path, const std::string& contents) {
  HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  for (size_t done = 0; written && done < contents.size();) {
    DWORD count = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1 << 20));
    written = WriteFile(file, contents.data() + done, chunk, &count, nullptr) && count > 0;
    done += count;
  }
  return CloseHandle(file) != 0 && written;
}

bool readSmallFile(const std::string& path, std::size_t limit, std::string* contents) {
  HANDLE file =
      CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool read = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
              static_cast<std::uint64_t>(size.QuadPart) <= limit;
  if (read) {
    contents->assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t have = 0;
    while (have < contents->size()) {
      DWORD count = 0;
      if (!ReadFile(file, &(*contents)[have], static_cast<DWORD>(contents->size() - have), &count, nullptr) ||
          count == 0) {
        break;
      }
      have += count;
    }
    contents->resize(have);
  }
  CloseHandle(file);
  return read;
}

// The user's local application data folder grants no one else any right, and
// what is made in it inherits that.
bool restrictToUser(const std::string&) { return true; }

bool touchFile(const std::string& path) {
  HANDLE file = CreateFileW(systemPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const bool touched = SetFileTime(file, nullptr, nullptr, &now) != 0;
  CloseHandle(file);
  return touched;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::string& path) {
  const std::wstring name = systemPath(path);
  // The runtime makes its archives read-only, which DeleteFile refuses.
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(name.c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(systemPath(folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = utf8FromWide(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return names;
}
