// Lays a document tree out for a given width: block and inline flow with word wrapping,
// lists, tables, floating pictures, links and anchors. The result is a list of things to draw
// at fixed positions; measuring text and pictures is left to the caller (the screen's fonts),
// so the arithmetic runs and is tested without a window.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "htmlview/pure/arena.h"
#include "htmlview/pure/dom.h"
#include "htmlview/pure/style.h"

namespace kolvar::htmlview {

struct FontSpec {
  std::wstring face;
  int sizePx = 16;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  bool operator==(const FontSpec& o) const {
    return face == o.face && sizePx == o.sizePx && bold == o.bold && italic == o.italic &&
           underline == o.underline && strike == o.strike;
  }
};

struct FontMetrics {
  int ascent = 12;
  int descent = 4;
};

// What the layout asks of the screen.
class Measurer {
 public:
  virtual ~Measurer() = default;
  // `font` is the index of `fontSpec` in the layout's font table (stable for one layout).
  virtual FontMetrics Metrics(int font, const FontSpec& fontSpec) = 0;
  virtual int TextWidth(int font, const FontSpec& fontSpec, const wchar_t* text, size_t length) = 0;
  // The size of the picture `src` (as written in the document), nothing when it cannot be read.
  virtual std::optional<std::pair<int, int>> ImageSize(const std::wstring& src) = 0;
};

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Its characters are the document's own where the run is one piece of a text of the tree (so
// the document must outlive the layout), else copies kept by the layout.
struct TextRun {
  int x = 0, y = 0;  // top-left of the text cell
  int width = 0;
  int font = 0;
  Rgb color = 0;
  uint32_t length = 0;
  const wchar_t* chars = nullptr;
  std::wstring_view Text() const { return {chars, length}; }
};

struct Box {
  enum class Kind { kFill, kFrame, kBevelIn, kBevelOut, kDisc, kCircle, kSquare };
  Kind kind = Kind::kFill;
  Rect r;
  Rgb color = 0;
  int thickness = 1;  // frames and bevels
};

struct Picture {
  Rect r;  // the picture itself, inside its border
  int border = 0;
  Rgb borderColor = 0;
  std::wstring src;
  std::wstring alt;
  int altFont = 0;
  Rgb altColor = 0;
};

struct LinkArea {
  Rect r;
  int link = 0;
};

struct Link {
  std::wstring href;
  std::wstring target;
};

// How far down a group of consecutive items of a list reaches: a strip of the document is drawn
// from the groups that reach it, not from the whole list (the lists are in drawing order, which
// is only roughly from the top down).
struct Reach {
  int top = 0, bottom = 0;
  bool Meets(int stripTop, int stripBottom) const { return top < stripBottom && bottom > stripTop; }
};
inline constexpr size_t kReachGroup = 64;  // items of a group
// The groups of `items` items.
inline size_t ReachGroups(size_t items) {
  return (items + kReachGroup - 1) / kReachGroup;
}

// The things to draw, in drawing order within each list (boxes, then pictures, then text).
struct DisplayList {
  std::vector<Box> boxes;
  std::vector<Picture> pictures;
  std::vector<TextRun> texts;
  std::vector<LinkArea> linkAreas;
  std::vector<std::pair<std::wstring, int>> anchors;  // name, top
  // ReachGroups(boxes.size()) (texts) of them, in order. A run counts as reaching 200 pixels
  // below its top, as the view has always drawn it.
  std::unique_ptr<Reach[]> boxReach, textReach;
  void Append(DisplayList&& other, int dx, int dy);
};

struct LayoutResult {
  std::vector<FontSpec> fonts;
  std::vector<Link> links;
  DisplayList items;
  // The characters of runs that are not one piece of the document's text.
  Arena copies;
  int width = 0;  // the content's extent (more than the view's width when it overflows)
  int height = 0;
  Rgb background = 0xFFFFFF;
  Rgb text = 0;
};

struct LayoutOptions {
  int width = 600;  // the view's width
  std::wstring defaultFace = L"Times New Roman";
  std::wstring fixedFace = L"Courier New";
  // Shown at the end of a document that was cut.
  std::wstring truncatedNote;
};

// Lays out the body of `doc` (a frame document has nothing to lay out: the frames are shown
// instead). The result refers to the text of `doc`, which must outlive it.
LayoutResult LayoutDocument(const Document& doc, Measurer& measurer, const LayoutOptions& options);

// The top of the anchor `name` (without '#'), or nothing.
std::optional<int> FindAnchor(const LayoutResult& layout, const std::wstring& name);
// The link under point (x, y), or -1.
int LinkAt(const LayoutResult& layout, int x, int y);

}  // namespace kolvar::htmlview
