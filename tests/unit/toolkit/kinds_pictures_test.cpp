#include <gtest/gtest.h>

#include <set>
#include <string>

#include "toolkit/pure/button_kinds.h"
#include "toolkit/pure/button_layout.h"
#include "toolkit/pure/pictures.h"
#include "toolkit/pure/title_layout.h"

namespace kolvar::toolkit {
namespace {

TEST(ButtonKinds, CaptionsResultsAndPictures) {
  struct Case {
    TMButtonKind kind;
    const wchar_t* caption;
    int result;
    const char* large;
    const char* nice;
  };
  const Case cases[] = {
      {mkFirst, L"f", 0, "Buget", "Buget"},
      {mkOK, L"O&K", 1, "OK", "OK"},
      {mkCancel, L"&Renunt", 2, "Cancel", "Cancel"},
      {mkYes, L"&Da", 6, "OK", "OK"},
      {mkNo, L"&Nu", 7, "Nu", "Nu"},
      {mkClose, L"I&esire", 2, "Exit", "Exit"},
      {mkAbort, L"&Abandon", 3, "Cancel", "Cancel"},
      {mkRetry, L"&Retry", 4, "Retry", "Retry"},
      {mkIgnore, L"&Ignora", 5, "", "PrnSetup"},  // only the compact button has a picture
      {mkAll, L"&Toate", 12, "All", "All"},
      {mkHelp, L"S&faturi", 0, "Help", "Help"},
      {mkLast, L"", 0, "", ""},
      {mkCustom, L"", 0, "", ""},
      {mkTransf, L"", 0, "BSediu", "BSediu"},
      {mkUnelte, L"", 0, "BUnelte", "BUnelte"},
      {mkContr, L"", 0, "Contract", "Contract"},
      {mkAdvanced, L"", 0, "Avansat", "Avansat"},
      {mkAction, L"?", 0, "UrmatorBlue", "UrmatorBlue"},
      {mknNext, L"", 0, "nNext", "nNext"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ButtonKindName(c.kind));
    EXPECT_EQ(std::wstring(c.caption), KindCaption(c.kind));
    EXPECT_EQ(c.result, KindModalResult(c.kind));
    EXPECT_STREQ(c.large, ButtonImageName(c.kind));
    EXPECT_STREQ(c.nice, NiceButtonImageName(c.kind));
  }
  EXPECT_EQ(59, kButtonKindCount);
  EXPECT_STREQ("", ButtonKindName(59));
  EXPECT_EQ(0, KindModalResult(-1));
}

TEST(ButtonKinds, EveryNamedPictureExistsInTheHolder) {
  for (int k = 0; k < kButtonKindCount; ++k) {
    for (const char* name : {ButtonImageName(k), NiceButtonImageName(k)}) {
      if (name[0])
        EXPECT_NE(nullptr, FindPicture(name)) << ButtonKindName(k) << " " << name;
    }
  }
}

TEST(Pictures, TheHolderHas104DistinctPicturesOfTheBindingSizes) {
  const auto& all = HolderPictures();
  std::set<std::string> names;
  for (const auto& p : all)
    names.insert(p.name);
  EXPECT_EQ(104u, all.size());
  EXPECT_EQ(all.size(), names.size());
  struct Size {
    const char* name;
    int w, h;
  };
  for (const Size& s : {Size{"Warning", 86, 53}, Size{"Error", 86, 53}, Size{"Information", 86, 53},
                        Size{"Confirmation", 86, 53}, Size{"Check", 66, 15}, Size{"Radio", 22, 11},
                        Size{"ButtonFacePKE", 180, 28}}) {
    const PictureLayout* layout = FindPicture(s.name);
    ASSERT_NE(nullptr, layout) << s.name;
    EXPECT_EQ(s.w, layout->width) << s.name;
    EXPECT_EQ(s.h, layout->height) << s.name;
  }
}

TEST(Pictures, EachIsDrawnWithAKeyCornerAndVisiblePixels) {
  for (const auto& layout : HolderPictures()) {
    Raster r = DrawPicture(layout.name);
    ASSERT_EQ(layout.width, r.Width()) << layout.name;
    ASSERT_EQ(layout.height, r.Height()) << layout.name;
    size_t visible = 0;
    for (TColor c : r.Pixels())
      visible += c != kPictureKey;
    // Symbols and strips leave their top-left pixel transparent; textures may fill it.
    bool symbol =
        layout.cells == 3 || layout.height == 53 || (layout.width == 16 && layout.height == 16);
    if (symbol)
      EXPECT_EQ(kPictureKey, r.At(0, 0)) << layout.name;
    EXPECT_GT(visible, r.Pixels().size() / 20) << layout.name;
  }
  EXPECT_EQ(0, DrawPicture("NoSuchPicture").Width());
}

// At 144 dots per inch every picture is drawn anew one and a half times as large: whole cells of
// equal width, the key corner kept, and about the same share of the picture covered.
TEST(Pictures, LargerScreensGetLargerDrawingsOfTheSamePictures) {
  struct Size {
    const char* name;
    int w, h;
  };
  for (const Size& s :
       {Size{"Error", 129, 80}, Size{"Check", 99, 23}, Size{"Radio", 34, 17},
        Size{"ButtonFacePKE", 270, 42}, Size{"OK", 108, 36}, Size{"IconFace", 36, 33}}) {
    Raster r = DrawPicture(s.name, 144);
    EXPECT_EQ(s.w, r.Width()) << s.name;
    EXPECT_EQ(s.h, r.Height()) << s.name;
  }
  for (const auto& layout : HolderPictures()) {
    Raster small = DrawPicture(layout.name), large = DrawPicture(layout.name, 144);
    EXPECT_EQ(small.At(0, 0) == kPictureKey, large.At(0, 0) == kPictureKey) << layout.name;
    auto covered = [](const Raster& r) {
      size_t visible = 0;
      for (TColor c : r.Pixels())
        visible += c != kPictureKey;
      return static_cast<double>(visible) / r.Pixels().size();
    };
    EXPECT_NEAR(covered(small), covered(large), 0.1) << layout.name;
  }
  EXPECT_EQ(86, DrawPicture("Error", 96).Width());
}

// A picture of our own (not in the holder) grows pixel by pixel, each cell on its own, so that
// the cells of a strip never bleed into each other.
TEST(Pictures, ResizedCellsKeepTheirOwnPixels) {
  // Two 2 x 1 cells: A B | C D.
  const std::vector<TColor> strip = {1, 2, 3, 4};
  EXPECT_EQ((std::vector<TColor>{1, 1, 2, 3, 3, 4, 1, 1, 2, 3, 3, 4}),
            ResizeCells(strip, 4, 1, 2, 3, 2));
  EXPECT_EQ((std::vector<TColor>{1, 3}), ResizeCells(strip, 4, 1, 2, 1, 1));
  EXPECT_TRUE(ResizeCells(strip, 4, 1, 2, 0, 1).empty());
  EXPECT_TRUE(ResizeCells(strip, 4, 2, 2, 3, 2).empty()) << "fewer pixels than the size says";
}

TEST(Pictures, StripCellsAreNormalDisabledAndHot) {
  Raster ok = DrawPicture("OK");
  int differentDisabled = 0, greyDisabled = 0, hotLighter = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      TColor normal = ok.At(x, y), disabled = ok.At(24 + x, y), hot = ok.At(48 + x, y);
      if (normal == kPictureKey) {
        EXPECT_EQ(kPictureKey, disabled);
        EXPECT_EQ(kPictureKey, hot);
        continue;
      }
      differentDisabled += disabled != normal;
      greyDisabled += RedOf(disabled) == GreenOf(disabled) && GreenOf(disabled) == BlueOf(disabled);
      hotLighter += RedOf(hot) + GreenOf(hot) + BlueOf(hot) >=
                    RedOf(normal) + GreenOf(normal) + BlueOf(normal);
    }
  }
  EXPECT_GT(differentDisabled, 0);
  EXPECT_EQ(differentDisabled, greyDisabled);
  EXPECT_GT(hotLighter, 0);
}

