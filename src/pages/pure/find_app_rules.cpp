#include "pages/pure/find_app_rules.h"

#include "platform/text.h"

namespace kolvar::pages {

namespace {

constexpr std::wstring_view kDataEnding = L"\\DATA";

}  // namespace

std::wstring DataDirFromAliasPath(std::wstring_view aliasPath) {
  if (!aliasPath.empty() && aliasPath.back() == L'\\')
    aliasPath.remove_suffix(1);
  if (aliasPath.size() >= kDataEnding.size() &&
      EqualsNoCaseAscii(aliasPath.substr(aliasPath.size() - kDataEnding.size()), kDataEnding))
    aliasPath.remove_suffix(kDataEnding.size());
  return std::wstring(aliasPath);
}

std::wstring DriveRootOf(std::wstring_view path) {
  if (path.substr(0, 2) == L"\\\\") {
    int seen = 0;
    for (size_t i = 0; i < path.size(); ++i) {
      if (path[i] == L'\\' && ++seen == 4)
        return std::wstring(path.substr(0, i + 1));
    }
    return std::wstring(path);
  }
  return std::wstring(path.substr(0, 3));
}

uint8_t InstallTypeForDriveType(unsigned driveType) {
  constexpr unsigned kRemoteDrive = 4;
  return driveType == kRemoteDrive ? 3 : 1;
}

std::wstring SearchStatusText(std::wstring_view path) {
  if (path.size() > kStatusTailLength)
    path = path.substr(path.size() - kStatusTailLength);
  return L"Caut in .." + std::wstring(path);
}

std::wstring LiteralMarkup(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'&' || c == L'$' || c == L'%' || c == L'~' || c == L'@')
      out.push_back(L'\\');
    out.push_back(c);
  }
  return out;
}

std::wstring ProgramDirFromDatabasePath(std::wstring_view databasePath) {
  size_t cut = databasePath.find_last_of(L"\\:");
  if (cut == std::wstring_view::npos)
    return L"";
  // A backslash ends the folder part unless it follows a drive colon or another backslash:
  // "C:\DATA" lies in "C:\", "C:\ProKolv\DATA" in "C:\ProKolv".
  size_t length = cut + 1;
  if (databasePath[cut] == L'\\' && cut > 0 && databasePath[cut - 1] != L':' &&
      databasePath[cut - 1] != L'\\')
    length = cut;
  return IncludeTrailingBackslash(databasePath.substr(0, length));
}

}  // namespace kolvar::pages
