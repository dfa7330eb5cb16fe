// The rules of the locate page that need no system calls: the data folder and its drive root
// from the alias path, the status line of the disk scan, the limits of the scan and the size a
// program file must exceed. No <windows.h> here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvar::pages {

// Marks a program folder that is not known.
inline constexpr wchar_t kUnknownFolder[] = L"????";
// Name of the suite's program file looked for in a candidate folder.
inline constexpr wchar_t kProgramFileName[] = L"KOLVAR.EXE";
// A program file must be larger than this to count as an installed suite.
inline constexpr uint64_t kMinProgramFileSize = 6000000;
// Folders whose path (with its final backslash) is longer than this are not searched.
inline constexpr size_t kMaxScanPathLength = 100;
// The status line shows this many characters from the end of the folder being searched.
inline constexpr size_t kStatusTailLength = 31;

// The data folder from the folder of the "KOLVAR" alias: one final backslash removed, then a
// final "\DATA" (any case) removed. "D:\KDATE\DATA\" gives "D:\KDATE".
std::wstring DataDirFromAliasPath(std::wstring_view aliasPath);

// The root of `path` whose drive kind decides the installation type: for a network path
// ("\\server\share\...") everything up to and including the fourth backslash, or the whole path
// when it has fewer; otherwise its first three characters ("D:\").
std::wstring DriveRootOf(std::wstring_view path);

// The installation type (1 LOCAL, 3 CLIENT) for the drive kind of the data folder's root, as
// the system reports it (4 is a network drive).
uint8_t InstallTypeForDriveType(unsigned driveType);

// The status line while `path` is searched: "Caut in .." and the last 31 characters of `path`.
std::wstring SearchStatusText(std::wstring_view path);

// `text` as the formatted label's markup that shows it unchanged: the markup characters of
// folder names ("&", "$", "%", "~", "@") are escaped.
std::wstring LiteralMarkup(std::wstring_view text);

// Whether the scan enters a folder whose path, with its final backslash, is `path`.
inline bool WithinScanLimit(std::wstring_view path) {
  return path.size() <= kMaxScanPathLength;
}

// Whether a program file of `size` bytes is large enough to be the suite's.
inline bool IsProgramFileSize(uint64_t size) {
  return size > kMinProgramFileSize;
}

// The folder where a WIN.INI "DatabasePath" value says the program lives: the value's folder
// part (everything before its last backslash or drive colon; a root keeps its backslash) with
// one final backslash. Empty when the value names no folder.
std::wstring ProgramDirFromDatabasePath(std::wstring_view databasePath);

}  // namespace kolvar::pages
