#include "dbupgrade/upgrade_page.h"

#include "bootstrap/engine_session.h"
#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "dbupgrade/database_copy.h"
#include "dbupgrade/upgrade_report.h"
#include "deploy/copy_run.h"
#include "deploy/win_files.h"
#include "pages/task_line.h"
#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "toolkit/msg_dialog.h"

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
  std::wstring copyFolder;
  try {
    if ((Ck1->Checked() || Ck2->Checked() || Ck3->Checked()) && !CopyDatabase(copyFolder)) {
      SetModalResult(mrNone);
      SetButtonsEnabled(true);
      L1->Hide();
      return;
    }
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
    if (copyFolder.empty())
      throw;
    // The general error report first, then the way back.
    Application().HandleException();
    OfferRestore(copyFolder);
    return;
  }
  L1->Hide();
  L1->Repaint();
  SetModalResult(mrOk);
}

bool TUpgData::CopyDatabase(std::wstring& copyFolder) {
  const std::wstring& dataDir = bootstrap::State().DataDir;
  if (dataDir.empty() || !DirectoryExists(FolderWithoutTrailingBackslash(dataDir)))
    return true;
  deploy::WinFileSystem files;
  std::vector<DatabaseItem> items = ListDatabase(files, dataDir, deploy::ProgramFilesOfThisRun);
  std::optional<deploy::VolumeSpace> space = files.Space(dataDir);
  uint64_t needed = BytesNeeded(items, space ? space->cluster : 4096);
  if (space && needed > space->free) {
    std::wstring text = L"Nu este destul loc pe discul " + space->volume +
                        L" pentru copia bazei de date:\rsunt necesari " +
                        DecimalText(static_cast<long long>(deploy::MegabytesUp(needed))) +
                        L" MB, sunt liberi " +
                        DecimalText(static_cast<long long>(space->free >> 20)) +
                        L" MB.\rContinuati actualizarea fara copie?";
    int answer = ShowMsgDialog(text, L"", mtConfirmation, TAlignment::taCenter,
                               MsgDlgMask(mbYes) | MsgDlgMask(mbNo), mbNo);
    LogEvent(L"database copy: " + DecimalText(static_cast<long long>(needed)) + L" bytes needed, " +
             DecimalText(static_cast<long long>(space->free)) + L" free; " +
             (answer == mrYes ? L"the steps run without a copy" : L"page kept"));
    return answer == mrYes;
  }
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  copyFolder = IncludeTrailingBackslash(dataDir) +
               CopyFolderName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  // A copy is never written over: one made in the same second gets a number.
  std::wstring base = copyFolder;
  for (int n = 2; DirectoryExists(copyFolder); ++n)
    copyFolder = base + L" (" + DecimalText(n) + L")";
  uint32_t started = LogClock();
  int shown = -1;
  CopyResult result;
  try {
    result = dbupgrade::CopyDatabase(files, dataDir, items, copyFolder, [&](int percent) {
      if (percent == shown)
        return;
      shown = percent;
      L1->SetCaption(L"Copie a bazei de date: " + DecimalText(percent) + L"%");
      L1->Repaint();
      Application().ProcessMessages();
    });
  } catch (const Error& error) {
    LogEvent(L"database copy into " + copyFolder + L" failed, nothing ran: " + error.message());
    copyFolder.clear();
    throw;
  }
  LogEvent(L"database copy: " + copyFolder + L", " +
           CountText(static_cast<long long>(result.files), L"file", L"files") + L", " +
           DecimalText(static_cast<long long>(result.bytes)) + L" bytes, " +
           DecimalText(LogClock() - started) + L" ms");
  return true;
}

void TUpgData::OfferRestore(const std::wstring& copyFolder) {
  int answer = ShowMsgDialog(
      L"Actualizarea bazei de date nu s-a terminat.\r"
      L"Puneti inapoi baza de date copiata inainte de actualizare?",
      L"", mtConfirmation, TAlignment::taCenter, MsgDlgMask(mbYes) | MsgDlgMask(mbNo), mbYes);
  if (answer != mrYes) {
    LogEvent(L"database copy kept in " + copyFolder + L", not put back");
    return;
  }
  // The library and the engine may hold the tables open: both let go before the files are
  // replaced, and come back for another try.
  bootstrap::UpgradeLibrary& library = bootstrap::BoundUpgradeLibrary();
  std::wstring libraryFolder = library.folder();
  library.Release();
  bootstrap::StopDatabaseEngine();
  uint32_t started = LogClock();
  deploy::WinFileSystem files;
  std::wstring failure;
  bool whole = RestoreDatabase(files, bootstrap::State().DataDir, copyFolder,
                               deploy::ProgramFilesOfThisRun, failure);
  LogEvent(L"database put back from " + copyFolder + (whole ? L" in " : L" in part, after ") +
           DecimalText(LogClock() - started) + L" ms" + (whole ? L"" : L": " + failure));
  if (!library.Bind(libraryFolder))
    LogEvent(L"UPGRADE.DLL could not be bound again from \"" + libraryFolder + L"\"");
  if (!whole)
    ShowMsgDialog(L"Baza de date nu a putut fi pusa inapoi in intregime:\r" + failure +
                      L"\rCopia se afla in " + copyFolder,
                  L"", mtError, TAlignment::taCenter, MsgDlgMask(mbOK), mbOK);
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
