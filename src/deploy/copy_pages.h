// The two copy pages: TCopy puts a new installation on the disk, TUpgCopy refreshes an
// installed one. Both join the archives from the media and unpack them with two gauges; the
// work itself is CopyRun's.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "deploy/copy_run.h"
#include "deploy/win_files.h"
#include "pages/wizard_page.h"
#include "toolkit/std_controls.h"

namespace kolvar::deploy {

// CopySystem over Windows: the current folder, the registry under HKEY_LOCAL_MACHINE, the
// release instructions and the toolkit's message dialog.
class WinCopySystem : public CopySystem {
 public:
  // Throws SystemError naming the folder.
  void SetCurrentFolder(const std::wstring& folder) override;
  FileSystem& Files() override { return files_; }
  // Throws SystemError "Nu pot deschide arhiva <archive>: <system text>".
  std::unique_ptr<ByteSource> OpenArchive(const std::wstring& archive) override;
  OemDecoder Oem() override;
  EngineRegistration ReadEngineRegistration() override;
  std::optional<std::wstring> ProgramFilesDir() override;
  void CreateFolder(const std::wstring& path) override;
  void ShowInstructions() override;
  void ShowOldEngineWarning(const std::wstring& text) override;

 private:
  WinFileSystem files_;
};

// The form both copy pages share: title, status line, the two gauges and the three buttons.
class TCopyForm : public pages::TWizardPage {
 public:
  toolkit::TLabel* LGroupName = new toolkit::TLabel(this, L"LGroupName");
  toolkit::TPanel* Panel1 = new toolkit::TPanel(this, L"Panel1");
  toolkit::TLabel* Label1 = new toolkit::TLabel(Panel1, L"Label1");
  toolkit::TGauge* CopyProgress = new toolkit::TGauge(Panel1, L"CopyProgress");
  toolkit::TLabel* Label2 = new toolkit::TLabel(Panel1, L"Label2");
  toolkit::TGauge* UnzipProgress = new toolkit::TGauge(Panel1, L"UnzipProgress");
  toolkit::TMButton* BBack = MakeBackButton();
  // No modal result: the page closes itself when the run went to its end, and stays open
  // after a failure.
  toolkit::TMButton* BNext = MakeNextButton(0);
  toolkit::TNiceButton* BCancel = MakeCancelButton();

  // The extraction counters of the archive being unpacked.
  UnzipCounter Counter;

  // Lets a test run the page over a system of its own (null: the real one).
  static std::function<std::unique_ptr<CopySystem>()> SystemForTests;

 protected:
  TCopyForm(const wchar_t* name,
            const wchar_t* caption,
            CopyKind kind,
            int pageIndex,
            int& partCounter);
  void FormCreate() override;
  // Disables the buttons, runs the assembly and the extraction and closes the page with 1
  // (or 2 after a cancelled disk prompt). A failure is reported by the general error report
  // and leaves the page open with its buttons enabled: Continue then starts again.
  void BNextClick(toolkit::TControl* sender);

 private:
  void EnableButtons(bool enabled);

  CopyKind kind_;
  int pageIndex_;
  int& partCounter_;
};

// The new-installation copy page, wizard position 2.
class TCopy : public TCopyForm {
 public:
  TCopy();
  // The part counter of this page's assembly runs.
  static int PartCounter;
};

// The upgrade copy page, wizard position 7.
class TUpgCopy : public TCopyForm {
 public:
  TUpgCopy();
  static int PartCounter;
};

}  // namespace kolvar::deploy
