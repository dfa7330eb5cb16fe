#include "bootstrap/main_window.h"

namespace kolvar::bootstrap {

// Until the viewer exists there is nothing to create or show.
void CreateInstructionsViewer() {}
void DestroyInstructionsViewer() {}
void ShowInstructions(bool) {}

}  // namespace kolvar::bootstrap
