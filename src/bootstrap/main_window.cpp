#include "bootstrap/main_window.h"

namespace kolvar::bootstrap {

// Until the background window exists there is nothing to toggle.
void ToggleMainWindow() {}

}  // namespace kolvar::bootstrap
