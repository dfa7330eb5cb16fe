#include "bootstrap/main_window.h"

namespace kolvar::bootstrap {

// Until the background window exists there is nothing to toggle or to measure.
void ToggleMainWindow() {}

bool GetMainWindowPlace(MainWindowPlace&) {
  return false;
}

}  // namespace kolvar::bootstrap
