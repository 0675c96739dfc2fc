#ifndef VEXIL_PLATFORM_WINDOWS_TEXT_H_
#define VEXIL_PLATFORM_WINDOWS_TEXT_H_

// Windows only. Inside the launcher text is UTF-8; the Windows services take
// UTF-16 (the wide functions) or the process's ANSI code page. These turn one
// into the other at each call. Free functions, not a service of the Platform
// record: only the Windows files of this floor use them.

#include <string>

/// UTF-8 TEXT in UTF-16. Bytes that are not UTF-8 become U+FFFD.
std::wstring wideFromUtf8(const std::string& text);

/// UTF-16 TEXT in UTF-8. An unpaired surrogate becomes U+FFFD.
std::string utf8FromWide(const std::wstring& text);
std::string utf8FromWide(const wchar_t* text, size_t length);

/// TEXT in the process's ANSI code page (what the ANSI functions return) in
/// UTF-8; unchanged where that code page is UTF-8.
std::string utf8FromAnsi(const std::string& text);

/// UTF-8 TEXT in the process's ANSI code page, for an ANSI function. False
/// when the code page has no character for some of it.
bool ansiFromUtf8(const std::string& text, std::string* ansi);

/// PATH (UTF-8) for the wide file functions. A path too long for the classic
/// limit of 260 characters is made full and given the \\?\ form, which every
/// Windows reads up to 32767 characters whatever its long-path setting; a
/// shorter one is left to the system's usual reading ("/" separators,
/// relative paths).
std::wstring systemPath(const std::string& path);

/// PATH as a user reads it: without a \\?\ or \\?\UNC\ in front.
std::string withoutLongPathForm(const std::string& path);

/// The system's message for the error code ERROR (GetLastError), in UTF-8
/// and without a final line end; "error N" when it has none.
std::string systemErrorText(unsigned long error);

#endif  // VEXIL_PLATFORM_WINDOWS_TEXT_H_
