#include "bootstrap/startup_rules.h"

#include <climits>

#include "platform/text.h"

namespace kolvar::bootstrap {

std::wstring GuidToFolderName(std::wstring_view guidText) {
  std::wstring name;
  for (wchar_t c : guidText) {
    if (c == L'{' || c == L'}' || c == L'-') continue;
    name.push_back(c);
  }
  return AsciiUpper(name);
}

std::wstring PrivateFolderPath(std::wstring_view tempFolder, std::wstring_view folderName) {
  std::wstring path = IncludeTrailingBackslash(tempFolder);
  if (!folderName.empty()) {
    path += folderName;
    path.push_back(L'\\');
  }
  return path;
}

std::wstring SourceDirFromMarker(std::wstring_view markerLine) {
  if (markerLine.empty()) return std::wstring();
  return std::wstring(markerLine.substr(0, markerLine.size() - 1));
}

int ProfileInteger(const std::optional<std::wstring>& value, int fallback) {
  if (!value) return fallback;
  size_t i = 0;
  while (i < value->size() && ((*value)[i] == L' ' || (*value)[i] == L'\t')) ++i;
  if (i < value->size() && ((*value)[i] == L'-')) return 0;
  if (i < value->size() && ((*value)[i] == L'+')) ++i;
  long long result = 0;
  for (; i < value->size() && (*value)[i] >= L'0' && (*value)[i] <= L'9'; ++i) {
    result = result * 10 + ((*value)[i] - L'0');
    if (result > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(result);
}

}  // namespace kolvar::bootstrap
