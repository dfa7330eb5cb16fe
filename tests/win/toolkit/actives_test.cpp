// The input controls under a user's hands: the edit's label highlight, the flat border, the
// check box's grey cycle, the radio group's veto.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "modal_end.h"
#include "toolkit/actives.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/pure/palette.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::ClickControl;
using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;

class InputsForm : public TMForm {
 public:
  InputsForm() : TMForm(L"InputsForm") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(150, 120, 420, 300);
    SetColor(0xE0E0E0);
    LName->SetBounds(10, 12, 60, 16);
    LName->SetCaption(L"&Nume");
    LName->Font().Color = 0x123456;
    LName->Font().Style = fsBold | fsItalic;
    LName->FontChanged();
    LName->SetColor(0xE0E0E0);
    EName->SetBounds(80, 10, 150, 21);
    EName->SetAssocLabel(LName);
    EName->SetLabelColor(0x0000C0);
    EName->FlatStyle = true;
    EName->BorderColor = cl3;
    EName->BorderColorF = cl2;
    EOther->SetBounds(80, 40, 150, 21);
    EAmount->SetBounds(250, 40, 150, 21);
    EAmount->SetAlignment(TAlignment::taRightJustify);
    EAmount->SetText(L"1250.00");
    Check->SetBounds(10, 70, 150, 17);
    Check->SetCaption(L"&Arhivare");
    Check->AllowGrayed = true;
    Check->SetColor(0xE0E0E0);
    Group->SetBounds(10, 100, 200, 52);
    Group->SetColor(0xE0E0E0);
    Group->SetItems({L"&LOCAL", L"&SERVER", L"&CLIENT"});
    Group->SetItemIndex(0);
  }
  TActiveLabel* LName = new TActiveLabel(this, L"LName");
  TActiveEdit* EName = new TActiveEdit(this, L"EName");
  TActiveEdit* EOther = new TActiveEdit(this, L"EOther");
  TActiveEdit* EAmount = new TActiveEdit(this, L"EAmount");
  TActiveCheckBox* Check = new TActiveCheckBox(this, L"Check");
  TMRadioGroup* Group = new TMRadioGroup(this, L"Group");
};

COLORREF PixelAt(POINT p) {
  HDC screen = ::GetDC(nullptr);
  COLORREF c = ::GetPixel(screen, p.x, p.y);
  ::ReleaseDC(nullptr, screen);
  return c;
}

TEST(ActiveEdit, LightsItsLabelAndRestoresItExactly) {
  auto form = CreateForm<InputsForm>();
  form->SetActiveControl(form->EOther);
  HWND window = form->Handle();
  TColor during = 0, after = 0;
  unsigned styleDuring = 0, styleAfter = 0;
  COLORREF borderFocused = 0, borderUnfocused = 0;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    ClickControl(*form->EName);
    testing::WaitUntil([&] { return form->EName->Focused(); }, 2000);
    ::Sleep(150);
    during = form->LName->Font().Color;
    styleDuring = form->LName->Font().Style;
    borderFocused = PixelAt(form->EName->ClientToScreen(-2, 5));
    PressKey(VK_TAB);
    testing::WaitUntil([&] { return !form->EName->Focused(); }, 2000);
    ::Sleep(150);
    after = form->LName->Font().Color;
    styleAfter = form->LName->Font().Style;
    borderUnfocused = PixelAt(form->EName->ClientToScreen(-2, 5));
    EndModal(*form);
  });
  form->ShowModal();
  EXPECT_EQ(0x0000C0u, during);
  EXPECT_EQ(static_cast<unsigned>(fsBold | fsItalic), styleDuring);
  EXPECT_EQ(0x123456u, after);
  EXPECT_EQ(static_cast<unsigned>(fsBold | fsItalic), styleAfter);
  EXPECT_EQ(RGB(0xA9, 0xA9, 0xA9), borderFocused);
  EXPECT_EQ(RGB(0xCF, 0xCF, 0xCF), borderUnfocused);
}

// Leftmost and rightmost columns of the edit's client area holding dark (text) pixels.
std::pair<int, int> InkColumns(TActiveEdit& edit) {
  POINT origin = edit.ClientToScreen(0, 0);
  RECT client;
  ::GetClientRect(edit.HandleIfAllocated(), &client);
  testing::Shot shot = testing::CaptureScreen(
      RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
  int first = shot.width, last = -1;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      uint32_t p = shot.At(x, y);
      if ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF) < 3 * 96) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  return {first, last};
}

