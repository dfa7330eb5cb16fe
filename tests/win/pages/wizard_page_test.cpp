// The common page shape under a user's hands: size, colours and title strip, the page buttons'
// places and results, the chords a page sees before its controls.
#include <gtest/gtest.h>

#include "bootstrap/installer_window.h"
#include "page_driver.h"
#include "pages/wizard_page.h"
#include "toolkit/actives.h"
#include "toolkit/application.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using testing::ClickControl;
using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;

// A page with all three buttons, an edit holding the focus and a chord of its own.
class TSamplePage : public TWizardPage {
 public:
  TSamplePage() : TWizardPage(L"TSamplePage", L"Pagina de proba", true) {
    Edit->SetBounds(200, 40, 200, 21);
    SetActiveControl(Edit);
  }
  TMButton* BBack = MakeBackButton();
  TMButton* BNext = MakeNextButton(mrOk);
  TNiceButton* BCancel = MakeCancelButton();
  TActiveEdit* Edit = new TActiveEdit(this, L"Edit");
  int altQ = 0;

 protected:
  void FormKeyDown(WORD& key, TShiftState shift) override {
    if (key == 'Q' && (shift & ssAlt)) {
      ++altQ;
      key = 0;
    }
    TWizardPage::FormKeyDown(key, shift);
  }
};

TEST(WizardPage, ShapeColoursAndButtonPlaces) {
  auto page = CreateForm<TSamplePage>();
  page->SetBounds((::GetSystemMetrics(SM_CXSCREEN) - page->Width()) / 2, 300, page->Width(),
                  page->Height());
  page->Show();
  testing::PumpFor(150);
  // Places are designed at 96 dots per inch and follow the screen's.
  auto S = [&](int v) { return ScaleValue(v, page->PixelsPerInch(), 96); };
  EXPECT_EQ(S(637), page->ClientWidth());
  EXPECT_EQ(S(114), page->ClientHeight());
  EXPECT_TRUE(page->KeyPreview);
  EXPECT_EQ(page->TitleBar1, page->TitleBar());
  EXPECT_EQ(L"Pagina de proba", page->TitleBar1->Caption());

  testing::Shot shot = testing::CaptureWindow(page->Handle());
  testing::SaveArtifact(shot, L"pages-common-shape.png");
  EXPECT_EQ(kTitleColor, shot.At(S(400), S(3))) << "the title strip is solid";
  EXPECT_EQ(kTitleColor, shot.At(S(630), S(22)));
  EXPECT_EQ(kPageColor, shot.At(S(400), S(27))) << "the strip is 25 pixels high";
  EXPECT_EQ(kPageColor, shot.At(S(450), S(100)));
  // The caption is drawn white on the strip.
  bool white = false;
  for (int x = S(10); x < S(120) && !white; ++x)
    for (int y = S(4); y < S(22) && !white; ++y)
      white = shot.At(x, y) == clWhite;
  EXPECT_TRUE(white);

  struct Place {
    TControl* button;
    TRect at;
    int result;
  };
  for (const Place& p :
       {Place{page->BBack, {15, 52, 67, 51}, mrRetry}, Place{page->BNext, {82, 52, 67, 51}, mrOk},
        Place{page->BCancel, {504, 63, 109, 28}, mrCancel}}) {
    SCOPED_TRACE(testing::Narrow(p.button->Name()));
    EXPECT_EQ(S(p.at.Left), p.button->Left());
    EXPECT_EQ(S(p.at.Top), p.button->Top());
    EXPECT_EQ(S(p.at.Width), p.button->Width());
    EXPECT_EQ(S(p.at.Height), p.button->Height());
    EXPECT_EQ(p.result, static_cast<TButton*>(p.button)->ModalResult());
  }
  EXPECT_EQ(L"&Inapoi", page->BBack->Caption());
  EXPECT_EQ(L"&Continua", page->BNext->Caption());
  EXPECT_EQ(L"&Abandon", page->BCancel->Caption());
  page->Hide();
}

TEST(WizardPage, EachButtonEndsThePageWithItsResult) {
  for (int which = 0; which < 3; ++which) {
    auto page = CreateForm<TSamplePage>();
    TControl* button = which == 0   ? static_cast<TControl*>(page->BBack)
                       : which == 1 ? static_cast<TControl*>(page->BNext)
                                    : page->BCancel;
    int result = RunPage(*page, [&] { ClickControl(*button); });
    EXPECT_EQ(which == 0 ? mrRetry : which == 1 ? mrOk : mrCancel, result);
  }
}

TEST(WizardPage, ChordsComeBeforeTheFocusedControl) {
  auto page = CreateForm<TSamplePage>();
  HWND window = page->Handle();
  bool frontAfterAltM = false, visibleAfterAltF4 = false;
  std::wstring typed;
  int result = RunPage(*page, [&] {
    PressKey('Q', ssAlt);
    PressKey('M', ssAlt);
    testing::WaitUntil([&] { return ::GetForegroundWindow() == window; }, 1000);
    frontAfterAltM = ::GetForegroundWindow() == window && ::IsWindowVisible(window);
    PressKey(VK_F4, ssAlt);
    ::Sleep(100);
    visibleAfterAltF4 = ::IsWindowVisible(window) != FALSE;
    PressKey('X');
    testing::WaitUntil([&] { return page->Edit->Text() == L"x"; }, 1000);
    typed = page->Edit->Text();
    PressKey('C', ssAlt);  // the accelerator of "&Continua"
  });
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(1, page->altQ) << "the page's own chord ran once";
  EXPECT_TRUE(frontAfterAltM);
  EXPECT_TRUE(visibleAfterAltF4);
  EXPECT_EQ(L"x", typed) << "a plain key reaches the edit, not the chords";
}

TEST(WizardPage, AltMHidesAndShowsTheBackgroundWindowWithThePageInFront) {
  auto background = CreateForm<bootstrap::TInstaller>();
  Application().SetMainForm(background.get());
  background->Show();
  testing::PumpFor(100);
  HWND back = background->Handle();
  auto page = CreateForm<TSamplePage>();
  HWND window = page->Handle();
  bool hidden = false, shownAgain = false, frontWhileHidden = false, frontWhenShown = false;
  RunPage(*page, [&] {
    PressKey('M', ssAlt);
    hidden = testing::WaitUntil([&] { return !::IsWindowVisible(back); }, 2000);
    Settle(window);
    frontWhileHidden = ::GetForegroundWindow() == window && ::IsWindowVisible(window);
    PressKey('M', ssAlt);
    shownAgain = testing::WaitUntil([&] { return ::IsWindowVisible(back) != FALSE; }, 2000);
    Settle(window);
    frontWhenShown = ::GetForegroundWindow() == window;
    ClickControl(*page->BNext);
  });
  Application().SetMainForm(nullptr);
  EXPECT_TRUE(hidden);
  EXPECT_TRUE(frontWhileHidden);
  EXPECT_TRUE(shownAgain);
  EXPECT_TRUE(frontWhenShown);
}

}  // namespace
}  // namespace kolvar::pages
