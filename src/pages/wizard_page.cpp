#include "pages/wizard_page.h"

#include "bootstrap/main_window.h"

namespace kolvar::pages {

using namespace toolkit;

TWizardPage::TWizardPage(std::wstring name, const std::wstring& caption, bool boldFont)
    : TTitleForm(std::move(name)) {
  SetBorderStyle(TBorderStyle::bsNone);
  KeyPreview = true;
  SetColor(kPageColor);
  Font().Name = L"MS Sans Serif";
  Font().Height = -11;
  Font().Style = boldFont ? unsigned{fsBold} : 0u;
  FontChanged();
  SetClientSize(kPageClientWidth, kPageClientHeight);

  TitleBar1->SetAlign(TAlign::alTop);
  TitleBar1->SetHeight(kTitleHeight);
  TitleBar1->SetStartColor(kTitleColor);
  TitleBar1->SetEndColor(kTitleColor);
  TFont titleFont = TitleBar1->Font();
  titleFont.Name = L"Ms Sans Serif";
  titleFont.Height = -13;
  titleFont.Style = fsBold;
  titleFont.Color = clWhite;
  TitleBar1->SetFont(titleFont);
  SetCaption(caption);
}

void TWizardPage::FormKeyDown(WORD& key, TShiftState shift) {
  if (!(shift & ssAlt) || (shift & ssCtrl))
    return;
  if (key == 'M') {
    key = 0;
    bootstrap::ToggleMainWindow();
    BringToFront();
  } else if (key == 'H' && InstructionsChord) {
    key = 0;
    bootstrap::ShowInstructions(false);
  }
}

TMButton* TWizardPage::MakePageButton(const wchar_t* name,
                                      TMButtonKind kind,
                                      const wchar_t* caption,
                                      int modalResult,
                                      int left) {
  auto* button = new TMButton(this, name);
  button->SetParentColor(true);
  button->SetCaption(caption);
  button->SetKind(kind);
  button->SetModalResult(modalResult);
  button->SetBounds(left, kBackPlace.Top, kBackPlace.Width, kBackPlace.Height);
  return button;
}

TMButton* TWizardPage::MakeBackButton() {
  return MakePageButton(L"BBack", mknPrev, L"&Inapoi", mrRetry, kBackPlace.Left);
}

TMButton* TWizardPage::MakeNextButton(int modalResult, int left) {
  return MakePageButton(L"BNext", mknNext, L"&Continua", modalResult, left);
}

TMButton* TWizardPage::MakeLargeCancelButton(int left) {
  return MakePageButton(L"BCancel", mkCancel, L"&Abandon", mrCancel, left);
}

TNiceButton* TWizardPage::MakeCancelButton() {
  auto* button = new TNiceButton(this, L"BCancel");
  button->SetKind(mkCancel);
  button->SetCaption(L"&Abandon");
  button->SetModalResult(mrCancel);
  button->SetBounds(kCancelPlace);
  return button;
}

}  // namespace kolvar::pages
