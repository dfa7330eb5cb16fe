#include "bootstrap/instructions_path.h"

#include <cmath>
#include <cstdio>

namespace kolvar::bootstrap {

std::wstring VersionFolderName(double version) {
  double magnitude = std::fabs(version);
  int integerDigits = magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  int decimals = integerDigits >= 9 ? 0 : std::min(2, 9 - integerDigits);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, version);
  std::wstring out;
  for (const char* p = text; *p; ++p)
    out.push_back(*p == ',' ? L'.' : static_cast<wchar_t>(*p));
  return out;
}

std::wstring InstructionsFile(const std::wstring& programDir, double version) {
  std::wstring path = programDir;
  if (path.empty() || (path.back() != L'\\' && path.back() != L'/'))
    path += L'\\';
  return path + L"VerInfo\\" + VersionFolderName(version) + L"\\Instruct.htm";
}

std::wstring ReadMarkName(const std::wstring& fileName) {
  if (!fileName.empty() && (fileName.back() == L'l' || fileName.back() == L'L'))
    return fileName;
  return fileName + L"l";
}

}  // namespace kolvar::bootstrap
