#include "bootstrap/main_window.h"

namespace kolvar::bootstrap {

// Until the viewer exists there is nothing to show.
void ShowInstructions(bool) {}

}  // namespace kolvar::bootstrap
