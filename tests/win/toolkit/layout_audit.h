// Looks over a window built from toolkit controls for what a user would see wrong: a part that
// stands out of its parent, a caption, a text line or a picture that does not fit in its control.
#pragma once

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace kolvar::testing {

// One line per fault found among the visible parts of `root` (whose window is shown), each
// naming the part by its path of names and kinds; empty when everything fits.
std::vector<std::string> AuditLayout(kolvar::toolkit::TWinControl& root);

}  // namespace kolvar::testing
