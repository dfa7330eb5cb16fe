#include "toolkit/pure/palette.h"

#include <cctype>

namespace kolvar::toolkit {
namespace {

struct NamedColor {
  std::string_view name;
  TColor value;
};

constexpr NamedColor kPalette[] = {
    {"clMenuTracking", clMenuTracking},
    {"clTitleBarEnd", clTitleBarEnd},
    {"cl1", cl1},
    {"cl2", cl2},
    {"clPaper", clPaper},
    {"cl3", cl3},
    {"clGrid", clGrid},
    {"clEdit", clEdit},
    {"clOther", clOther},
    {"clActiveTitleBar", clActiveTitleBar},
    {"clInactiveTitleBar", clInactiveTitleBar},
};

constexpr TColor kBasicColors[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
constexpr int kSystemColorCount = 31;

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::optional<TColor> PaletteColor(std::string_view name) {
  for (const NamedColor& entry : kPalette) {
    if (SameNoCase(entry.name, name))
      return entry.value;
  }
  return std::nullopt;
}

std::optional<TColor> MarkupColor(int n) {
  if (n < 0)
    return std::nullopt;
  if (n < 16)
    return kBasicColors[n];
  if (n < 16 + kSystemColorCount)
    return 0xFF000000u | static_cast<TColor>(n - 16);
  return std::nullopt;
}

}  // namespace kolvar::toolkit
