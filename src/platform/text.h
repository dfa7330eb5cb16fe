// Text helpers without <windows.h>: UTF-8 and wide conversion, paths as the installer writes them.
#pragma once

#include <string>
#include <string_view>

namespace kolvar {

// UTF-8 to wide (UTF-16 on Windows, UTF-32 elsewhere). Malformed bytes become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Wide to UTF-8. Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// `path` with exactly one trailing backslash (an empty path stays empty).
std::wstring IncludeTrailingBackslash(std::wstring_view path);
// `path` without trailing backslashes.
std::wstring ExcludeTrailingBackslash(std::wstring_view path);
// `folder` and `name` joined by exactly one backslash, whether or not `folder` ends with one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// ASCII-only case mapping; other characters are left as they are.
std::wstring AsciiUpper(std::wstring_view text);
bool EqualsNoCaseAscii(std::wstring_view a, std::wstring_view b);

}  // namespace kolvar
