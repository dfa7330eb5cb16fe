#include "toolkit/pure/ini_text.h"

#include "platform/text.h"

namespace kolvar::toolkit {
namespace {

std::wstring_view Trim(std::wstring_view s) {
  const wchar_t* blanks = L" \t";
  size_t begin = s.find_first_not_of(blanks);
  if (begin == std::wstring_view::npos)
    return {};
  size_t end = s.find_last_not_of(blanks);
  return s.substr(begin, end - begin + 1);
}

std::wstring_view Unquote(std::wstring_view s) {
  if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

}  // namespace

IniText::IniText(std::wstring_view text) {
  std::wstring section;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring_view::npos)
      end = text.size();
    std::wstring_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == L';')
      continue;
    if (line.front() == L'[') {
      size_t close = line.find(L']');
      if (close != std::wstring_view::npos)
        section = Trim(line.substr(1, close - 1));
      continue;
    }
    size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos)
      continue;
    entries_.push_back({section, std::wstring(Trim(line.substr(0, eq))),
                        std::wstring(Unquote(Trim(line.substr(eq + 1))))});
  }
}

std::optional<std::wstring> IniText::Get(std::wstring_view section, std::wstring_view key) const {
  for (const Entry& entry : entries_) {
    if (EqualsNoCaseAscii(entry.section, section) && EqualsNoCaseAscii(entry.key, key))
      return entry.value;
  }
  return std::nullopt;
}

}  // namespace kolvar::toolkit
