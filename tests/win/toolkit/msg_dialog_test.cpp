// The message dialog under a user's hands: answers by Enter, Esc, right-click and clicks on
// each button, the automatic close, the three-click switch on the icon, the heading; one
// screenshot per variant under build/artifacts.
#include <gtest/gtest.h>

#include "toolkit/application.h"
#include "toolkit/fmt_label.h"
#include "toolkit/form.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::toolkit {
namespace {

using testing::ClickAt;
using testing::ClickControl;
using testing::PressKey;
using testing::UserScript;

constexpr int kWarning = 0, kError = 1, kInformation = 2, kConfirmation = 3, kCustom = 4;

// The dialog on screen (from the script thread), once it is visible.
TMessageForm* WaitForDialog(const std::wstring& caption) {
  HWND window = testing::WaitForTitled(caption);
  if (!window)
    return nullptr;
  return dynamic_cast<TMessageForm*>(TWinControl::FromHandle(window));
}

TControl* Child(TMessageForm* form, const wchar_t* name) {
  return form ? form->FindChild(name) : nullptr;
}

void Shoot(const std::wstring& caption, const std::wstring& file) {
  HWND window = testing::WaitForTitled(caption);
  ::Sleep(150);
  if (window)
    testing::SaveArtifact(testing::CaptureWindow(window), file);
}

// What the user does to the open dialog; "nothing" keys are followed by a click on `then`.
struct Answer {
  const char* what;
  enum Kind { kKey, kRightClick, kClick } kind;
  WORD key;
  const wchar_t* button;  // for kClick, or the button clicked after a key that does nothing
  int expected;
};

struct DialogCase {
  const wchar_t* caption;
  int dlgType;
  uint16_t buttons;
  int defaultButton;
  std::vector<Answer> answers;
};

TEST(MsgDialog, AnswersByKeysRightClickAndButtons) {
  const std::vector<DialogCase> cases = {
      {L"Da sau Nu",
       kConfirmation,
       3,
       mbNo,
       {{"enter", Answer::kKey, VK_RETURN, nullptr, mrNo},
        {"esc does nothing", Answer::kKey, VK_ESCAPE, L"BtnDa", mrYes},
        {"right-click", Answer::kRightClick, 0, nullptr, mrNo},
        {"click Da", Answer::kClick, 0, L"BtnDa", mrYes},
        {"click Nu", Answer::kClick, 0, L"BtnNu", mrNo}}},
      {L"Doar OK",
       kInformation,
       4,
       mbOK,
       {{"enter", Answer::kKey, VK_RETURN, nullptr, mrOk},
        {"esc", Answer::kKey, VK_ESCAPE, nullptr, mrOk},
        {"right-click", Answer::kRightClick, 0, nullptr, mrOk},
        {"click OK", Answer::kClick, 0, L"BtnOK", mrOk}}},
      {L"Doar Renunt",
       kWarning,
       8,
       mbCancel,
       {{"enter", Answer::kKey, VK_RETURN, nullptr, mrCancel},
        {"esc does nothing", Answer::kKey, VK_ESCAPE, L"BtnRenunt", mrCancel},
        {"right-click", Answer::kRightClick, 0, nullptr, mrCancel},
        {"click Renunt", Answer::kClick, 0, L"BtnRenunt", mrCancel}}},
      {L"OK si Renunt",
       kError,
       12,
       mbOK,
       {{"enter", Answer::kKey, VK_RETURN, nullptr, mrOk},
        {"esc does nothing", Answer::kKey, VK_ESCAPE, L"BtnRenunt", mrCancel},
        {"right-click", Answer::kRightClick, 0, nullptr, mrOk},
        {"click OK", Answer::kClick, 0, L"BtnOK", mrOk},
        {"click Renunt", Answer::kClick, 0, L"BtnRenunt", mrCancel}}},
  };
  for (const DialogCase& c : cases) {
    for (const Answer& a : c.answers) {
      SCOPED_TRACE(testing::Narrow(c.caption) + ": " + a.what);
      bool stillOpenAfterKey = true;
      UserScript user([&] {
        TMessageForm* form = WaitForDialog(c.caption);
        ASSERT_NE(nullptr, form);
        ::Sleep(100);
        switch (a.kind) {
          case Answer::kKey:
            PressKey(a.key);
            if (a.button) {
              ::Sleep(300);
              stillOpenAfterKey = ::IsWindowVisible(form->HandleIfAllocated()) != FALSE;
              ClickControl(*Child(form, a.button));
            }
            break;
          case Answer::kRightClick:
            ClickControl(*Child(form, L"Panel"), true);
            break;
          case Answer::kClick:
            ClickControl(*Child(form, a.button));
            break;
        }
      });
      EXPECT_EQ(a.expected,
                ShowMsgDialog(L"Intrebare de test\rpe doua randuri", c.caption, c.dlgType,
                              TAlignment::taCenter, c.buttons, c.defaultButton));
      EXPECT_TRUE(stillOpenAfterKey);
    }
  }
}

// Puts the automatic switches back to off.
struct ResetSwitches {
  ~ResetSwitches() {
    AutoCloseMessages = 0;
    AutoAnswerMessages = false;
  }
};

// The automatic timers run on the main window.
class MainWindowScope {
 public:
  MainWindowScope() {
    main_ = CreateForm<TMForm>(L"Main");
    main_->SetBorderStyle(TBorderStyle::bsNone);
    main_->SetBounds(0, 0, 50, 50);
    main_->Show();
    Application().SetMainForm(main_.get());
  }
  ~MainWindowScope() { Application().SetMainForm(nullptr); }

