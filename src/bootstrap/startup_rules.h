// Text rules of start-up and configuration, apart from the system calls that feed them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kolvar::bootstrap {

// The private folder name for a GUID in canonical text form: braces and dashes removed,
// upper case (32 hexadecimal digits). Empty when `guidText` is empty.
std::wstring GuidToFolderName(std::wstring_view guidText);

// The private folder: `tempFolder` (a backslash added when missing), the folder name, and a
// final backslash; just `tempFolder` with its backslash when `folderName` is empty.
std::wstring PrivateFolderPath(std::wstring_view tempFolder, std::wstring_view folderName);

// The media folder taken from the marker's line: its last character (the trailing backslash)
// removed. "D:\" gives "D:".
std::wstring SourceDirFromMarker(std::wstring_view markerLine);

// An integer as the installer configuration reads it: the leading decimal digits (after
// blanks), 0 when there are none or the value is negative, the largest int when it overflows,
// `fallback` when the key is missing.
int ProfileInteger(const std::optional<std::wstring>& value, int fallback);

}  // namespace kolvar::bootstrap
