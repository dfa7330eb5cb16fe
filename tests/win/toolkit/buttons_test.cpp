// The image buttons under a user's hands: kinds, the keyboard flash, the hit area of the compact
// button, the hot look following the mouse.
#include <gtest/gtest.h>

#include "toolkit/buttons.h"
#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::UserScript;
using testing::WaitForWindow;

class TButtonsForm : public TMForm {
 public:
  TButtonsForm() : TMForm(L"TButtonsForm") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(150, 150, 360, 200);
    A->SetBounds(20, 20, 100, 28);
    A->SetKind(mkOK);
    A->SetModalResult(0);
    B->SetBounds(20, 60, 100, 28);
    B->SetKind(mkCancel);
    B->SetModalResult(0);
    Large->SetBounds(200, 20, 90, 40);
    Large->SetKind(mkAll);
    for (TNiceButton* b : {A, B}) {
      b->OnClick = [this](TControl* sender) {
        clicks.push_back(sender->Name() +
                         (static_cast<TNiceButton*>(sender)->ForcedDown() ? L"+down" : L""));
      };
    }
  }
  TNiceButton* A = new TNiceButton(this, L"A");
  TNiceButton* B = new TNiceButton(this, L"B");
  TMButton* Large = new TMButton(this, L"Large");
  std::vector<std::wstring> clicks;
};

TEST(Buttons, KindsGiveCaptionAndModalResultUnlessSetExplicitly) {
  TButtonsForm form;
  auto* cancel = new TMButton(&form, L"C1");
  cancel->SetKind(mkCancel);
  EXPECT_EQ(mrCancel, cancel->ModalResult());
  EXPECT_EQ(L"&Renunt", cancel->Caption());
  auto* kept = new TMButton(&form, L"C2");
  kept->SetModalResult(0);
  kept->SetCaption(L"&Iesire din#program");
  kept->SetKind(mkCancel);
  EXPECT_EQ(0, kept->ModalResult());                   // explicit 0 stays
  EXPECT_EQ(L"&Iesire din#program", kept->Caption());  // a large button keeps its caption
  auto* next = new TMButton(&form, L"C3");
  next->SetKind(mknNext);
  EXPECT_TRUE(next->CaptionVisible);
  next->SetKind(mkNext);  // kinds before mkAdd hide the caption
  EXPECT_FALSE(next->CaptionVisible);
  auto* nice = new TNiceButton(&form, L"N1");
  nice->SetKind(mkYes);
  EXPECT_EQ(L"&Da", nice->Caption());
  nice->SetKind(mkNo);  // a compact button follows its kind until the caption is set
  EXPECT_EQ(L"&Nu", nice->Caption());
  EXPECT_EQ(mrNo, nice->ModalResult());
  nice->SetCaption(L"Altceva");
  nice->SetKind(mkAll);
  EXPECT_EQ(L"Altceva", nice->Caption());
  EXPECT_EQ(mrAll, nice->ModalResult());
}

TEST(Buttons, KeyboardActivationFlashesThePressedLookAndTheMouseDoesNot) {
  auto form = CreateForm<TButtonsForm>();
  form->Large->SetModalResult(mrOk);
  form->SetActiveControl(form->A);
  HWND window = form->Handle();
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    testing::PressKey(VK_SPACE);
    ::Sleep(100);
    testing::ClickControl(*form->B);
    ::Sleep(100);
    testing::ClickControl(*form->Large);
  });
  EXPECT_EQ(mrOk, form->ShowModal());
  EXPECT_EQ((std::vector<std::wstring>{L"A+down", L"B"}), form->clicks);
  EXPECT_FALSE(form->A->ForcedDown());  // released by its 20 ms timer
}

TEST(Buttons, OnlyThePictureAndThePlateOfACompactButtonTakeClicks) {
  auto form = CreateForm<TButtonsForm>();
  form->Large->SetModalResult(mrOk);
  HWND window = form->Handle();
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    testing::ClickAt(form->A->ClientToScreen(3, 14));   // left of the picture: nothing
    testing::ClickAt(form->A->ClientToScreen(20, 14));  // the picture
    testing::ClickAt(form->A->ClientToScreen(80, 14));  // the plate
    ::Sleep(100);
    testing::ClickControl(*form->Large);
  });
  EXPECT_EQ(mrOk, form->ShowModal());
  EXPECT_EQ((std::vector<std::wstring>{L"A", L"A"}), form->clicks);
}

TEST(Buttons, TheHotLookAndTheFocusFollowTheMouse) {
  auto form = CreateForm<TButtonsForm>();
  form->Show();
  form->A->SetFocus();
  testing::PumpFor(50);
  bool done = false;
  UserScript user([&] {
    testing::MoveMouseTo(form->A->ClientToScreen(80, 14));
    ::Sleep(100);
    testing::MoveMouseTo(form->B->ClientToScreen(80, 10));
    testing::MoveMouseTo(form->B->ClientToScreen(81, 14));
    ::Sleep(100);
    done = true;
  });
  testing::PumpUntil([&] { return done; });
  testing::PumpFor(50);
  EXPECT_EQ(form->B, TNiceButton::HotButton());
  EXPECT_TRUE(form->B->Focused());
  EXPECT_FALSE(form->A->Hot());
  testing::SaveArtifact(testing::CaptureWindow(form->Handle()), L"toolkit-buttons-hot.png");
  form->Hide();
}

}  // namespace
}  // namespace kolvar::toolkit
