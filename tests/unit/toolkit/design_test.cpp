#include "toolkit/pure/design.h"

#include <gtest/gtest.h>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {
namespace {

using V = DesignValue;

TEST(Colors, DarkenLightenAndContrast) {
  struct Case {
    TColor color;
    int n, m;
    TColor contrast;
  } cases[] = {
      {0x000000, 20, 2, 0x000000},      // black stays black
      {0x404040, 20, 2, 0x202020},      // dark: darkened by 2
      {0x7F7F7F, 20, 2, 0x404040},      // 381 <= 382.5 is still dark
      {0x808080, 20, 2, 0x939393},      // 384: lightened, 128 + 383 / 20 = 147
      {0xFFFFFF, 20, 2, 0xFFFFFF},      // white stays white
      {0xFF00000F, 20, 2, 0xFF00000F},  // system colours unchanged
      {0x0000FF, 10, 3, 0x0000AA},      // 255 is dark: 255 - 85
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ContrastColor(c.color, c.n, c.m), c.contrast) << std::hex << c.color;
  }
  EXPECT_EQ(DarkenColor(0x976A28, 5), 0x795520u);
  EXPECT_EQ(LightenColor(0xF0F0F0, 10), 0xFFFFFFu);
  EXPECT_EQ(LightenColor(0x000000, 10), 0x191919u);
}

TEST(DesignRead, FallbacksByKindAndDerivedColours) {
  IniText empty;
  Design k0 = ReadDesign(empty, L"PKE_DESIGN", L"DATE", 0, L"");
  Design k1 = ReadDesign(empty, L"PKE_DESIGN", L"DATE", 1, L"");
  EXPECT_EQ(k0.Get(V::kTipDesign), 3);
  EXPECT_EQ(k1.Get(V::kTipDesign), 4);
  EXPECT_EQ(k0.Get(V::kFlSelFont), 0xEFAE00);
  EXPECT_EQ(k1.Get(V::kFlSelFont), 0xC89200);
  EXPECT_EQ(k0.Get(V::kListTitleStart), 0x976A28);
  EXPECT_EQ(k0.Get(V::kTabInactiveStart), 0x795520);
  EXPECT_EQ(k0.Get(V::kTabInactiveEnd), static_cast<int32_t>(DarkenColor(0xCCCCCC, 5)));
  EXPECT_EQ(k0.Get(V::kTabInactive),
            static_cast<int32_t>(ContrastColor(DarkenColor(0xCCCCCC, 5), 20, 2)));
  EXPECT_EQ(k0.Font(DesignFont::kTab), L"MS Sans Serif");
  EXPECT_EQ(k0.image, L"?");
  EXPECT_TRUE(k0.barHorizontal);

  // Values present win; unreadable numbers fall back; derived fallbacks follow what was read.
  IniText ini(
      L"[PKE_DESIGN3]\r\nCOLOR_TABDATE_START=255\r\nCOLOR_TABDATE_END=12x\r\n"
      L"SIZE_TAB_DATE= 12 \r\nNAME_TAB_DATE=\"Tahoma\"\r\nCOLOR_VIEW_DATE=-16777201\r\n"
      L"BMP_DATEFacturi=Fundal\r\nCfg_User=ion\r\nBVert_DATE=1\r\n"
      L"[PKE_DESIGN1]\r\nCOLOR_TABLISTE_START=65280\r\n");
  Design d = ReadDesign(ini, L"PKE_DESIGN3", L"DATE", 3, L"Facturi");
  EXPECT_EQ(d.Get(V::kTabStart), 255);
  EXPECT_EQ(d.Get(V::kTabEnd), 0xCCCCCC);
  EXPECT_EQ(d.Get(V::kListTitleStart), 255);
  EXPECT_EQ(d.Get(V::kTabInactiveStart), static_cast<int32_t>(DarkenColor(255, 5)));
  EXPECT_EQ(d.Get(V::kSizeTab), 12);
  EXPECT_EQ(static_cast<uint32_t>(d.Get(V::kView)), 0xFF00000Fu);
  EXPECT_EQ(d.Font(DesignFont::kTab), L"Tahoma");
  EXPECT_EQ(d.image, L"Fundal");
  EXPECT_EQ(d.cfgUser, L"ion");
  EXPECT_TRUE(d.barVertical);
  Design list = ReadDesign(ini, L"PKE_DESIGN1", L"LISTE", 1, L"");
  EXPECT_EQ(list.Get(V::kTabStart), 65280);
}

