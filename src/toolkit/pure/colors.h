// Colour arithmetic shared by the toolkit's controls. No <windows.h> here.
#pragma once

#include <cstdint>

namespace kolvar::toolkit {

using TColor = uint32_t;

constexpr bool IsSystemColor(TColor color) {
  return (color >> 24) == 0xFF;
}

}  // namespace kolvar::toolkit
