#include "toolkit/pure/markup.h"

#include <gtest/gtest.h>

#include "toolkit/pure/palette.h"

namespace kolvar::toolkit {
namespace {

// Every character is `size` pixels wide (bold adds one), the font is size * 2 high with an
// ascent of size * 3 / 2: enough to tell fonts apart.
class FakeMeasurer : public TextMeasurer {
 public:
  TextExtent Measure(std::wstring_view text, const MarkupFont& font) override {
    int perChar = font.size + ((font.style & kStyleBold) ? 1 : 0);
    return {static_cast<int>(text.size()) * perChar, font.size * 2, font.size * 3 / 2};
  }
};

const MarkupFont kStart{0x123456, 8, 0};

std::wstring Texts(const std::vector<MarkupLine>& lines) {
  std::wstring out;
  for (const MarkupLine& line : lines) {
    for (const MarkupSegment& s : line.segments)
      out += L"[" + s.text + L"]";
    out += L"|";
  }
  return out;
}

TEST(MarkupParse, CutsLinesAndSegmentsAndEscapes) {
  struct Case {
    const wchar_t* text;
    const wchar_t* cut;
  } cases[] = {
      {L"", L"[]|"},
      {L"plain", L"[plain]|"},
      {L"a\rb", L"[a]|[b]|"},
      {L"a\r\rb", L"[a]|[]|[b]|"},
      {L"a\r\nb\nc", L"[a]|[b]|[c]|"},
      {L"50\\% sigur", L"[50% sigur]|"},
      {L"\\@\\&\\$\\%\\~", L"[@&$%~]|"},
      {L"C:\\KOLVAR\\", L"[C:\\KOLVAR\\]|"},
      {L"un @9cuvant", L"[un ][cuvant]|"},
      {L"@x", L"[x]|"},
      {L"%\xFC", L"[\xFC]|"},
      {L"~@9!", L"[!]|"},
      {L"&12mare$2gros", L"[mare][gros]|"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Texts(ParseMarkup(c.text, kStart)), c.cut) << testing::PrintToString(c.text);
  }
}

TEST(MarkupParse, CodesSetColourSizeStyleShadowAndBlink) {
  auto lines = ParseMarkup(L"a@9b&14c$3d%e%f~g", kStart);
  ASSERT_EQ(lines.size(), 1u);
  const auto& s = lines[0].segments;
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[0].font, kStart);
  EXPECT_EQ(s[1].font.color, 0x0000FFu);
  EXPECT_EQ(s[2].font.size, 14);
  EXPECT_EQ(s[3].font.style, kStyleBold | kStyleItalic);
  EXPECT_TRUE(s[4].shadow);
  EXPECT_FALSE(s[5].shadow);
  EXPECT_TRUE(s[6].blink);
  EXPECT_EQ(s[6].font, (MarkupFont{0x0000FF, 14, 3}));
}

TEST(MarkupParse, SettingsCarryOverLinesAndBadNumbersChangeNothing) {
  auto lines = ParseMarkup(L"@4a\rb@99c&0d&999e$4f", kStart);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].segments[0].font.color, 0x800000u);
  for (const MarkupSegment& s : lines[1].segments) {
    EXPECT_EQ(s.font.color, 0x800000u) << testing::PrintToString(s.text);
    EXPECT_EQ(s.font.size, 8);
    EXPECT_EQ(s.font.style, 0);
  }
  // Entry 16 is the first system colour.
  EXPECT_EQ(ParseMarkup(L"@16x", kStart)[0].segments[0].font.color, 0xFF000000u);
}

TEST(MarkupLayout, MeasuresStacksAlignsAndGrows) {
  FakeMeasurer m;
  // Line 1: "ab" at 8pt (16 wide, 16 high), then "c" at 12pt (12 wide, 24 high, ascent 18).
  auto lines = ParseMarkup(L"ab&12c\r&8d", kStart);
  struct Case {
    TextAlign align;
    int width, height;
    int wantWidth, wantHeight, line2X;
  } cases[] = {
      {TextAlign::kLeft, 10, 10, 28, 40, 0},
      {TextAlign::kCenter, 10, 10, 28, 40, 10},
      {TextAlign::kRight, 10, 10, 28, 40, 20},
      {TextAlign::kCenter, 100, 100, 100, 100, 46},  // never shrinks
  };
  for (const Case& c : cases) {
    MarkupLayout l = LayoutMarkup(lines, m, c.width, c.height, c.align, false);
    EXPECT_EQ(l.width, c.wantWidth);
    EXPECT_EQ(l.height, c.wantHeight);
    ASSERT_EQ(l.segments.size(), 3u);
    // Shared baseline 18: the 8pt piece (ascent 12) sits 6 lower than the 12pt one.
    EXPECT_EQ(l.segments[0].y, 6);
    EXPECT_EQ(l.segments[1].y, 0);
    EXPECT_EQ(l.segments[1].x, l.segments[0].x + 16);
    EXPECT_EQ(l.segments[2].y, 24);
    EXPECT_EQ(l.segments[2].x, c.line2X) << static_cast<int>(c.align);
  }
}

TEST(MarkupLayout, WordWrapBreaksLongLinesAtBlanks) {
  FakeMeasurer m;
  auto lines = ParseMarkup(L"unu doi @9trei patru", kStart);
  // 8 px per character, label 80 wide: "unu doi " is 64, "trei " would pass 80.
  MarkupLayout l = LayoutMarkup(lines, m, 80, 16, TextAlign::kCenter, true);
  EXPECT_EQ(l.width, 80);
  EXPECT_EQ(l.height, 32);
  ASSERT_EQ(l.segments.size(), 2u);
  EXPECT_EQ(l.segments[0].segment.text, L"unu doi");  // the blank at the break is dropped
  EXPECT_EQ(l.segments[0].x, (80 - 56) / 2);
  EXPECT_EQ(l.segments[1].segment.text, L"trei patru");
  EXPECT_EQ(l.segments[1].segment.font.color, 0x0000FFu);
  EXPECT_EQ(l.segments[1].y, 16);

  // A word wider than the label still widens it; without wrapping the line widens it.
  EXPECT_EQ(
      LayoutMarkup(ParseMarkup(L"abcdefghijkl", kStart), m, 80, 16, TextAlign::kLeft, true).width,
      96);
  EXPECT_EQ(LayoutMarkup(lines, m, 80, 16, TextAlign::kLeft, false).width, 144);
}

}  // namespace
}  // namespace kolvar::toolkit
