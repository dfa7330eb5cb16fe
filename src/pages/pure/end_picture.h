// The end page's picture, drawn in code: a screen with a green check mark on a stand.
#pragma once

#include <vector>

#include "toolkit/pure/colors.h"

namespace kolvar::pages {

// The picture's size at 96 dots per inch.
constexpr int kEndPictureWidth = 128;
constexpr int kEndPictureHeight = 80;
// The colour left out when the picture is drawn (its top-left pixel).
constexpr toolkit::TColor kEndPictureKey = 0xFF00FF;

// The pixels (row by row from the top, 0x00BBGGRR) of the picture drawn `width` × `height`;
// empty for a size below 8 × 5.
std::vector<toolkit::TColor> EndPicturePixels(int width, int height);

}  // namespace kolvar::pages