TEST(ActiveEdit, RightAlignedTextIsDrawnAtTheRightOnlyWithoutTheFocus) {
  auto form = CreateForm<InputsForm>();
  form->SetActiveControl(form->EOther);
  HWND window = form->Handle();
  std::pair<int, int> unfocused, focused;
  int width = 0;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    ::Sleep(150);
    RECT client;
    ::GetClientRect(form->EAmount->HandleIfAllocated(), &client);
    width = client.right;
    unfocused = InkColumns(*form->EAmount);
    ClickControl(*form->EAmount);
    testing::WaitUntil([&] { return form->EAmount->Focused(); }, 2000);
    ::Sleep(150);
    focused = InkColumns(*form->EAmount);
    EndModal(*form);
  });
  form->ShowModal();
  EXPECT_GT(unfocused.first, width / 2);
  EXPECT_GE(unfocused.second, width - 8);
  EXPECT_LT(focused.first, width / 4);
}

TEST(ActiveCheckBox, ThreeClicksCycleThroughGrey) {
  auto form = CreateForm<InputsForm>();
  HWND window = form->Handle();
  std::vector<TCheckBoxState> seen;
  int clicks = 0;
  form->Check->OnClick = [&](TControl*) { ++clicks; };
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    for (int i = 0; i < 3; ++i) {
      ClickControl(*form->Check);
      ::Sleep(250);
      seen.push_back(form->Check->State());
      if (i == 1)
        testing::SaveArtifact(testing::CaptureWindow(window), L"inputs_form.png");
    }
    // Its accelerator takes the focus and toggles it too.
    ClickControl(*form->EName);
    ::Sleep(150);
    PressKey('A', ssAlt);
    ::Sleep(250);
    seen.push_back(form->Check->State());
    EndModal(*form);
  });
  form->ShowModal();
  EXPECT_EQ((std::vector<TCheckBoxState>{TCheckBoxState::cbGrayed, TCheckBoxState::cbChecked,
                                         TCheckBoxState::cbUnchecked, TCheckBoxState::cbGrayed}),
            seen);
  EXPECT_EQ(4, clicks);
}

TEST(MRadioGroup, VetoHoldsAgainstClicksAndSpace) {
  auto form = CreateForm<InputsForm>();
  HWND window = form->Handle();
  bool allow = false;
  int asked = 0;
  form->Group->OnModify = [&](TControl*, bool& can) {
    ++asked;
    can = allow;
  };
  int afterClick = -2, afterSpace = -2, afterAllowedClick = -2, afterEnd = -2;
  int spacing = 0;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    spacing = form->Group->Button(1)->Top() - form->Group->Button(0)->Top();
    ClickControl(*form->Group->Button(2));
    ::Sleep(200);
    afterClick = form->Group->ItemIndex();
    // Space on a button that has the focus but is not selected.
    form->Group->Button(1)->SetFocus();
    ::Sleep(100);
    PressKey(VK_SPACE);
    ::Sleep(200);
    afterSpace = form->Group->ItemIndex();
    allow = true;
    ClickControl(*form->Group->Button(2));
    ::Sleep(200);
    afterAllowedClick = form->Group->ItemIndex();
    PressKey(VK_HOME);
    ::Sleep(200);
    afterEnd = form->Group->ItemIndex();
    EndModal(*form);
  });
  form->ShowModal();
  EXPECT_EQ(20, spacing);
  EXPECT_EQ(0, afterClick);
  EXPECT_EQ(0, afterSpace);
  EXPECT_EQ(2, afterAllowedClick);
  EXPECT_EQ(0, afterEnd);
  EXPECT_GE(asked, 3);
}

TEST(MRadioGroup, AcceleratorSelectsItsItemUnlessVetoed) {
  auto form = CreateForm<InputsForm>();
  HWND window = form->Handle();
  bool allow = true;
  form->Group->OnModify = [&](TControl*, bool& can) { can = allow; };
  int afterS = -2, afterVetoedC = -2;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    ClickControl(*form->EName);
    ::Sleep(150);
    PressKey('S', ssAlt);
    ::Sleep(250);
    afterS = form->Group->ItemIndex();
    allow = false;
    PressKey('C', ssAlt);
    ::Sleep(250);
    afterVetoedC = form->Group->ItemIndex();
    EndModal(*form);
  });
  form->ShowModal();
  EXPECT_EQ(1, afterS);
  EXPECT_EQ(1, afterVetoedC);
}

}  // namespace
}  // namespace kolvar::toolkit
