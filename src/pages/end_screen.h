// The end page: the installation has finished; the default user and its password. Wizard
// position 4.
#pragma once

#include "pages/wizard_page.h"
#include "toolkit/actives.h"

namespace kolvar::pages {

class TEndScreen : public TWizardPage {
 public:
  TEndScreen();

  toolkit::TImage* Image1 = new toolkit::TImage(this, L"Image1");
  // "I&esire" ends the wizard: the driver takes result 1 at this position as the end.
  toolkit::TMButton* BCancel =
      MakePageButton(L"BCancel", toolkit::mkClose, L"I&esire", toolkit::mrOk, kNextPlace.Left);
  toolkit::TMButton* BBack = MakeBackButton();
  toolkit::TActiveMemo* Memo1;

 protected:
  void FormCreate() override;
};

}  // namespace kolvar::pages
