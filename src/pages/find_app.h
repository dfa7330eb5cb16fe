// TFindApp: the first page of an upgrade. It derives the data folder and the installation type
// from the "KOLVAR" alias, finds the installed program folder (WIN.INI, then every fixed
// drive), lets the user correct it with the folder picker and commits both folders.
#pragma once

#include <windows.h>

#include <string>

#include "pages/find_app_scan.h"
#include "pages/wizard_page.h"
#include "toolkit/actives.h"
#include "toolkit/fmt_label.h"

namespace kolvar::pages {

class TFindApp : public TWizardPage {
 public:
  TFindApp();

  toolkit::TMButton* BNext = MakeNextButton(toolkit::mrNone);
  toolkit::TMButton* BBack = MakeBackButton();
  toolkit::TNiceButton* BCancel = MakeCancelButton();
  toolkit::TPanel* Panel1 = new toolkit::TPanel(this, L"Panel1");
  toolkit::TActiveLabel* LProgram = new toolkit::TActiveLabel(Panel1, L"LProgram");
  toolkit::TActiveLabel* LDate = new toolkit::TActiveLabel(Panel1, L"LDate");
  toolkit::TFmtLabel* dirlabel = new toolkit::TFmtLabel(Panel1, L"dirlabel");
  toolkit::TActiveEdit* RProgram = new toolkit::TActiveEdit(Panel1, L"RProgram");
  toolkit::TActiveEdit* RDate = new toolkit::TActiveEdit(Panel1, L"RDate");
  toolkit::TMButton* BProgram = new toolkit::TMButton(Panel1, L"BProgram");
  toolkit::TMButton* BDate = new toolkit::TMButton(Panel1, L"BDate");

  // The acceptance test of a program folder: KOLVAR.EXE larger than 6,000,000 bytes in it.
  static bool IsProgramFolder(const std::wstring& folder) { return pages::IsProgramFolder(folder); }
  // One step of the disk scan: `path` (ending with a backslash) and everything below it,
  // showing each folder in the status line. True means stop (found, or stop requested).
  bool SearchFolder(const std::wstring& path);

  // How many folders the last scan entered.
  int FoldersSearched() const { return foldersSearched_; }

 protected:
  void FormCreate() override;

 private:
  void BNextClick(toolkit::TControl* sender);
  void BBackClick(toolkit::TControl* sender);
  void BCancelClick(toolkit::TControl* sender);
  void BProgramClick(toolkit::TControl* sender);
  void LProgramClick(toolkit::TControl* sender) { BProgramClick(sender); }
  // The search, run by the first "&Continua" (never by the window's activation).
  void FormActivate(toolkit::TControl* sender);
  // The WIN.INI entries; empty when neither names an installed program.
  std::wstring ProgramDirFromProfile() const;
  // Every fixed drive; empty when nothing is found or the user stopped the scan.
  std::wstring ScanDisks();

  // The status line and the pending window messages, once per folder.
  void Searching(const std::wstring& folder);

  // The scan's view of the page. A member rather than a second base: the page's classes keep
  // single inheritance, so their type checks need no multiple-base support from the run time.
  class Observer final : public ScanObserver {
   public:
    explicit Observer(TFindApp& page) : page_(page) {}
    void Searching(const std::wstring& folder) override { page_.Searching(folder); }
    bool StopRequested() override { return page_.AskToStop; }

   private:
    TFindApp& page_;
  };
  Observer observer_{*this};

  bool Activated = false;
  bool AskToStop = false;
  bool CanContinue = false;
  // While the search runs, the buttons that would start it again or commit are ignored.
  bool searching_ = false;
  // When the status line last showed a folder (GetTickCount), once it has shown one.
  static constexpr DWORD kStatusInterval = 30;
  bool statusShown_ = false;
  int foldersSearched_ = 0;
  DWORD lastStatus_ = 0;
};

}  // namespace kolvar::pages
