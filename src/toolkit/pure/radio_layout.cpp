#include "toolkit/pure/radio_layout.h"

#include <cstdlib>

namespace kolvar::toolkit {

std::vector<CellRect> ArrangeRadioButtons(int count,
                                          int columns,
                                          int width,
                                          int height,
                                          int fontHeight) {
  std::vector<CellRect> cells;
  if (count <= 0)
    return cells;
  if (columns < 1)
    columns = 1;
  int rows = (count + columns - 1) / columns;
  int columnWidth = width / columns;
  int rowHeight = height / rows;
  if (rows > 1)
    rowHeight += (rowHeight - std::abs(fontHeight)) / (rows - 1);
  for (int i = 0; i < count; ++i) {
    cells.push_back({(i / rows) * columnWidth, (i % rows) * rowHeight, columnWidth, rowHeight});
  }
  return cells;
}

}  // namespace kolvar::toolkit
