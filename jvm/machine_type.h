#ifndef VEXIL_JVM_MACHINE_TYPE_H_
#define VEXIL_JVM_MACHINE_TYPE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/machine.h"

/// The machine named by the header of the executable image (a PE file such as
/// jvm.dll, or an ELF file such as libjvm.so) whose first bytes are HEAD.
/// When HEAD ends before the field that names it, the result is Unknown and
/// *BYTES_NEEDED is how many bytes from the start would tell (0 when no number
/// of bytes can: HEAD is no such image, or its header points out of reach).
Machine machineOfImage(std::string_view head, size_t* bytesNeeded);

/// How many bytes from the start of an image tell its machine in the common
/// case (the PE header follows a short DOS stub); machineOfImage says when a
/// file needs more.
constexpr size_t kImageHeadBytes = 1024;

/// Reads the first MAX_BYTES bytes of one file into CONTENTS (fewer when the
/// file is shorter); false when it cannot be read.
using ReadFileStart = std::function<bool(size_t maxBytes, std::string* contents)>;

/// The machine of the image that READ_START reads: its first kImageHeadBytes,
/// then once more as far as the header asks when it lies further in. Unknown
/// when the file cannot be read or is no such image.
Machine readImageMachine(const ReadFileStart& readStart);

/// The machine of the library at PATH, read through FILE_SYSTEM.
Machine readLibraryMachine(const FileSystem& fileSystem, const std::string& path);

/// "32-bit (x86)", "64-bit (x64)", "64-bit (ARM64)" and so on, for reports.
std::string describeMachine(Machine machine);

#endif  // VEXIL_JVM_MACHINE_TYPE_H_
