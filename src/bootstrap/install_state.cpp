#include "bootstrap/install_state.h"

namespace kolvar::bootstrap {

InstallState& State() {
  static InstallState state;
  return state;
}

}  // namespace kolvar::bootstrap
