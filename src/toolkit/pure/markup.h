// The formatted label's markup: parsing into lines of styled segments, and measuring and
// placing them through a text measurer. No <windows.h>; the label draws what this computes.
//
// Codes: '@' + digits picks a colour from the markup colour list, '&' + digits a size in
// points, '$' + digits a style (0 normal, 1 italic, 2 bold, 3 bold italic), '%' toggles the
// shadow, '~' toggles blinking. A backslash before one of these five characters makes it
// plain text. Carriage returns (and line feeds) start new lines. Settings carry over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/pure/alignment.h"
#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

enum MarkupStyle : int { kStyleItalic = 1, kStyleBold = 2 };

struct MarkupFont {
  TColor color = 0;
  int size = 8;   // points
  int style = 0;  // MarkupStyle bits
  bool operator==(const MarkupFont& o) const {
    return color == o.color && size == o.size && style == o.style;
  }
};

struct MarkupSegment {
  std::wstring text;
  MarkupFont font;
  bool shadow = false;
  bool blink = false;
};

// A line holds at least one segment; an empty line holds one empty segment carrying the
// font in force there, so that it still has a height.
struct MarkupLine {
  std::vector<MarkupSegment> segments;
};

// Cuts `text` into lines and segments. `start` is the label's own font. Never fails: a code
// without digits, or with a number outside its range, changes nothing.
std::vector<MarkupLine> ParseMarkup(std::wstring_view text, const MarkupFont& start);

struct TextExtent {
  int width = 0;
  int height = 0;
  int ascent = 0;
};

// How the label learns the size of a piece of text in a given font.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Width of `text` and the font's height and ascent; `text` may be empty (width 0).
  virtual TextExtent Measure(std::wstring_view text, const MarkupFont& font) = 0;
};

struct PlacedSegment {
  MarkupSegment segment;
  int x = 0;  // left edge, label coordinates
  int y = 0;  // top of the text cell, so that all segments of a line share one baseline
  int width = 0;
};

struct MarkupLayout {
  int width = 0;  // the label's size after growing (never below the size it had)
  int height = 0;
  std::vector<PlacedSegment> segments;
};

// Places `lines` inside a label of `width` x `height`. Lines stack from the top; each line's
// height is its tallest font and its baseline the largest ascent. The label grows to the
// widest line and to the total height, never shrinks. With `wordWrap`, a line wider than the
// label is broken at spaces instead of widening the label (a single word wider than the label
// still widens it).
MarkupLayout LayoutMarkup(const std::vector<MarkupLine>& lines,
                          TextMeasurer& measurer,
                          int width,
                          int height,
                          TextAlign alignment,
                          bool wordWrap);

}  // namespace kolvar::toolkit
