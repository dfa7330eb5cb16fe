// The release instructions in a test: a program folder that holds them, and whether the user
// sees the viewer. Header only; for test programs that link the bootstrap, kolvar_shots and
// tests/win/toolkit/ui_driver.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "bootstrap/edit_info.h"
#include "bootstrap/install_state.h"
#include "sight.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::testing {

// A program folder, made the installation's ProgramDir, holding this version's unread
// instructions, titled "Noutati".
class InstructionsFolder {
 public:
  InstructionsFolder() {
    bootstrap::State().ProgramDir = folder_.path();
    WriteFile(folder_ / L"VerInfo\\3200879.02\\Instruct.htm",
              "<html><head><title>Noutati</title></head><body>Versiune noua</body></html>");
  }
  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_{L"program"};
};

// Whether the user sees the viewer, after a moment for the screen to settle: most of it answers
// the hit tests, and the screen shows its title strip's colour (the hit tests follow the
// system's own order of windows, which under Wine the display does not always keep). When not,
// `why` says which failed.
inline bool InstructionsInSight(bootstrap::TEditInfo& viewer, std::string* why = nullptr) {
  ::Sleep(400);
  shots::Sight sight = shots::LookAt(viewer.HandleIfAllocated());
  if (!sight.InSight()) {
    if (why)
      *why = "the instructions " + Narrow(shots::DescribeSight(sight));
    return false;
  }
  const toolkit::TTitleBar& bar = *viewer.TitleBar1;
  POINT origin{bar.Left(), bar.Top()};
  ::ClientToScreen(viewer.HandleIfAllocated(), &origin);
  // The right half of the strip, clear of the caption's letters.
  RECT half{origin.x + bar.Width() / 2, origin.y + 2, origin.x + bar.Width() - 4,
            origin.y + bar.Height() - 2};
  Shot shot = CaptureScreen(half);
  int same = 0;
  for (uint32_t pixel : shot.pixels)
    same += pixel == static_cast<uint32_t>(bar.StartColor());
  if (same * 2 > static_cast<int>(shot.pixels.size()))
    return true;
  if (why)
    *why = "the screen does not show the instructions";
  return false;
}

}  // namespace kolvar::testing
