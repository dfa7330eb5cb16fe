#include "pages/end_screen.h"

#include "bootstrap/install_state.h"
#include "pages/default_user.h"
#include "pages/page_memo.h"
#include "pages/pure/end_picture.h"
#include "toolkit/pure/palette.h"

namespace kolvar::pages {

using namespace toolkit;

TEndScreen::TEndScreen() : TWizardPage(L"TEndScreen", L"Finalizare", true) {
  InstructionsChord = true;
  Image1->SetBounds(496, 32, kEndPictureWidth, kEndPictureHeight);
  Image1->Transparent = true;
  Image1->SetEnabled(false);

  auto* memo = new TNoteMemo<TActiveMemo>(this, L"Memo1", true);
  Memo1 = memo;
  Memo1->SetBounds(179, 38, 298, 70);
  Memo1->SetColor(clGrid);
  Memo1->SetTabStop(false);
  Memo1->SetLines({
      L"",
      L"Instalarea s-a terminat cu succes!",
      L"",
      std::wstring(L"Utilizator implicit:  \"") + kDefaultUserName + L"\", ",
      std::wstring(L"cu parola de acces ") + kDefaultUserPassword,
  });
  SetActiveControl(BCancel);
}

void TEndScreen::FormCreate() {
  bootstrap::State().PageIndex = 4;
  // The picture is made at its designed size; the picture control scales it to the screen.
  Image1->SetPicture(std::make_shared<TBitmap>(
      kEndPictureWidth, kEndPictureHeight, EndPicturePixels(kEndPictureWidth, kEndPictureHeight)));
}

}  // namespace kolvar::pages
