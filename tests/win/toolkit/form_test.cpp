// The form and control model under a user's hands: modal results by real clicks and keys, the
// general error report, key preview, Tab order, windows disabled under a modal form.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::ClickControl;
using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;

// A button that draws a plain face, enough to be clicked.
class PlainButton : public TButton {
 public:
  using TButton::TButton;

 protected:
  void DrawButton(HDC dc, const RECT& r, bool pressed, bool focused) override {
    FillSolid(dc, r, pressed ? 0x808080 : 0xC0C0C0);
    DrawTextIn(dc, Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), 0);
  }
};

class TestForm : public TMForm {
 public:
  TestForm() : TMForm(L"TestForm") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetBounds(200, 150, 300, 200);
    Edit1->SetBounds(10, 10, 120, 21);
    BOk->SetBounds(10, 150, 80, 30);
    BOk->SetCaption(L"&Bun");
    BOk->SetModalResult(mrOk);
    BOk->Default = true;
    BCancel->SetBounds(100, 150, 80, 30);
    BCancel->SetCaption(L"&Renunt");
    BCancel->SetModalResult(mrCancel);
    BCancel->Cancel = true;
    BThrow->SetBounds(190, 150, 80, 30);
    BThrow->SetCaption(L"&Eroare");
    BThrow->OnClick = Bind(this, &TestForm::BThrowClick);
  }
  TEdit* Edit1 = new TEdit(this, L"Edit1");
  PlainButton* BOk = new PlainButton(this, L"BOk");
  PlainButton* BCancel = new PlainButton(this, L"BCancel");
  PlainButton* BThrow = new PlainButton(this, L"BThrow");
  int creates = 0;
  int shows = 0;
  std::vector<WORD> previewed;

 protected:
  void FormCreate() override { ++creates; }
  void FormShow() override { ++shows; }
  void FormKeyDown(WORD& key, TShiftState shift) override {
    previewed.push_back(key);
    if (key == VK_F2)
      key = 0;
  }
  void BThrowClick(TControl*) { throw Error(L"Fisierul nu poate fi citit"); }
};

TEST(Form, ModalResultComesFromTheClickedButton) {
  struct Case {
    const char* what;
    int expected;
  };
  for (const Case& c : {Case{"ok", mrOk}, Case{"cancel", mrCancel}}) {
    SCOPED_TRACE(c.what);
    auto form = CreateForm<TestForm>();
    PlainButton* target = c.expected == mrOk ? form->BOk : form->BCancel;
    HWND window = form->Handle();
    UserScript user([&] {
      ASSERT_TRUE(WaitForWindow(window));
      ClickControl(*target);
    });
    EXPECT_EQ(c.expected, form->ShowModal());
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(1, form->creates);
    EXPECT_EQ(1, form->shows);
  }
}

TEST(Form, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
  for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
    auto form = CreateForm<TestForm>();
    form->SetActiveControl(form->Edit1);
    HWND window = form->Handle();
    UserScript user([&] {
      ASSERT_TRUE(WaitForWindow(window));
      PressKey(key);
    });
    EXPECT_EQ(key == VK_RETURN ? mrOk : mrCancel, form->ShowModal());
  }
}

TEST(Form, ErrorInHandlerIsReportedAndTheLoopGoesOn) {
  std::vector<std::wstring> reports;
  Application().OnException = [&](const std::wstring& text) { reports.push_back(text); };
  auto form = CreateForm<TestForm>();
  HWND window = form->Handle();
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    ClickControl(*form->BThrow);
    ::Sleep(100);
    ClickControl(*form->BCancel);
  });
  EXPECT_EQ(mrCancel, form->ShowModal());
  Application().OnException = nullptr;
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ(L"Fisierul nu poate fi citit", reports[0]);
}

TEST(Form, KeyPreviewSeesKeysFirstAndCanSwallowThem) {
  auto form = CreateForm<TestForm>();
  form->KeyPreview = true;
  form->SetActiveControl(form->Edit1);
  HWND window = form->Handle();
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    PressKey(VK_F2);
    PressKey('A');
    ::Sleep(100);
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(mrCancel, form->ShowModal());
  EXPECT_EQ((std::vector<WORD>{VK_F2, 'A', VK_ESCAPE}), form->previewed);
  EXPECT_EQ(L"a", form->Edit1->Text());
}

TEST(Form, TabMovesTheFocusInCreationOrderAndAltLetterClicks) {
  auto form = CreateForm<TestForm>();
  form->SetActiveControl(form->Edit1);
  HWND window = form->Handle();
  HWND focusAfterTab = nullptr;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    PressKey(VK_TAB);
    ::Sleep(100);
    GUITHREADINFO info{sizeof(info)};
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    focusAfterTab = info.hwndFocus;
    PressKey('R', ssAlt);
  });
  EXPECT_EQ(mrCancel, form->ShowModal());
  EXPECT_EQ(form->BOk->Handle(), focusAfterTab);
}

TEST(Form, OtherWindowsAreDisabledWhileAModalFormRuns) {
  auto page = CreateForm<TestForm>();
  page->BThrow->SetEnabled(false);
  page->Show();
  page->BCancel->SetFocus();
  auto dialog = CreateForm<TestForm>();
  dialog->SetBounds(260, 200, 300, 200);
  bool pageEnabledDuring = true, okEnabledDuring = true;
  HWND dialogWindow = dialog->Handle();
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(dialogWindow));
    pageEnabledDuring = ::IsWindowEnabled(page->HandleIfAllocated()) != FALSE;
    okEnabledDuring = page->BOk->Enabled();
    ClickControl(*dialog->BOk);
  });
  EXPECT_EQ(mrOk, dialog->ShowModal());
  EXPECT_FALSE(pageEnabledDuring);
  EXPECT_FALSE(okEnabledDuring);
  EXPECT_TRUE(::IsWindowEnabled(page->Handle()));
  EXPECT_TRUE(page->BOk->Enabled());
  EXPECT_FALSE(page->BThrow->Enabled());  // its own state comes back, not "enabled"
  testing::PumpUntil([&] { return page->BCancel->Focused(); }, 2000);
  EXPECT_TRUE(page->BCancel->Focused());
}

// A control replaced while its form is hidden (the instructions viewer loads a new document into
// new views) must not be the one the form focuses when it is shown again.
TEST(Form, AControlDestroyedWhileTheFormIsHiddenIsNotFocusedAgain) {
  auto form = CreateForm<TestForm>();
  auto* extra = new TEdit(form.get(), L"Extra");
  extra->SetBounds(10, 40, 120, 21);
  form->Show();
  extra->SetFocus();
  testing::PumpUntil([&] { return form->ActiveControl() == extra; }, 2000);
  ASSERT_EQ(extra, form->ActiveControl());
  form->Hide();
  delete extra;
  EXPECT_EQ(nullptr, form->ActiveControl());
  form->Show();
  testing::PumpUntil([&] { return form->Edit1->Focused(); }, 2000);
  EXPECT_TRUE(form->Edit1->Focused());
  form->Hide();
}

}  // namespace
}  // namespace kolvar::toolkit
