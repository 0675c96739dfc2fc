#ifndef VEXIL_PLATFORM_FILE_CHECKS_H_
#define VEXIL_PLATFORM_FILE_CHECKS_H_

// What a tool that replaces files asks before it does: whether two names are
// one file, and whether a file says it must not change. Paths are UTF-8, of any
// length (on Windows the wide functions read them). Free functions, not a
// service of the Platform record: only a tool (vexil-stamp) asks them, of the
// real disk.

#include <string>

/// True when A and B both exist and are the same file, however each is
/// written (links, case, "." and "..", another drive letter for the same
/// folder).
bool isSameFile(const std::string& a, const std::string& b);

/// True when the file PATH exists and is marked read-only: the read-only
/// attribute on Windows, no write permission for its owner elsewhere.
bool isReadOnlyFile(const std::string& path);

/// True when PATH exists and is neither a file nor a folder: a device (such
/// as /dev/null or NUL), a pipe or a socket, which reading may never end and
/// replacing would take from the system.
bool isSpecialFile(const std::string& path);

/// Removes the folder PATH if it is empty. False when it is still there.
bool removeEmptyFolder(const std::string& path);

#endif  // VEXIL_PLATFORM_FILE_CHECKS_H_