 private:
  ResetSwitches reset_;
  std::unique_ptr<TMForm> main_;
};

TEST(MsgDialog, ClosesByItselfAfterAboutSixHundredMilliseconds) {
  MainWindowScope main;
  AutoCloseMessages = 1;
  DWORD start = ::GetTickCount();
  int result = ShowMsgDialog(L"Se inchide singur", L"Automat", kInformation, TAlignment::taCenter,
                             MsgDlgMask(mbOK), mbOK);
  DWORD elapsed = ::GetTickCount() - start;
  EXPECT_EQ(mrCancel, result);
  EXPECT_GE(elapsed, 450u);
  EXPECT_LE(elapsed, 3000u);
  EXPECT_EQ(nullptr, CurrentAutoMessage());
}

TEST(MsgDialog, ThreeClicksOnTheIconSwitchAutomaticClosing) {
  // Without a main window no timer runs, so the switches can be clicked at any pace; the
  // timers themselves are tested with a main window.
  ResetSwitches reset;
  auto threeClicks = [](const wchar_t* caption) {
    TMessageForm* form = WaitForDialog(caption);
    ASSERT_NE(nullptr, form);
    for (int i = 0; i < 3; ++i) {
      ClickControl(*form->Image);
      ::Sleep(60);
    }
  };
  {
    UserScript user([&] { threeClicks(L"Comutator"); });
    EXPECT_EQ(mrIgnore, ShowMsgDialog(L"Trei clicuri", L"Comutator", kWarning, TAlignment::taCenter,
                                      MsgDlgMask(mbOK), mbOK));
  }
  EXPECT_EQ(1, AutoCloseMessages);
  {
    UserScript user([&] { threeClicks(L"Comutator"); });
    EXPECT_EQ(mrIgnore, ShowMsgDialog(L"Trei clicuri", L"Comutator", kWarning, TAlignment::taCenter,
                                      MsgDlgMask(mbOK), mbOK));
  }
  EXPECT_EQ(0, AutoCloseMessages);

  // With two buttons the clicks switch automatic answers and give the default answer.
  {
    UserScript user([&] { threeClicks(L"Raspuns"); });
    EXPECT_EQ(mrNo, ShowMsgDialog(L"Trei clicuri", L"Raspuns", kConfirmation, TAlignment::taCenter,
                                  3, mbNo));
  }
  EXPECT_TRUE(AutoAnswerMessages);
  // Now a dialog answers itself with its default button.
  MainWindowScope main;
  EXPECT_EQ(mrYes,
            ShowMsgDialog(L"Singur", L"Raspuns", kConfirmation, TAlignment::taCenter, 3, mbYes));
}

TEST(MsgDialog, HeadingInCapitalsCommaAndEmptyLine) {
  MessageHeading = L"Pentru continuare";
  std::wstring shown;
  int labelHeight = 0;
  UserScript user([&] {
    TMessageForm* form = WaitForDialog(L"Disc");
    ASSERT_NE(nullptr, form);
    TControl* label = Child(form, L"Message");
    ASSERT_NE(nullptr, label);
    shown = label->Caption();
    labelHeight = label->Height();
    Shoot(L"Disc", L"msg_dialog_heading.png");
    PressKey(VK_RETURN);
  });
  ShowMsgDialog(L"Introduceti discul 2 in unitatea A:", L"Disc", kInformation, TAlignment::taCenter,
                MsgDlgMask(mbOK), mbOK);
  MessageHeading.clear();
  EXPECT_EQ(L"PENTRU CONTINUARE,\r\rIntroduceti discul 2 in unitatea A:", shown);
  EXPECT_GE(labelHeight, 3 * 13);  // three lines of the bold 8-point font
}

TEST(MsgDialog, ALineWiderThanHalfTheScreenWrapsInsideThePanel) {
  std::wstring line;
  for (int i = 0; i < 30; ++i)
    line += L"cuvant" + std::to_wstring(i) + L" ";
  bool inside = false;
  int labelHeight = 0;
  UserScript user([&] {
    TMessageForm* form = WaitForDialog(L"Rand lung");
    ASSERT_NE(nullptr, form);
    TControl* label = Child(form, L"Message");
    TControl* panel = Child(form, L"Panel");
    inside = label->Left() + label->Width() <= panel->Width();
    labelHeight = label->Height();
    Shoot(L"Rand lung", L"msg_dialog_long_line.png");
    PressKey(VK_RETURN);
  });
  ShowMsgDialog(line, L"Rand lung", kWarning, TAlignment::taCenter, MsgDlgMask(mbOK), mbOK);
  EXPECT_TRUE(inside);
  EXPECT_GT(labelHeight, 2 * 13);
}

TEST(MsgDialog, ScreenshotsOfEveryVariant) {
  struct Variant {
    const wchar_t* file;
    const wchar_t* text;
    const wchar_t* caption;
    int dlgType;
    uint16_t buttons;
    int defaultButton;
  } variants[] = {
      {L"msg_dialog_yes_no.png", L"Doriti actualizarea bazei de date\rde pe server?", L"",
       kConfirmation, 3, mbNo},
      {L"msg_dialog_ok.png", L"Instalarea s-a terminat cu succes.", L"", kInformation, 4, mbOK},
      {L"msg_dialog_cancel.png", L"Nu exista spatiu suficient pe discul C:", L"", kError, 8,
       mbCancel},
      {L"msg_dialog_ok_cancel.png", L"Introduceti discul 3\rsi apasati OK.", L"", kWarning, 12,
       mbOK},
      {L"msg_dialog_custom.png", L"Mesaj @9fara$2 icoana\r%umbra% si &12marime", L"Propriu",
       kCustom, 4, mbOK},
  };
  for (const Variant& v : variants) {
    std::wstring caption = *v.caption ? v.caption : DefaultDialogCaption(v.dlgType);
    UserScript user([&] {
      Shoot(caption, v.file);
      PressKey(VK_RETURN);
    });
    ShowMsgDialog(v.text, v.caption, v.dlgType, TAlignment::taCenter, v.buttons, v.defaultButton);
  }
}

}  // namespace
}  // namespace kolvar::toolkit
