// A read-only INI text in memory: sections of key=value lines, looked up the way the system's
// profile reader does (names compared without case, blanks around names and values dropped,
// one pair of surrounding quotes removed). No <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::toolkit {

class IniText {
 public:
  IniText() = default;
  // Parses `text` (lines ending in CR LF, LF or CR). Lines that are neither a "[section]"
  // header nor hold an '=' are skipped; so are lines starting with ';'.
  explicit IniText(std::wstring_view text);

  // The first value of `key` in the first `section` holding it; nullopt when absent.
  std::optional<std::wstring> Get(std::wstring_view section, std::wstring_view key) const;

 private:
  struct Entry {
    std::wstring section;
    std::wstring key;
    std::wstring value;
  };
  std::vector<Entry> entries_;
};

}  // namespace kolvar::toolkit
