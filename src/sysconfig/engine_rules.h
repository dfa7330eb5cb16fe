// The text work of the engine configuration, without <windows.h>: the engine registry file's
// placeholder, the use count, the aliases' folders and parameter strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::sysconfig {

// The placeholder the engine registry file holds where the Program Files folder belongs.
inline constexpr std::string_view kProgDirPlaceholder = "$ProgDir$";

// `path` with every backslash doubled, as string values of a registry file escape them.
std::string DoubleBackslashes(std::string_view path);

// The engine registry file `bytes` (8-bit text) with every "$ProgDir$" in every line replaced by
// `replacement`, nothing else changed, and each line ended by CR LF. Lines may end in CR LF,
// LF or CR; a last line without an end is kept; an empty file stays empty.
std::string RewriteEngineRegistryFile(std::string_view bytes, std::string_view replacement);

// The use count to write back, given the value read (nullopt when missing or not a string):
// the value as a whole decimal integer plus one. Blanks and tabs around the number are
// ignored. A missing, empty, non-numeric, negative or out-of-range value counts as 0; the
// result never exceeds 2147483647.
std::wstring NextUseCount(const std::optional<std::wstring>& stored);

// One alias to add: its name and its folder.
struct AliasEntry {
  std::wstring name;
  std::wstring path;
};

// The suite's aliases for data folder `dataDir` (with or without a trailing backslash), in
// the order of AliasNames, each folder being `dataDir` joined to its subfolder.
std::vector<AliasEntry> SuiteAliases(std::wstring_view dataDir);

// The engine's parameter string for an alias folder: "PATH:" followed by the folder.
std::string AliasParams(std::string_view path);
// True when `text` (8-bit) fits the engine's name and parameter buffers.
bool FitsEngineBuffer(std::string_view text);

// The value "NET DIR" receives for `folder`: the folder with a trailing backslash.
std::wstring NetDirValue(std::wstring_view folder);

}  // namespace kolvar::sysconfig