TEST(DesignRead, FileSections) {
  DesignSection s = DesignSectionFor(L"designpkc.INI", 1);
  EXPECT_EQ(s.section, L"PKE_DESIGN");
  EXPECT_EQ(s.suffix, L"DATE");
  s = DesignSectionFor(L"Module.ini", 1);
  EXPECT_EQ(s.section, L"PKE_DESIGN1");
  EXPECT_EQ(s.suffix, L"LISTE");
  s = DesignSectionFor(L"Module.ini", 5);
  EXPECT_EQ(s.section, L"PKE_DESIGN5");
  EXPECT_EQ(s.suffix, L"DATE");
}

TEST(DesignPresets, TextsAndLoading) {
  std::wstring p3 = DesignPresetText(3, 0);
  EXPECT_EQ(p3.rfind(L"[PKE_DESIGN]\r\nCfg_User=\r\nABO_Invisible_DATE=0\r\nBOriz_DATE=1\r\n"
                     L"BVert_DATE=0\r\nBMP_DATE=?\r\nTIPDESIGN_DATE=3\r\nTITLEBAR_DATE=1\r\n"
                     L"COLOR_FLFontDATE=1\r\nCOLOR_FLSELFontDATE=16777215\r\n"
                     L"COLOR_MODULFontDATE=15047949\r\n",
                     0),
            0u);
  std::wstring d1 = DesignPresetText(2, 1);
  for (const wchar_t* row :
       {L"TITLEBAR_DATE=2\r\n", L"COLOR_DATE_START=12040119\r\n", L"COLOR_DATE_END=16777215\r\n",
        L"COLOR_TABDATE_START=13412194\r\n", L"COLOR_VIEW_DATE=11644033\r\n"}) {
    EXPECT_NE(d1.find(row), std::wstring::npos) << testing::PrintToString(row);
  }
  // Every preset is complete: about sixty lines, each a key and a value.
  for (int n = 2; n <= 10; ++n) {
    std::wstring text = DesignPresetText(n, 0);
    size_t lines = 0;
    for (wchar_t c : text)
      lines += c == L'\n';
    EXPECT_GE(lines, 60u) << n;
  }
  // The eight fixed presets differ from each other.
  for (int a = 3; a <= 10; ++a)
    for (int b = a + 1; b <= 10; ++b)
      EXPECT_NE(DesignPresetText(a, 0), DesignPresetText(b, 0));

  LoadDesign(0, 2);
  LoadDesign(1, 2);
  EXPECT_NE(DesignOf(0).Get(V::kTabStart), DesignOf(1).Get(V::kTabStart));
  EXPECT_EQ(DesignOf(1).Get(V::kTitleBar), 2);
  EXPECT_EQ(DesignOf(1).Get(V::kBackStart), 12040119);
  EXPECT_EQ(DesignOf(0).Get(V::kTipDesign), 2);
  LoadDesign(4, 7);
  EXPECT_EQ(DesignOf(4).Get(V::kTipDesign), 7);
  EXPECT_EQ(DesignOf(4).Get(V::kTabStart), 0x703070);
  // A kind never loaded holds its fallbacks; kinds out of range are ignored.
  EXPECT_EQ(DesignOf(9).Get(V::kTipDesign), 3);
  LoadDesign(-1, 3);
  LoadDesign(1000, 3);
}

}  // namespace
}  // namespace kolvar::toolkit
