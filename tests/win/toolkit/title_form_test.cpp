// The title-bar form under a user's hands: the painted bar's pixels, dragging by the top band,
// Alt+F4, the buttons greyed while a modal window covers the page, the right-click answer.
#include <gtest/gtest.h>

#include "toolkit/application.h"
#include "toolkit/buttons.h"
#include "toolkit/mesaj.h"
#include "toolkit/title_bar.h"
#include "ui_driver.h"

namespace kolvar::toolkit {
namespace {

using testing::ClickControl;
using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;

constexpr TColor kPageBar = 0x78695C;

// A page as the installer's pages are built: frameless, its title bar, buttons at the left.
class TPage : public TTitleForm {
 public:
  explicit TPage(TColor barStart = 0x4D3004, TColor barEnd = 0xEFEFEF) : TTitleForm(L"TPage") {
    SetBorderStyle(TBorderStyle::bsNone);
    SetColor(kPageBar);
    SetBounds(120, 100, 560, 300);
    TitleBar1->SetBounds(10, 10, 400, 25);
    TitleBar1->SetStartColor(barStart);
    TitleBar1->SetEndColor(barEnd);
    SetCaption(L"Tipul instalarii");
    BNext->SetBounds(10, 60, 90, 40);
    BNext->SetKind(mkNext);
    BNext->SetCaption(L"&Continua");
    BNext->SetModalResult(mrOk);
    BBack->SetBounds(10, 110, 90, 40);
    BBack->SetKind(mkPrev);
    BBack->SetCaption(L"&Inapoi");
    BBack->SetModalResult(mrRetry);
    BHelp->SetBounds(10, 160, 90, 40);
    BHelp->SetKind(mkHelp);
    BHelp->SetEnabled(false);
    BTop->SetBounds(440, 12, 100, 28);  // a button inside the top band
    BTop->SetKind(mkHelp);
  }
  TTitleBar* TitleBar1 = new TTitleBar(this, L"TitleBar1");
  TMButton* BNext = new TMButton(this, L"BNext");
  TMButton* BBack = new TMButton(this, L"BBack");
  TMButton* BHelp = new TMButton(this, L"BHelp");
  TNiceButton* BTop = new TNiceButton(this, L"BTop");
};

// A small dialog; with `message` it answers right-clicks on the windows behind it.
class TDialog : public TTitleForm {
 public:
  explicit TDialog(bool message) : TTitleForm(L"TDialog"), message_(message) {
    SetBorderStyle(TBorderStyle::bsDialog);
    SetColor(clBtnFace);
    SetBounds(300, 250, 260, 120);
    BYes->SetBounds(20, 60, 100, 28);
    BYes->SetKind(mkYes);
    BNo->SetBounds(130, 60, 100, 28);
    BNo->SetKind(mkNo);
    BNo->Default = true;
    SetActiveControl(BNo);
  }
  bool IsMessageDialog() const override { return message_; }
  TNiceButton* BYes = new TNiceButton(this, L"BYes");
  TNiceButton* BNo = new TNiceButton(this, L"BNo");

 private:
  bool message_;
};

TEST(TitleForm, TheBarPaintsTheGradientFormulaColumnByColumn) {
  ASSERT_TRUE(GradientsEnabled());  // a true-colour screen and no marker file
  struct Case {
    const char* what;
    TColor start, end;
    const wchar_t* artifact;
  };
  for (const Case& c : {Case{"gradient", 0x4D3004, 0xEFEFEF, L"toolkit-title-gradient.png"},
                        Case{"page colour", kPageBar, kPageBar, L"toolkit-title-solid.png"},
                        Case{"message colour", 0x825106, 0xEFEFEF, L"toolkit-title-message.png"}}) {
    SCOPED_TRACE(c.what);
    auto page = CreateForm<TPage>(c.start, c.end);
    page->Show();
    testing::PumpFor(150);
    testing::Shot shot = testing::CaptureWindow(page->Handle());
    testing::SaveArtifact(shot, c.artifact);
    const int barLeft = 10, barTop = 10, width = page->TitleBar1->Width();
    for (int i : {0, 1, 57, 200, width - 1}) {
      // Row 2 of the bar lies above the caption text.
      EXPECT_EQ(GradientColor(c.start, c.end, i, width), shot.At(barLeft + i, barTop + 2))
          << "column " << i;
    }
    page->Hide();
  }
}

TEST(TitleForm, AltF4IsSwallowed) {
  auto page = CreateForm<TPage>();
  HWND window = page->Handle();
  bool stillVisible = false;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(window));
    PressKey(VK_F4, ssAlt);
    ::Sleep(200);
    stillVisible = ::IsWindowVisible(window) != FALSE;
    ClickControl(*page->BNext);
  });
  EXPECT_EQ(mrOk, page->ShowModal());
  EXPECT_TRUE(stillVisible);
}

