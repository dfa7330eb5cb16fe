// Where a radio group puts its buttons. No <windows.h>.
#pragma once

#include <vector>

namespace kolvar::toolkit {

struct CellRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const CellRect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// Cells for `count` buttons in a group of `width` x `height` with `columns` columns (values
// below 1 count as 1) and a font `fontHeight` pixels high (its sign is ignored). Buttons fill
// the columns top to bottom; with several rows the row height is stretched by
// (row height - font height) / (rows - 1) so that the last row's text sits near the bottom.
std::vector<CellRect> ArrangeRadioButtons(int count,
                                          int columns,
                                          int width,
                                          int height,
                                          int fontHeight);

}  // namespace kolvar::toolkit
