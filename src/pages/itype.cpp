#include "pages/itype.h"

#include "bootstrap/install_state.h"

namespace kolvar::pages {

using namespace toolkit;

TIType::TIType() : TWizardPage(L"TIType", L"Alegeti tipul instalarii!", true) {
  Panel1->SetBevelOuter(TBevelCut::bvNone);
  Panel1->SetParentColor(true);
  Panel1->SetCaption(L"");
  Panel1->SetBounds(191, 37, 413, 67);
  IType->SetParentColor(true);
  IType->SetBounds(11, 10, 396, 52);
  IType->SetItems({
      L" &LOCAL     - programul va fi folosit numai pe acest calculator",
      L" &SERVER  - acest calculator va contine baza de date",
      L" CLIEN&T    - programul va folosi o baza de date aflata la distanta",
  });
  IType->OnModify = [this](TControl* sender, bool& can) { ITypeModify(sender, can); };
  BNext->OnClick = Bind(this, &TIType::BNextClick);
}

void TIType::FormCreate() {
  auto& state = bootstrap::State();
  state.PageIndex = 0;
  BNext->SetEnabled(state.InstallType != bootstrap::kTypeNone);
  IType->SetItemIndex(static_cast<int>(state.InstallType) - 1);
  SetActiveControl(IType->ItemIndex() >= 0 ? static_cast<TWinControl*>(BNext) : IType->Button(0));
  FirstTime = true;
}

void TIType::FormShow() {
  if (!FirstTime)
    return;
  BringToFront();
  FirstTime = false;
}

void TIType::ITypeModify(TControl*, bool& CanModify) {
  CanModify = true;
  BNext->SetEnabled(true);
}

void TIType::BNextClick(TControl*) {
  bootstrap::State().InstallType = static_cast<uint8_t>(IType->ItemIndex() + 1);
}

}  // namespace kolvar::pages
