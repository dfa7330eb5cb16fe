#include "bootstrap/instructions_path.h"

#include "platform/text.h"

#include <algorithm>
#include <cmath>

namespace kolvar::bootstrap {

std::wstring VersionFolderName(double version) {
  double magnitude = std::fabs(version);
  int integerDigits = magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  int decimals = integerDigits >= 9 ? 0 : std::min(2, 9 - integerDigits);
  long long scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
  // Rounded to `decimals` places as printf's "%.*f" rounds: the product is exact in the extended
  // type, and a tie goes to the even neighbour.
  long double scaled = static_cast<long double>(magnitude) * scale;
  long double whole = std::floor(scaled);
  long double rest = scaled - whole;
  long long units = static_cast<long long>(whole);
  if (rest > 0.5L || (rest == 0.5L && units % 2 != 0))
    ++units;
  std::wstring out = version < 0 && units != 0 ? L"-" : L"";
  WholeDivision split = DivideWhole(units, scale);
  out += DecimalText(split.quotient);
  if (decimals > 0) {
    std::wstring fraction = DecimalText(split.remainder);
    out += L'.' + std::wstring(decimals - fraction.size(), L'0') + fraction;
  }
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
