// What the background window offers the pages: the Alt+M toggle and the release instructions.
#pragma once

namespace kolvar::bootstrap {

// Hides the background window when it is visible, shows it otherwise. Does nothing while no
// background window exists (a page shown alone by a test).
void ToggleMainWindow();

// Shows the release instructions of the installed version beside the background window, without
// making them modal; when the viewer is already visible it is only moved, sized and raised.
// `aIsAuto` true shows only an unread document. Does nothing when there is no document or no
// background window.
void ShowInstructions(bool aIsAuto);

}  // namespace kolvar::bootstrap