TEST(TitleForm, TheTopFiftyPixelsAnswerAsCaptionOutsideButtons) {
  auto page = CreateForm<TPage>();
  page->Show();
  testing::PumpFor(50);
  HWND window = page->Handle();
  auto hit = [&](int x, int y) {
    POINT p = page->ClientToScreen(x, y);
    return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  };
  EXPECT_EQ(HTCAPTION, hit(200, 20));  // on the title bar
  EXPECT_EQ(HTCAPTION, hit(200, 49));  // below the bar, still in the band
  EXPECT_EQ(HTCAPTION, hit(3, 3));
  EXPECT_EQ(HTCLIENT, hit(200, 50));
  EXPECT_EQ(HTCLIENT, hit(200, 250));
  // A button in the band is a window of its own and keeps its clicks.
  POINT onButton = page->BTop->ClientToScreen(60, 14);
  EXPECT_EQ(page->BTop->Handle(), ::WindowFromPoint(onButton));

  // Dragging by the band moves the page; pressing lower does not.
  RECT before;
  ::GetWindowRect(window, &before);
  UserScript user([&] {
    POINT from = page->ClientToScreen(250, 30);
    testing::MoveMouseTo(from);
    testing::MouseDownAt(from);
    testing::MoveMouseTo(POINT{from.x + 20, from.y + 15});
    testing::MoveMouseTo(POINT{from.x + 40, from.y + 30});
    testing::MouseUpAt(POINT{from.x + 40, from.y + 30});
  });
  testing::PumpUntil([&] {
    RECT now;
    ::GetWindowRect(window, &now);
    return now.left == before.left + 40 && now.top == before.top + 30;
  });
  RECT after;
  ::GetWindowRect(window, &after);
  EXPECT_EQ(before.left + 40, after.left);
  EXPECT_EQ(before.top + 30, after.top);
  page->Hide();
}

TEST(TitleForm, ButtonsAreGreyedUnderAModalWindowAndComeBackWithTheFocus) {
  auto page = CreateForm<TPage>();
  page->Show();
  // The focus the page must get back is the one it had: waited for, not assumed (a page
  // shown a moment ago may not be active yet, and a focus set then does not stay).
  ASSERT_TRUE(testing::PumpUntil([&] {
    if (!page->BBack->Focused()) {
      ::SetForegroundWindow(page->Handle());
      page->BBack->SetFocus();
    }
    return page->BBack->Focused();
  })) << "the page never had the focus";
  auto dialog = CreateForm<TDialog>(false);
  HWND dialogWindow = dialog->Handle();
  bool nextEnabled = true, backEnabled = true, grayed = false;
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(dialogWindow));
    ::Sleep(150);
    nextEnabled = page->BNext->Enabled();
    backEnabled = page->BBack->Enabled();
    grayed = page->TitleBar1->Grayed();
    testing::SaveArtifact(testing::CaptureScreen(RECT{110, 90, 690, 410}),
                          L"toolkit-page-under-dialog.png");
    ClickControl(*dialog->BYes);
  });
  EXPECT_EQ(mrYes, dialog->ShowModal());
  EXPECT_FALSE(nextEnabled);
  EXPECT_FALSE(backEnabled);
  EXPECT_TRUE(grayed);
  EXPECT_TRUE(page->BNext->Enabled());
  EXPECT_TRUE(page->BBack->Enabled());
  EXPECT_FALSE(page->BHelp->Enabled());  // disabled before, disabled after
  EXPECT_FALSE(page->TitleBar1->Grayed());
  EXPECT_TRUE(testing::PumpUntil([&] { return page->BBack->Focused(); }));
  page->Hide();
}

