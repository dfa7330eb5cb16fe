// The formatted label on screen: a blinking piece flashes, the label grows to its text and
// keeps its Align place.
#include <gtest/gtest.h>

#include "modal_end.h"
#include "toolkit/fmt_label.h"
#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::UserScript;
using testing::WaitForWindow;

class LabelsForm : public TMForm {
 public:
  LabelsForm() : TMForm(L"LabelsForm") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(150, 120, 360, 200);
    SetColor(0xE0E0E0);
    Blink->SetBounds(20, 20, 100, 40);
    Blink->SetColor(0xE0E0E0);
    Blink->SetCaption(L"Atentie ~@9!!!");
    Grow->SetBounds(20, 80, 10, 10);
    Grow->SetTransparent(true);
    Grow->SetCaption(L"$2Rand @12unu\r&12%@4al doilea rand");
    Corner->SetCaption(L"\\%ok");
    Corner->SetAlign(TMAlign::alMRight);
  }
  TFmtLabel* Blink = new TFmtLabel(this, L"Blink");
  TFmtLabel* Grow = new TFmtLabel(this, L"Grow");
  TFmtLabel* Corner = new TFmtLabel(this, L"Corner");
};

int RedPixels(const TControl& control) {
  const TRect& r = control.BoundsRect();
  POINT origin = control.Parent()->ClientToScreen(r.Left, r.Top);
  testing::Shot shot =
      testing::CaptureScreen(RECT{origin.x, origin.y, origin.x + r.Width, origin.y + r.Height});
  int red = 0;
  for (uint32_t p : shot.pixels)
    red += p == 0x0000FF;
  return red;
}

TEST(FmtLabel, BlinkingPieceFlashesEvery300Milliseconds) {
  auto form = CreateForm<LabelsForm>();
  HWND window = form->Handle();
  std::vector<int> redCounts;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    ::Sleep(200);
    testing::SaveArtifact(testing::CaptureWindow(window), L"fmt_labels.png");
    for (int i = 0; i < 8; ++i) {
      redCounts.push_back(RedPixels(*form->Blink));
      ::Sleep(150);
    }
    EndModal(*form);
  });
  form->ShowModal();
  int on = 0, off = 0;
  for (int c : redCounts)
    (c > 0 ? on : off)++;
  EXPECT_GE(on, 2);
  EXPECT_GE(off, 2);
  EXPECT_EQ(1u, form->Blink->BlinkList().size());
}

TEST(FmtLabel, GrowsToItsTextAndKeepsItsAlignPlace) {
  auto form = CreateForm<LabelsForm>();
  TFmtLabel* grow = form->Grow;
  // Two lines, the second in a 12-point font: taller and wider than 10 x 10, never smaller.
  EXPECT_GT(grow->Width(), 100);
  EXPECT_GT(grow->Height(), 13 + 16);
  int width = grow->Width();
  grow->SetCaption(L"x");
  EXPECT_EQ(width, grow->Width());
  // alMRight: 2 pixels from the right edge of the parent's client area.
  EXPECT_EQ(form->ClientWidth() - 2, form->Corner->Left() + form->Corner->Width());
}

}  // namespace
}  // namespace kolvar::toolkit
