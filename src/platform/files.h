// Files and folders, as the installer uses them. Paths are wide strings; functions that can
// fail say so: "throws SystemError" or a bool result with GetLastError() left set.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar {

// True when `path` names an existing file (not a folder).
bool FileExists(const std::wstring& path);
// True when `path` names an existing folder.
bool DirectoryExists(const std::wstring& path);
// Creates `path` and every missing parent. True when the folder exists afterwards.
bool ForceDirectories(const std::wstring& path);
// Copies `from` to `to`, replacing `to`. False on failure (GetLastError() set).
bool CopyFileReplacing(const std::wstring& from, const std::wstring& to);
// Deletes a file, clearing a read-only attribute first. False on failure.
bool DeleteFileForced(const std::wstring& path);
// Size of a file in bytes; nullopt when it cannot be opened.
std::optional<uint64_t> FileSize(const std::wstring& path);

// Reads a whole file. Throws SystemError naming the file.
std::string ReadFileBytes(const std::wstring& path);
// Creates or replaces `path` with `bytes`. Throws SystemError naming the file.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// The first line of a text file in the ANSI code page, converted to wide text, without its
// line end. nullopt when the file cannot be opened or read.
std::optional<std::wstring> ReadFirstLineAnsi(const std::wstring& path);

// `text` in the ANSI code page; nullopt when some character has no exact ANSI form (no
// best-fit replacements are accepted).
std::optional<std::string> WideToAnsiExact(const std::wstring& text);
// `text` in the ANSI code page, look-alikes and default characters allowed; "" when the system
// refuses it.
std::string WideToAnsi(std::wstring_view text);
// ANSI bytes to wide text.
std::wstring AnsiToWide(const std::string& bytes);

// Names of the entries of `folder` matching `pattern` (e.g. L"*.ZIP"), files only.
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern);

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();
// The user's temporary folder as the system reports it, with a trailing backslash.
std::wstring TemporaryFolder();
// The Windows folder (e.g. C:\WINDOWS), without a trailing backslash.
std::wstring WindowsFolder();
// GetDriveType of the root of `path` (e.g. DRIVE_REMOVABLE for "A:\DISK1").
UINT DriveTypeOf(const std::wstring& path);

// A freshly created GUID in canonical text form "{XXXXXXXX-XXXX-...}"; nullopt on failure.
std::optional<std::wstring> NewGuidText();

}  // namespace kolvar
