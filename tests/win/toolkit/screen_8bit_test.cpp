// On a screen of 256 colours the toolkit draws without gradients.
#include <gtest/gtest.h>

#include "toolkit/mesaj.h"
#include "toolkit/title_bar.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

class TMessageLike : public TTitleForm {
 public:
  TMessageLike() : TTitleForm(L"TMessageLike") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(100, 100, 400, 120);
    TitleBar1->SetBounds(0, 0, 400, 25);
    TitleBar1->SetStartColor(0x825106);
    SetCaption(L"Atentie !");
  }
  TTitleBar* TitleBar1 = new TTitleBar(this, L"TitleBar1");
};

TEST(Screen8Bit, TitleBarsAreSolidAndHintsYellow) {
  ScopedGetDC screen(nullptr);
  ASSERT_EQ(8, ::GetDeviceCaps(screen.get(), BITSPIXEL));
  EXPECT_FALSE(GradientsEnabled());
  EXPECT_EQ(TColor{0x00FFFF}, HintColor());
  auto form = CreateForm<TMessageLike>();
  form->Show();
  testing::PumpFor(150);
  testing::Shot shot = testing::CaptureWindow(form->Handle());
  testing::SaveArtifact(shot, L"toolkit-title-8bit.png");
  uint32_t first = shot.At(3, 2);
  for (int x : {50, 200, 396})
    EXPECT_EQ(first, shot.At(x, 2)) << "column " << x;
  form->Hide();
}

}  // namespace
}  // namespace kolvar::toolkit
