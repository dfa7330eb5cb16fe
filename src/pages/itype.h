// The install type page: LOCAL, SERVER or CLIENT. Wizard position 0.
#pragma once

#include "pages/wizard_page.h"
#include "toolkit/actives.h"

namespace kolvar::pages {

class TIType : public TWizardPage {
 public:
  TIType();

  toolkit::TMButton* BCancel = MakeLargeCancelButton(17);
  toolkit::TPanel* Panel1 = new toolkit::TPanel(this, L"Panel1");
  toolkit::TMRadioGroup* IType = new toolkit::TMRadioGroup(Panel1, L"IType");
  toolkit::TMButton* BNext = MakeNextButton(toolkit::mrOk, 84);

 protected:
  // Shows the stored type (none selected and "&Continua" disabled before the first choice).
  void FormCreate() override;
  // On the first show only: brings the page to the front.
  void FormShow() override;

 private:
  // Any choice is allowed and enables "&Continua".
  void ITypeModify(toolkit::TControl* sender, bool& CanModify);
  // Stores the chosen type; the button's result then closes the page with 1.
  void BNextClick(toolkit::TControl* sender);

  bool FirstTime = true;
};

}  // namespace kolvar::pages
