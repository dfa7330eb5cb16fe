// The shape every wizard page shares: a frameless title-bar form of 637 × 114 client pixels in
// the page colour, its title strip, the three page buttons at their places and the chords
// every page answers.
//
// A page derives from TWizardPage and declares its controls as members, buttons through the
// helpers so that they come out alike on every page:
//   class TEndScreen : public TWizardPage {
//    public:
//     TEndScreen() : TWizardPage(L"TEndScreen", L"Finalizare", /*boldFont=*/true) {
//       InstructionsChord = true;
//     }
//     TMButton* BBack = MakeBackButton();
//     ...
//   };
// A page with chords of its own overrides FormKeyDown, handles them (clearing `key`) and then
// calls TWizardPage::FormKeyDown for the common ones.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/buttons.h"
#include "toolkit/title_bar.h"

namespace kolvar::pages {

using toolkit::TShiftState;

// Colours and sizes of the page shape, at 96 dots per inch.
constexpr toolkit::TColor kPageColor = 11642264;  // RGB 152, 165, 177
constexpr toolkit::TColor kTitleColor = 7891292;  // RGB 92, 105, 120
constexpr int kPageClientWidth = 637;
constexpr int kPageClientHeight = 114;
constexpr int kTitleHeight = 25;

// Places of the page buttons (left, top, width, height).
constexpr toolkit::TRect kBackPlace{15, 52, 67, 51};
constexpr toolkit::TRect kNextPlace{82, 52, 67, 51};
constexpr toolkit::TRect kCancelPlace{504, 63, 109, 28};

class TWizardPage : public toolkit::TTitleForm {
 public:
  // `name` is the page's class name, `caption` the title strip's text; `boldFont` makes the
  // form font (which every control created afterwards starts from) bold.
  TWizardPage(std::wstring name, const std::wstring& caption, bool boldFont);

  toolkit::TTitleBar* TitleBar1 = new toolkit::TTitleBar(this, L"TitleBar1");

 protected:
  // Whether Alt+H shows the release instructions on this page (off unless the page says so).
  bool InstructionsChord = false;

  // Alt+M (without Ctrl): hides or shows the background window and brings the page back to the
  // front. Alt+H: the release instructions, on pages that take that chord. Both keys are used
  // up; any other key goes on unchanged.
  void FormKeyDown(WORD& key, TShiftState shift) override;

  // BBack: "&Inapoi", back (result 4), at its place.
  toolkit::TMButton* MakeBackButton();
  // BNext: "&Continua" with `modalResult` (0 for a page that closes itself after its checks),
  // at `left`, 52.
  toolkit::TMButton* MakeNextButton(int modalResult, int left = kNextPlace.Left);
  // BCancel as the compact button: "&Abandon", quit (result 2), at its place.
  toolkit::TNiceButton* MakeCancelButton();
  // BCancel as a large page button at `left`, 52, 67 × 51.
  toolkit::TMButton* MakeLargeCancelButton(int left);
  // A large page button named `name` at `left`, 52, 67 × 51, glyph above the caption.
  toolkit::TMButton* MakePageButton(const wchar_t* name,
                                    toolkit::TMButtonKind kind,
                                    const wchar_t* caption,
                                    int modalResult,
                                    int left);
};

}  // namespace kolvar::pages
