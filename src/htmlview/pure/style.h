// The presentational attributes and the few inline style properties old documents use:
// colours, lengths, font sizes, alignment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolvar::htmlview {

// 0x00RRGGBB.
using Rgb = uint32_t;

// A colour written as "#rrggbb", "rrggbb", "#rgb", "rgb(r, g, b)" or one of the named colours;
// nothing when unreadable.
std::optional<Rgb> ParseColor(std::wstring_view text);

// A length attribute: pixels ("120", "120px") or a percentage ("50%").
struct Length {
  enum class Unit { kNone, kPixels, kPercent } unit = Unit::kNone;
  int value = 0;
  bool IsSet() const { return unit != Unit::kNone; }
  // The pixels of this length in `whole` pixels (percent of it), or `fallback` when unset.
  int Resolve(int whole, int fallback) const;
};
// Reads a length; negative or unreadable values are unset, values above `max` are cut to it.
Length ParseLength(std::wstring_view text, int max = 100000);
// A plain non-negative number (leading digits), or `fallback`.
int ParseInt(std::wstring_view text, int fallback, int max = 100000);

// Pixel sizes of the seven font sizes (size 3 is the normal text).
int FontSizePixels(int htmlSize);
// A <font size> value ("1".."7", "+1", "-2") relative to `current` (1..7); the result is 1..7.
int ParseFontSize(std::wstring_view text, int current);

enum class Align { kDefault, kLeft, kCenter, kRight, kJustify };
enum class VAlign { kDefault, kTop, kMiddle, kBottom, kBaseline };
Align ParseAlign(std::wstring_view text);
VAlign ParseVAlign(std::wstring_view text);

// The inline style properties the view reads; unset ones stay empty.
struct InlineStyle {
  std::optional<Rgb> color;
  std::optional<Rgb> background;
  std::optional<int> fontSizePx;
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<bool> underline;
  std::optional<std::wstring> fontFamily;
  Align textAlign = Align::kDefault;
  Length width;
};
// Reads a style attribute ("color: red; font-size: 12pt"). Anything else is ignored.
// `parentPx` is the font size that "em" and percentages refer to.
InlineStyle ParseInlineStyle(std::wstring_view text, int parentPx);

// The first face of a face list ("Arial, Helvetica"), without quotes.
std::wstring FirstFace(std::wstring_view list);

}  // namespace kolvar::htmlview