TEST(ButtonLayout, GlyphAndCaptionPlacement) {
  struct Case {
    const char* what;
    TButtonLayout layout;
    int margin, spacing;
    int gw, gh, tw, th;
    Box glyph, caption;
  };
  // A 90 x 40 button, a 24 x 24 glyph, a 40 x 13 caption.
  // clang-format off
  const Case cases[] = {
      {"top, centred pair", TButtonLayout::blGlyphTop, -1, 0, 24, 24, 40, 13, {33, 1, 24, 24}, {25, 25, 40, 13}},
      {"left, centred pair", TButtonLayout::blGlyphLeft, -1, 0, 24, 24, 40, 13, {13, 8, 24, 24}, {37, 13, 40, 13}},
      {"left, thirds", TButtonLayout::blGlyphLeft, -1, -1, 24, 24, 40, 13, {8, 8, 24, 24}, {40, 13, 40, 13}},
      {"left, margin fixed", TButtonLayout::blGlyphLeft, 4, -1, 24, 24, 40, 13, {4, 8, 24, 24}, {39, 13, 40, 13}},
      {"right", TButtonLayout::blGlyphRight, -1, 2, 24, 24, 40, 13, {54, 8, 24, 24}, {12, 13, 40, 13}},
      {"bottom", TButtonLayout::blGlyphBottom, -1, 0, 24, 24, 40, 13, {33, 15, 24, 24}, {25, 2, 40, 13}},
      // no caption: the spacing counts as 0 and the glyph is centred
      {"glyph only", TButtonLayout::blGlyphTop, -1, 6, 24, 24, 0, 0, {33, 8, 24, 24}, {45, 32, 0, 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GlyphAndCaption r =
        LayoutGlyphAndCaption(90, 40, c.gw, c.gh, c.tw, c.th, c.layout, c.margin, c.spacing);
    EXPECT_EQ(c.glyph, r.glyph);
    EXPECT_EQ(c.caption, r.caption);
  }
}

TEST(ButtonLayout, CompactButtonPlacesAndCells) {
  EXPECT_EQ(10, NiceGlyphLeft(100, 24, true));  // right edge at 34
  EXPECT_EQ(38, NiceGlyphLeft(100, 24, false));
  EXPECT_EQ(35, NicePlateLeft(true, false));
  EXPECT_EQ(0, NicePlateLeft(true, true));
  EXPECT_EQ(0, NicePlateLeft(false, false));
  EXPECT_EQ(1, NiceGlyphCell(3, false, true));
  EXPECT_EQ(2, NiceGlyphCell(3, true, true));
  EXPECT_EQ(0, NiceGlyphCell(2, true, true));  // two cells: no hot look
  EXPECT_EQ(2, LargeGlyphCell(3, true, true));
  EXPECT_EQ(0, LargeGlyphCell(1, false, false));
}

TEST(TitleLayout, BarMeasures) {
  EXPECT_EQ(25, TitleBarHeight(1.0));
  EXPECT_EQ(31, TitleBarHeight(1.25));
  EXPECT_EQ(10, TitleFontSize(1.0));
  EXPECT_EQ(11, TitleFontSize(1.25));
  EXPECT_EQ(10, TitleIconSpace(false, 24));
  EXPECT_EQ(27, TitleIconSpace(true, 24));
  EXPECT_EQ(480, TitleCaptionWidth(500, 10));
  EXPECT_EQ(15, TitleCaptionLeft(1.0, 10));
  EXPECT_EQ(16, TitleCaptionLeft(1.25, 10));  // round(6.25)
}

TEST(TitleLayout, FramelessHitTest) {
  struct Case {
    int x, y;
    bool resizable;
    HitZone expected;
  };
  // A 400 x 300 window whose client area is the whole window.
  const Case cases[] = {
      {200, 0, false, HitZone::kCaption},   {200, 49, false, HitZone::kCaption},
      {200, 50, false, HitZone::kClient},   {0, 10, false, HitZone::kCaption},
      {2, 2, true, HitZone::kTopLeft},      {397, 2, true, HitZone::kTopRight},
      {2, 297, true, HitZone::kBottomLeft}, {397, 297, true, HitZone::kBottomRight},
      {200, 3, true, HitZone::kTop},        {3, 100, true, HitZone::kLeft},
      {200, 296, true, HitZone::kBottom},   {396, 100, true, HitZone::kRight},
      {200, 6, true, HitZone::kCaption},    {200, 150, true, HitZone::kClient},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, FramelessHitTest(c.x, c.y, 400, 300, 0, 0, c.resizable))
        << c.x << "," << c.y;
  }
  // At 144 dots per inch the band and the edges keep their proportions: 75 and 9 pixels.
  EXPECT_EQ(HitZone::kCaption, FramelessHitTest(200, 74, 600, 450, 0, 0, false, 144));
  EXPECT_EQ(HitZone::kClient, FramelessHitTest(200, 75, 600, 450, 0, 0, false, 144));
  EXPECT_EQ(HitZone::kLeft, FramelessHitTest(8, 200, 600, 450, 0, 0, true, 144));
  EXPECT_EQ(HitZone::kCaption, FramelessHitTest(9, 20, 600, 450, 0, 0, true, 144));
}

}  // namespace
}  // namespace kolvar::toolkit
