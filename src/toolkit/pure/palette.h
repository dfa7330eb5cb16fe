// The toolkit's named colours and the markup label's numbered colour list. No <windows.h>.
#pragma once

#include <optional>
#include <string_view>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

constexpr TColor clMenuTracking = 0x3686FE;
constexpr TColor clTitleBarEnd = 0x1ECDF9;
constexpr TColor cl1 = 0x9C9C9D;
constexpr TColor cl2 = 0xA9A9A9;
constexpr TColor clPaper = 0xB6B6B6;
constexpr TColor cl3 = 0xCFCFCF;
constexpr TColor clGrid = 0xDFDFDF;
constexpr TColor clEdit = 0xEFEFEF;
constexpr TColor clOther = 0xA7792E;
constexpr TColor clActiveTitleBar = 0x8A4507;
constexpr TColor clInactiveTitleBar = 0x9A9A9A;

// The value of a palette name ("cl2", "clGrid", ...; case-insensitive); nullopt when the name
// is not one of the palette's.
std::optional<TColor> PaletteColor(std::string_view name);

// Entry `n` of the markup colour list: 0..15 the sixteen basic colours (black, maroon, ...,
// white), then the system colours (0xFF000000 | index) in their index order. nullopt past the end
// of the list.
std::optional<TColor> MarkupColor(int n);

}  // namespace kolvar::toolkit
