// Ending a form's modal loop from a test's script thread.
#pragma once

#include <windows.h>

#include "toolkit/form.h"

namespace kolvar::toolkit {

// Sets the form's modal result to Cancel and wakes its loop so that ShowModal returns.
inline void EndModal(TMForm& form) {
  form.SetModalResult(mrCancel);
  ::PostMessageW(form.HandleIfAllocated(), WM_NULL, 0, 0);
}

}  // namespace kolvar::toolkit
