// Profile (INI) files through the system's profile reader.
#pragma once

#include <optional>
#include <string>

namespace kolvar {

// The value of `key` in `section` of the INI file `path`; nullopt when the file, the section
// or the key is missing. Values are read as the system reads them (surrounding blanks and
// quotes removed).
std::optional<std::wstring> ReadProfileString(const std::wstring& path, const std::wstring& section,
                                              const std::wstring& key);

// The same from WIN.INI.
std::optional<std::wstring> ReadWinIniString(const std::wstring& section, const std::wstring& key);

}  // namespace kolvar
