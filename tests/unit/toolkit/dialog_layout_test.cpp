#include "toolkit/pure/dialog_layout.h"

#include <gtest/gtest.h>

#include "toolkit/pure/palette.h"
#include "toolkit/pure/radio_layout.h"

namespace kolvar::toolkit {
namespace {

TEST(RadioLayout, ArrangesColumnsAndStretchesRows) {
  // Three items in one column, 52 high, 11-pixel font: 17 + (17 - 11) / 2 = 20 apart.
  auto cells = ArrangeRadioButtons(3, 1, 200, 52, -11);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0], (CellRect{0, 0, 200, 20}));
  EXPECT_EQ(cells[1], (CellRect{0, 20, 200, 20}));
  EXPECT_EQ(cells[2], (CellRect{0, 40, 200, 20}));

  // Five items in two columns fill the first column top to bottom first.
  cells = ArrangeRadioButtons(5, 2, 300, 90, 13);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[2], (CellRect{0, 2 * 38, 150, 38}));
  EXPECT_EQ(cells[3], (CellRect{150, 0, 150, 38}));

  EXPECT_EQ(ArrangeRadioButtons(1, 0, 100, 30, 11), (std::vector<CellRect>{{0, 0, 100, 30}}));
  EXPECT_TRUE(ArrangeRadioButtons(0, 1, 100, 30, 11).empty());
}

TEST(MsgDialogButtons, NamesResultsAndEscape) {
  auto name = [](int bit) { return DialogButtonName(KindCaption(DialogButtonKind(bit))); };
  auto result = [](int bit) { return KindModalResult(DialogButtonKind(bit)); };
  EXPECT_EQ(name(mbYes), L"BtnDa");
  EXPECT_EQ(name(mbCancel), L"BtnRenunt");
  EXPECT_EQ(name(mbNoToAll), L"BtnNu");
  EXPECT_EQ(name(mbClose), L"BtnIesire");
  EXPECT_EQ(DialogButtonName(L"& a &b"), L"Btnab");
  const int results[kMsgDlgButtonCount] = {6, 7, 1, 2, 3, 4, 5, 12, 7, 12, 0, 2};
  for (int bit = 0; bit < kMsgDlgButtonCount; ++bit)
    EXPECT_EQ(result(bit), results[bit]) << bit;
  EXPECT_EQ(DialogButtonKind(12), mkCustom);

  struct Case {
    uint16_t mask;
    int escape;
  } cases[] = {{3, -1}, {4, mbOK}, {8, -1}, {12, -1}, {2 | 8, mbCancel}, {4 | 2, mbOK}, {0, -1}};
  for (const Case& c : cases)
    EXPECT_EQ(EscapeButtonBit(c.mask), c.escape) << c.mask;

  EXPECT_STREQ(DefaultDialogCaption(1), L"EROARE !");
  EXPECT_STREQ(DefaultDialogCaption(4), L"");
  EXPECT_STREQ(DefaultDialogCaption(9), L"");
}

TEST(MsgDialogButtons, TheAnswerIsNamedByTheButtonThatGaveIt) {
  uint16_t okCancel = MsgDlgMask(mbOK) | MsgDlgMask(mbCancel);
  EXPECT_EQ(AnswerName(okCancel, 1), L"OK");
  EXPECT_EQ(AnswerName(okCancel, 2), L"Renunt");
  EXPECT_EQ(AnswerName(MsgDlgMask(mbYes) | MsgDlgMask(mbNo), 7), L"Nu");
  // Closed by itself, or never shown: no button of the set gave it.
  EXPECT_EQ(AnswerName(MsgDlgMask(mbOK), 2), L"2");
  EXPECT_EQ(AnswerName(okCancel, 0), L"none");
}

TEST(MsgDialogHeading, CapitalsCommaAndEmptyLine) {
  EXPECT_EQ(ApplyMessageHeading(L"", L"Introduceti discul 2"), L"Introduceti discul 2");
  EXPECT_EQ(ApplyMessageHeading(L"Pentru continuare", L"Introduceti discul 2"),
            L"PENTRU CONTINUARE,\r\rIntroduceti discul 2");
}

