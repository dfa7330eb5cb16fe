// The active label's accelerator and underline when the label is tied to its control by the
// focus link alone (not as an edit's associated label).
#include <gtest/gtest.h>

#include <atomic>

#include "toolkit/actives.h"
#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;

class LinkedLabelForm : public TMForm {
 public:
  LinkedLabelForm() : TMForm(L"LinkedLabelForm") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(150, 120, 360, 120);
    SetColor(0xE0E0E0);
    LPath->SetBounds(10, 12, 60, 16);
    LPath->SetCaption(L"&Program:");
    LPath->SetColor(0xE0E0E0);
    LPath->FocusControl = EPath;
    LPath->OnClick = [this](TControl*) { ++clicks; };
    EPath->SetBounds(80, 10, 150, 21);
    EOther->SetBounds(80, 40, 150, 21);
    // Which edit last took the focus (read by the script thread, where GetFocus says nothing).
    EPath->OnEnter = [this](TControl*) { inPath = true; };
    EOther->OnEnter = [this](TControl*) { inPath = false; };
    SetActiveControl(EOther);
  }
  TActiveLabel* LPath = new TActiveLabel(this, L"LPath");
  TActiveEdit* EPath = new TActiveEdit(this, L"EPath");
  TActiveEdit* EOther = new TActiveEdit(this, L"EOther");
  int clicks = 0;
  std::atomic<bool> inPath{false};
};

TEST(ActiveLabel, AcceleratorRunsTheClickAndTheUnderlineFollowsTheFocus) {
  auto form = CreateForm<LinkedLabelForm>();
  HWND window = form->Handle();
  bool focusedByAccelerator = false;
  testing::Shot before, lit, after;
  auto labelShot = [&] {
    ::Sleep(150);
    RECT r = form->LPath->BoundsRect().ToRECT();
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return testing::CaptureScreen(r);
  };
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    // Under Wine a modifier pressed before the window has the display's focus may be lost.
    testing::WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    before = labelShot();
    PressKey('P', ssAlt);
    focusedByAccelerator = testing::WaitUntil([&] { return form->inPath.load(); }, 2000);
    lit = labelShot();
    PressKey(VK_TAB);
    testing::WaitUntil([&] { return !form->inPath.load(); }, 2000);
    after = labelShot();
    form->SetModalResult(mrCancel);
    ::PostMessageW(window, WM_NULL, 0, 0);
  });
  form->ShowModal();
  EXPECT_TRUE(focusedByAccelerator);
  EXPECT_EQ(1, form->clicks) << "the accelerator went through the label's click";
  ASSERT_FALSE(before.pixels.empty());
  EXPECT_NE(before.pixels, lit.pixels) << "the letter is underlined while the edit has the focus";
  EXPECT_EQ(before.pixels, after.pixels) << "and plain again once it has left";
}

}  // namespace
}  // namespace kolvar::toolkit
