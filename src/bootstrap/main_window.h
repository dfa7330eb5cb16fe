// What the background window offers the pages and the instructions viewer.
#pragma once

namespace kolvar::bootstrap {

// Hides the background window when it is visible, shows it otherwise. Does nothing while no
// background window exists (a page shown alone by a test).
void ToggleMainWindow();

// Where the background window and its logo panel are, in screen pixels.
struct MainWindowPlace {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int PanouTop = 0, PanouHeight = 0;  // the logo panel's top and height in the window
};
// False (and `place` untouched) while no background window exists.
bool GetMainWindowPlace(MainWindowPlace& place);

// The instructions viewer lives exactly as long as the background window: the background
// window creates it (hidden) when it is created and destroys it when it is destroyed.
void CreateInstructionsViewer();
void DestroyInstructionsViewer();

// Shows the release instructions of the installed version beside the background window, without
// making them modal; when the viewer is already visible it is only moved, sized and raised.
// `aIsAuto` true shows only an unread document. Does nothing when there is no document or no
// viewer.
void ShowInstructions(bool aIsAuto);

}  // namespace kolvar::bootstrap