TEST(TitleForm, RightClickOnThePageBehindAMessageGivesTheDefaultAnswer) {
  auto page = CreateForm<TPage>();
  page->Show();
  testing::PumpFor(50);
  auto dialog = CreateForm<TDialog>(true);
  HWND dialogWindow = dialog->Handle();
  ::SetCursorPos(5, 5);  // nowhere near the dialog's buttons (hovering moves the focus)
  testing::PumpFor(50);
  UserScript user([&] {
    ASSERT_TRUE(WaitForWindow(dialogWindow));
    testing::ClickAt(page->ClientToScreen(250, 100), true);  // beside the dialog
  });
  EXPECT_EQ(mrNo, dialog->ShowModal());
  page->Hide();
}

TEST(TitleForm, CaptionIsForwardedToTheTitleBar) {
  auto page = CreateForm<TPage>();
  EXPECT_EQ(page->TitleBar1, page->TitleBar());
  EXPECT_EQ(L"Tipul instalarii", page->TitleBar1->Caption());
  page->Show();
  ::SetWindowTextW(page->Handle(), L"Alt titlu");
  EXPECT_EQ(L"Alt titlu", page->TitleBar1->Caption());
  page->Hide();
}

TEST(TitleForm, CtrlAltWheelZoomsByOnePercentAStepAndShiftResets) {
  auto page = CreateForm<TPage>();
  page->Show();
  page->BNext->SetFocus();
  testing::PumpFor(50);
  bool done = false;
  UserScript user([&] {
    testing::MoveMouseTo(page->ClientToScreen(300, 200));
    testing::Wheel(1, ssCtrl | ssAlt);
    testing::Wheel(1, ssCtrl | ssAlt);
    ::Sleep(100);
    done = true;
  });
  testing::PumpUntil([&] { return done; });
  testing::PumpFor(50);
  EXPECT_EQ(2, page->DPIScale);
  EXPECT_EQ(92, page->BNext->Width());  // 90 -> 91 -> 92
  done = false;
  UserScript reset([&] {
    testing::Wheel(-1, ssCtrl | ssAlt | ssShift);
    ::Sleep(100);
    done = true;
  });
  testing::PumpUntil([&] { return done; });
  testing::PumpFor(50);
  EXPECT_EQ(0, page->DPIScale);
  EXPECT_EQ(90, page->BNext->Width());
  page->Hide();
}

TEST(TitleForm, AMovePanelDragsItsForm) {
  auto page = CreateForm<TPage>();
  auto* grip = new TMovePanel(page.get(), L"Grip");
  grip->SetBounds(200, 150, 120, 60);
  page->Show();
  testing::PumpFor(50);
  RECT before;
  ::GetWindowRect(page->Handle(), &before);
  bool done = false;
  UserScript user([&] {
    POINT from = grip->ClientToScreen(30, 30);
    testing::MoveMouseTo(from);
    testing::MouseDownAt(from);
    testing::MoveMouseTo(POINT{from.x + 25, from.y + 10});
    testing::MouseUpAt(POINT{from.x + 25, from.y + 10});
    done = true;
  });
  testing::PumpUntil([&] { return done; });
  testing::PumpFor(50);
  RECT after;
  ::GetWindowRect(page->Handle(), &after);
  // Absolute mouse positions may land a pixel off after their conversion to input units.
  EXPECT_NEAR(before.left + 25, after.left, 1);
  EXPECT_NEAR(before.top + 10, after.top, 1);
  EXPECT_FALSE(grip->Down);
  page->Hide();
}

TEST(TitleForm, TheSystemMenuIsRelabelledAndCannotClose) {
  auto dialog = CreateForm<TDialog>(false);
  HMENU menu = ::GetSystemMenu(dialog->Handle(), FALSE);
  ASSERT_NE(nullptr, menu);
  wchar_t text[64] = L"";
  ::GetMenuStringW(menu, SC_MOVE, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(L"&Muta", text);
  ::GetMenuStringW(menu, SC_CLOSE, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(0, std::wstring(text).rfind(L"&Inchide", 0));
  EXPECT_TRUE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  // The close command does nothing either.
  dialog->Show();
  ::SendMessageW(dialog->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(::IsWindowVisible(dialog->Handle()));
  dialog->Hide();
}

}  // namespace
}  // namespace kolvar::toolkit
