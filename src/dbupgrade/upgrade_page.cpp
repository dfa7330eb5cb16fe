#include "dbupgrade/upgrade_page.h"

#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "dbupgrade/upgrade_report.h"
#include "pages/task_line.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/text.h"

namespace kolvar::dbupgrade {

using namespace toolkit;

namespace {

// Rows of the three steps: mark, panel, box side by side. The mark sits in the gap between the
// Continue button (which ends at 149) and the panel: a windowed neighbour would hide part of it.
constexpr int kRowTop = 48;
constexpr int kRowHeight = 18;
constexpr int kMarkLeft = 150;
constexpr int kMarkWidth = 15;
constexpr int kPanelLeft = 165;
constexpr int kPanelWidth = 308;
constexpr int kBoxLeft = 478;
constexpr int kBoxWidth = 22;  // the whole cell of the check mark picture

}  // namespace

TUpgData::TUpgData() : TWizardPage(L"TUpgData", L"Actualizare baza de date", false) {
  InstructionsChord = true;
  L1->SetAutoSize(false);
  L1->SetBounds(kPanelLeft, 30, kPanelWidth, 16);
  L1->SetCaption(L"Asteapta...");
  L1->SetTransparent(true);
  // The library's texts are shown as they come, an ampersand included.
  L1->ShowAccelChar = false;
  BStruct->OnClick = Bind(this, &TUpgData::BStructClick);
  BLists->OnClick = Bind(this, &TUpgData::BListsClick);
  BConst->OnClick = Bind(this, &TUpgData::BConstClick);
  BNext->OnClick = Bind(this, &TUpgData::BNextClick);
}

TUpgData::~TUpgData() {
  if (ReportLabel() == L1)
    SetReportLabel(nullptr);
}

TFmtLabel* TUpgData::MakeMark(const wchar_t* name, int row) {
  auto* mark = new TFmtLabel(this, name);
  mark->Font().Name = L"Wingdings";
  mark->Font().Charset = SYMBOL_CHARSET;
  mark->Font().Height = -16;
  mark->Font().Style = fsBold;
  mark->Font().Color = clRed;
  mark->FontChanged();
  mark->SetTransparent(true);
  mark->SetCaption(L"%\u00FC");
  // Room for the mark and its shadow, whatever the label measured before it had a window.
  mark->SetAutoSize(false);
  mark->SetBounds(kMarkLeft, kRowTop + row * kRowHeight - 1, kMarkWidth, kRowHeight);
  mark->SetVisible(false);
  return mark;
}

TPanel* TUpgData::MakeStepPanel(const wchar_t* name, const wchar_t* caption, int row) {
  auto* panel = new TPanel(this, name);
  panel->SetBounds(kPanelLeft, kRowTop + row * kRowHeight, kPanelWidth, kRowHeight);
  panel->SetParentColor(true);
  panel->SetCaption(caption);
  // A windowed panel gets no click from the toolkit: a left button released over it is one.
  panel->OnMouseUp = [panel](TControl*, TMouseButton button, TShiftState, int x, int y) {
    if (button == TMouseButton::mbLeft && x >= 0 && y >= 0 && x < panel->Width() &&
        y < panel->Height())
      panel->Click();
  };
  return panel;
}

TActiveCheckBox* TUpgData::MakeStepBox(const wchar_t* name, int row) {
  auto* box = new TActiveCheckBox(this, name);
  box->SetBounds(kBoxLeft, kRowTop + row * kRowHeight, kBoxWidth, kRowHeight);
  box->SetParentColor(true);
  box->Font().Color = clRed;
  box->FontChanged();
  box->SetChecked(true);
  return box;
}

void TUpgData::FormCreate() {
  bootstrap::State().PageIndex = 8;
  for (TPanel* panel : {BStruct, BLists, BConst})
    pages::SetTaskLinePending(panel);
  SetReportLabel(L1);
}

void TUpgData::MarkStepDone(TPanel* panel) {
  pages::SetTaskLineDone(panel);
}

void TUpgData::SetButtonsEnabled(bool enabled) {
  BBack->SetEnabled(enabled);
  BNext->SetEnabled(enabled);
  BCancel->SetEnabled(enabled);
}

void TUpgData::BNextClick(TControl*) {
  bootstrap::UpgradeLibrary& library = bootstrap::BoundUpgradeLibrary();
  SetModalResult(mrOk);
  L1->Show();
  L1->Repaint();
  SetButtonsEnabled(false);
  struct Step {
    TActiveCheckBox* box;
    TFmtLabel* mark;
    TPanel* panel;
    bootstrap::UpgradeStepProc call;
    const wchar_t* name;
  } steps[] = {
      {Ck1, Lk1, BStruct, library.DoStructureUpgrade, L"DoStructureUpgrade"},
      {Ck2, Lk2, BLists, library.DoListUpgrade, L"DoListUpgrade"},
      {Ck3, Lk3, BConst, library.DoConstUpgrade, L"DoConstUpgrade"},
  };
  TFmtLabel* running = nullptr;
  try {
    CallGuarded(L"SetReportProc", [&] { library.SetReportProc(&UpgradeReport); });
    for (const Step& step : steps) {
      std::wstring event = L"database step " + std::wstring(step.name);
      // A box cleared while an earlier step reported leaves its step out.
      if (!step.box->Checked()) {
        LogEvent(event + L": left out");
        continue;
      }
      LogEvent(event + L": started");
      uint32_t started = LogClock();
      running = step.mark;
      step.mark->Show();
      if (step.mark != Lk1) {
        L1->Font().Color = clRed;
        L1->FontChanged();
      }
      // The step itself runs without the message loop: the mark and the report line are
      // drawn now, not when the step's first report arrives.
      step.mark->Repaint();
      L1->Repaint();
      CallGuarded(step.name, [&] { step.call(); });
      bool ok = bootstrap::StepEndedWell(
          CallGuarded(L"GetSemaforOK", [&] { return library.GetSemaforOK(); }));
      if (!ok)
        step.mark->Hide();
      LogEvent(event + (ok ? L": succeeded after " : L": failed after ") +
               DecimalText(LogClock() - started) + L" ms");
      MarkStepDone(step.panel);
    }
    running = nullptr;
  } catch (...) {
    // A step that broke off is no success: the page stays open for another try, Back or
    // Abandon, and the general error report tells what happened.
    if (running)
      running->Hide();
    LogEvent(L"database upgrade broken off by an error");
    SetModalResult(mrNone);
    SetButtonsEnabled(true);
    throw;
  }
  L1->Hide();
  L1->Repaint();
  SetModalResult(mrOk);
}

void TUpgData::BStructClick(TControl*) {
  Ck1->SetChecked(!Ck1->Checked());
}

void TUpgData::BListsClick(TControl*) {
  Ck2->SetChecked(!Ck2->Checked());
}

void TUpgData::BConstClick(TControl*) {
  Ck3->SetChecked(!Ck3->Checked());
}

void TUpgData::FormKeyDown(WORD& key, TShiftState shift) {
  if (key == 'Q' && (shift & ssAlt)) {
    key = 0;
    QuickV = !QuickV;
    bool quick = QuickV;
    CallGuarded(L"SetQuickVerif",
                [&] { bootstrap::BoundUpgradeLibrary().SetQuickVerif(quick ? TRUE : FALSE); });
    L1->Font().Color = QuickV ? clRed : clBlack;
    L1->FontChanged();
    return;
  }
  TWizardPage::FormKeyDown(key, shift);
}

}  // namespace kolvar::dbupgrade
