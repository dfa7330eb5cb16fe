// Gallery pages of the input controls, the formatted label and the message dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/std_controls.h"

namespace kolvar::gallery {

struct ExtraPage {
  std::wstring name;
  std::function<void(kolvar::toolkit::TPanel*)> build;
};

// The pages, in the order they are shown.
std::vector<ExtraPage> InputControlPages();
// Hides the message dialogs the dialog page shows over itself (windows of their own, which do
// not go with the page); they come back when the page is painted again.
void HideDialogPreviews();

}  // namespace kolvar::gallery
