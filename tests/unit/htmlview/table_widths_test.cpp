// Column widths and frame sizes.
#include <gtest/gtest.h>

#include <numeric>

#include "htmlview/pure/table_widths.h"

namespace kolvar::htmlview {
namespace {

Length Px(int v) {
  return {Length::Unit::kPixels, v};
}
Length Pct(int v) {
  return {Length::Unit::kPercent, v};
}

CellNeed Need(int first, int min, int max, Length width = {}, int span = 1) {
  CellNeed c;
  c.first = first;
  c.span = span;
  c.min = min;
  c.max = max;
  c.width = width;
  return c;
}

struct WidthCase {
  const char* what;
  int columns;
  std::vector<CellNeed> cells;
  int available;
  Length width;
  int spacing;
  int border;
  std::vector<int> expected;
  int total;
};

TEST(ColumnWidths, Cases) {
  const WidthCase cases[] = {
      {"auto columns that fit take their one-line widths",
       2,
       {Need(0, 30, 100), Need(1, 20, 50)},
       600,
       {},
       2,
       0,
       {100, 50},
       156},
      {"auto columns that do not fit share what is above their least widths",
       2,
       {Need(0, 50, 450), Need(1, 50, 150)},
       300,
       {},
       0,
       0,
       {210, 90},
       300},
      {"nothing is narrower than its longest word",
       2,
       {Need(0, 400, 400), Need(1, 300, 300)},
       500,
       {},
       0,
       0,
       {400, 300},
       700},
      {"a table width in pixels gives the rest to the auto columns",
       2,
       {Need(0, 10, 100, Px(100)), Need(1, 10, 50)},
       1000,
       Px(400),
       0,
       0,
       {100, 300},
       400},
      {"a table width in percent of the room",
       2,
       {Need(0, 10, 10), Need(1, 10, 30)},
       800,
       Pct(50),
       0,
       0,
       {100, 300},
       400},
      {"percent columns of a full-width table",
       2,
       {Need(0, 10, 10, Pct(25)), Need(1, 10, 10, Pct(75))},
       400,
       Pct(100),
       0,
       0,
       {100, 300},
       400},
      {"fixed columns take their width, spacing and border counted",
       3,
       {Need(0, 10, 10, Px(50)), Need(1, 10, 10, Px(70)), Need(2, 5, 40)},
       1000,
       {},
       4,
       2,
       {50, 70, 40},
       180},
      {"a spanning cell widens the columns it covers",
       2,
       {Need(0, 10, 40), Need(1, 10, 60), Need(0, 300, 300, {}, 2)},
       1000,
       {},
       0,
       0,
       {122, 178},
       300},
      {"a span running past the last column counts as one column",
       1,
       {Need(0, 10, 80, {}, 5)},
       1000,
       {},
       0,
       0,
       {80},
       80},
      {"no columns", 0, {}, 500, {}, 2, 1, {}, 4},
  };
  for (const WidthCase& c : cases) {
    TableWidthInput in;
    in.columns = c.columns;
    in.cells = c.cells;
    in.available = c.available;
    in.width = c.width;
    in.spacing = c.spacing;
    in.border = c.border;
    TableWidths w = ColumnWidths(in);
    EXPECT_EQ(w.columns, c.expected) << c.what;
    EXPECT_EQ(w.total, c.total) << c.what;
  }
}

TEST(ColumnWidths, NeverBelowLeastWidthsWhateverTheRoom) {
  for (int available : {0, 1, 37, 250, 2000}) {
    TableWidthInput in;
    in.columns = 3;
    in.cells = {Need(0, 40, 300, Pct(80)), Need(1, 20, 20, Px(500)), Need(2, 60, 900),
                Need(0, 200, 500, {}, 3)};
    in.available = available;
    in.width = Pct(100);
    in.spacing = 3;
    TableWidths w = ColumnWidths(in);
    ASSERT_EQ(w.columns.size(), 3u);
    EXPECT_GE(w.columns[0], 40);
    EXPECT_GE(w.columns[1], 20);
    EXPECT_GE(w.columns[2], 60);
    EXPECT_GE(std::accumulate(w.columns.begin(), w.columns.end(), 0) + 6, 200);
  }
}

TEST(FrameSizes, PixelsPercentAndStars) {
  struct {
    const wchar_t* sizeList;
    int total;
    std::vector<int> sizes;
  } cases[] = {
      {L"100,*", 600, {100, 500}},   {L"25%, 75%", 400, {100, 300}},
      {L"*,2*", 300, {100, 200}},    {L"80, 25%, *", 400, {80, 100, 220}},
      {L"100,100", 400, {200, 200}},  // too little: scaled up
      {L"300,300", 400, {200, 200}},  // too much: scaled down
      {L"500,*", 400, {400, 0}},     {L"", 300, {300}},
      {L"x, *", 300, {150, 150}},  // unreadable counts as a star
      {L"0,0", 100, {50, 50}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitFrameSizes(c.sizeList, c.total), c.sizes);
  std::wstring many;
  for (int i = 0; i < 1000; ++i)
    many += L"*,";
  EXPECT_LE(SplitFrameSizes(many, 1000).size(), 64u);
}

}  // namespace
}  // namespace kolvar::htmlview
