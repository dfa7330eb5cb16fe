// How wide a table's columns are: from what each cell needs at least (its longest word or
// picture) and at most (its text on one line), the widths the document asks for, and the room
// there is.
#pragma once

#include <vector>

#include "htmlview/pure/style.h"

namespace kolvar::htmlview {

// What one cell needs, in outer pixels (content, padding and cell border).
struct CellNeed {
  int first = 0;  // first column
  int span = 1;   // columns covered
  int min = 0;
  int max = 0;
  Length width;  // the cell's width attribute
};

struct TableWidthInput {
  int columns = 0;
  std::vector<CellNeed> cells;
  int available = 0;  // room the table may use
  Length width;       // the table's width attribute
  int spacing = 0;    // cellspacing: between cells and around them
  int border = 0;     // the table's outer border, each side
};

struct TableWidths {
  std::vector<int> columns;  // outer widths of the columns
  int total = 0;             // the table's width: columns, spacing and border
};

// The column widths. A table that cannot fit its cells' least widths in the room is made
// wider than the room (the view scrolls sideways); columns are never narrower than their
// cells' least width.
TableWidths ColumnWidths(const TableWidthInput& input);

// The sizes of a frameset's rows or columns ("120, 30%, *, 2*") in `total` pixels. Fixed sizes
// and percentages first, the rest shared by the stars by their weight; sizes that do not add up
// are scaled to fill `total`. An empty list gives one part of the whole.
std::vector<int> SplitFrameSizes(const std::wstring& sizeList, int total);

}  // namespace kolvar::htmlview
