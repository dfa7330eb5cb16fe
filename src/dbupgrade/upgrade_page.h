// TUpgData: the database upgrade page. The upgrade library brings the suite's database to the
// new version in three steps the user may leave out; its reports show in one line, and a check
// mark stands beside each step the library calls successful.
#pragma once

#include <windows.h>

#include "pages/wizard_page.h"
#include "toolkit/actives.h"
#include "toolkit/fmt_label.h"
#include "toolkit/std_controls.h"

namespace kolvar::dbupgrade {

using toolkit::TControl;

class TUpgData : public pages::TWizardPage {
 public:
  TUpgData();
  ~TUpgData() override;

  // The report line: the library's latest message.
  toolkit::TLabel* L1 = new toolkit::TLabel(this, L"L1");
  // The check marks of steps 1..3 (hidden until their step runs).
  toolkit::TFmtLabel* Lk1 = MakeMark(L"Lk1", 0);
  toolkit::TFmtLabel* Lk2 = MakeMark(L"Lk2", 1);
  toolkit::TFmtLabel* Lk3 = MakeMark(L"Lk3", 2);
  // The step names; a click toggles the step's box.
  toolkit::TPanel* BStruct = MakeStepPanel(L"BStruct", L"Verificare structuri", 0);
  toolkit::TPanel* BLists = MakeStepPanel(L"BLists", L"Actualizare liste", 1);
  toolkit::TPanel* BConst = MakeStepPanel(L"BConst", L"Actualizare constante", 2);
  // Whether each step runs.
  toolkit::TActiveCheckBox* Ck1 = MakeStepBox(L"Ck1", 0);
  toolkit::TActiveCheckBox* Ck2 = MakeStepBox(L"Ck2", 1);
  toolkit::TActiveCheckBox* Ck3 = MakeStepBox(L"Ck3", 2);
  toolkit::TMButton* BNext = MakeNextButton(toolkit::mrOk);
  toolkit::TMButton* BBack = MakeBackButton();
  toolkit::TNiceButton* BCancel = MakeCancelButton();

  // The quick-verification switch last sent to the library from this page.
  bool QuickV = false;

  // Gives a step's panel the done look and repaints it at once.
  void MarkStepDone(toolkit::TPanel* panel);

 protected:
  void FormCreate() override;
  // Alt+Q switches quick verification (before the common chords are looked at).
  void FormKeyDown(WORD& key, toolkit::TShiftState shift) override;

  void BNextClick(TControl* sender);
  void BStructClick(TControl* sender);
  void BListsClick(TControl* sender);
  void BConstClick(TControl* sender);

 private:
  toolkit::TFmtLabel* MakeMark(const wchar_t* name, int row);
  toolkit::TPanel* MakeStepPanel(const wchar_t* name, const wchar_t* caption, int row);
  toolkit::TActiveCheckBox* MakeStepBox(const wchar_t* name, int row);
  void SetButtonsEnabled(bool enabled);
  // The copy of the database before the first step: false when the user chose to keep the
  // page (no room for the copy, and no to going on without one); `copyFolder` stays empty
  // when the steps run without a copy. Throws Error when the copy failed (none is left).
  bool CopyDatabase(std::wstring& copyFolder);
  // After a step broke off: asks whether to put the copy back and does it, with the library
  // unloaded and the engine's session ended while the files are replaced.
  void OfferRestore(const std::wstring& copyFolder);
};

}  // namespace kolvar::dbupgrade