// Every set the installer passes, with a warning icon (86 x 53) and with none.
TEST(MsgDialogLayout, EveryButtonSet) {
  struct Case {
    uint16_t mask;
    int textW, textH, iconW, iconH;
    int clientW, clientH;
    CellRect label, icon, buttonPanel;
    int buttonCount;
  } cases[] = {
      // Yes + No: BW 232, CW 60+32+86+10 = 188 -> panel 232 x 73 (53+20 > 13+32).
      {3,
       60,
       13,
       86,
       53,
       264,
       188,
       {10 + 86 + (232 - 96 - 60) / 2, 10 + 26 - 6, 60, 13},
       {10, 10, 86, 53},
       {16, 25 + 73 + 40, 232, 43},
       2},
      // OK alone, long text: CW = 400+128 = 528.
      {4,
       400,
       39,
       86,
       53,
       560,
       188,
       {96 + (528 - 96 - 400) / 2, 10 + 26 - 19, 400, 39},
       {10, 10, 86, 53},
       {(560 - 132) / 2, 25 + 73 + 40, 132, 43},
       1},
      // Cancel alone, text taller than the icon: the label is at 16, the icon centred on it.
      {8,
       200,
       90,
       86,
       53,
       360,
       237,
       {96 + (328 - 96 - 200) / 2, 16, 200, 90},
       {10, 16 + 45 - 26, 86, 53},
       {(360 - 132) / 2, 25 + 122 + 40, 132, 43},
       1},
      // OK + Cancel, mtCustom (no icon): panel at least 150 x 55.
      {12,
       20,
       13,
       0,
       0,
       264,
       170,
       {10 + (232 - 10 - 20) / 2, 16, 20, 13},
       {10, 16 + 6, 0, 0},
       {16, 25 + 55 + 40, 232, 43},
       2},
      // Short text, one button: the 150-pixel minimum wins over 132.
      {4,
       5,
       13,
       0,
       0,
       182,
       170,
       {10 + (150 - 10 - 5) / 2, 16, 5, 13},
       {10, 22, 0, 0},
       {(182 - 132) / 2, 25 + 55 + 40, 132, 43},
       1},
  };
  for (const Case& c : cases) {
    MsgDialogInput in{c.textW, c.textH, c.iconW, c.iconH, 25, c.mask};
    MsgDialogLayout l = LayoutMsgDialog(in);
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(l.clientWidth, c.clientW);
    EXPECT_EQ(l.clientHeight, c.clientH);
    EXPECT_EQ(l.panel.left, 16);
    EXPECT_EQ(l.panel.top, 41);
    EXPECT_EQ(l.panel.width, c.clientW - 32);
    EXPECT_EQ(l.label, c.label);
    EXPECT_EQ(l.icon, c.icon);
    EXPECT_EQ(l.buttonPanel, c.buttonPanel);
    EXPECT_EQ(l.bevel, (CellRect{0, c.buttonPanel.top - 8, c.clientW, 5}));
    ASSERT_EQ(static_cast<int>(l.buttons.size()), c.buttonCount);
    for (int i = 0; i < c.buttonCount; ++i)
      EXPECT_EQ(l.buttons[i], (CellRect{16 + 100 * i, 8, 100, 28}));
    // Everything stays inside the client area.
    EXPECT_LE(l.buttonPanel.top + l.buttonPanel.height, l.clientHeight);
    EXPECT_LE(l.panel.top + l.panel.height, l.bevel.top);
  }
  EXPECT_EQ(LayoutMsgDialog({1, 1, 0, 0, 25, 3}).buttonBits, (std::vector<int>{mbYes, mbNo}));
  EXPECT_EQ(LayoutMsgDialog({1, 1, 0, 0, 25, 12}).buttonBits, (std::vector<int>{mbOK, mbCancel}));
}

TEST(Palette, NamesAndMarkupColours) {
  EXPECT_EQ(PaletteColor("cl3"), cl3);
  EXPECT_EQ(PaletteColor("CLGRID"), 0xDFDFDFu);
  EXPECT_EQ(PaletteColor("clNone"), std::nullopt);
  EXPECT_EQ(MarkupColor(1), 0x000080u);
  EXPECT_EQ(MarkupColor(15), 0xFFFFFFu);
  EXPECT_EQ(MarkupColor(16 + 15), 0xFF00000Fu);
  EXPECT_EQ(MarkupColor(-1), std::nullopt);
  EXPECT_EQ(MarkupColor(200), std::nullopt);
}

}  // namespace
}  // namespace kolvar::toolkit
