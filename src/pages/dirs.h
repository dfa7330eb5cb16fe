// The destination folders page: the program folder and, by install type, the data folder.
// Wizard position 1.
#pragma once

#include "pages/wizard_page.h"
#include "toolkit/actives.h"

namespace kolvar::pages {

class TDirs : public TWizardPage {
 public:
  TDirs();

  toolkit::TPanel* Panel1 = new toolkit::TPanel(this, L"Panel1");
  toolkit::TActiveLabel* LProgram = new toolkit::TActiveLabel(Panel1, L"LProgram");
  toolkit::TActiveEdit* RProgram = new toolkit::TActiveEdit(Panel1, L"RProgram");
  toolkit::TMButton* BProgram = new toolkit::TMButton(Panel1, L"BProgram");
  toolkit::TActiveLabel* LDate = new toolkit::TActiveLabel(Panel1, L"LDate");
  toolkit::TActiveEdit* RDate = new toolkit::TActiveEdit(Panel1, L"RDate");
  toolkit::TMButton* BDate = new toolkit::TMButton(Panel1, L"BDate");
  toolkit::TMemo* netmemo;
  toolkit::TMButton* BNext = MakeNextButton(toolkit::mrNone);
  toolkit::TMButton* BBack = MakeBackButton();
  toolkit::TNiceButton* BCancel = MakeCancelButton();

 protected:
  // Fills the fields from the proposed folders and shows what the install type needs.
  void FormCreate() override;

 private:
  void RDateChange(toolkit::TControl* sender);
  void LProgramClick(toolkit::TControl* sender);
  void LDateClick(toolkit::TControl* sender);
  void BProgramClick(toolkit::TControl* sender);
  void BDateClick(toolkit::TControl* sender);
  // Checks and stores the folders; closes the page with 1 only when every check passed.
  void BNextClick(toolkit::TControl* sender);
  // Opens the folder picker; on O&K puts its answer into `field`.
  void PickInto(toolkit::TActiveEdit* field);
};

}  // namespace kolvar::pages
