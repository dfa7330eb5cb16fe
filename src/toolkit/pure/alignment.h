// Horizontal text alignment in the pure layout code; the values are those of the controls'
// alignment property (0 left, 1 right, 2 centre), so one converts to the other by value.
#pragma once

#include <cstdint>

namespace kolvar::toolkit {

enum class TextAlign : uint8_t { kLeft = 0, kRight = 1, kCenter = 2 };

// Left edge of a run `runWidth` wide inside `boxWidth`, as the alignment places it.
constexpr int AlignedLeft(TextAlign alignment, int boxWidth, int runWidth) {
  return alignment == TextAlign::kRight    ? boxWidth - runWidth
         : alignment == TextAlign::kCenter ? (boxWidth - runWidth) / 2
                                           : 0;
}

}  // namespace kolvar::toolkit
