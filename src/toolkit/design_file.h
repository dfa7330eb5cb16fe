// Design settings read from disk (the product's module windows) and the installer's start-up
// design load.
#pragma once

#include <string>

#include "toolkit/pure/design.h"

namespace kolvar::toolkit {

// The design of module `kind` from the settings file `fileName` in `folder` ("DesignPKC.ini"
// holds section "PKE_DESIGN"; other files "PKE_DESIGN<kind>", see DesignSectionFor). A missing
// or unreadable file gives the kind's fallbacks; never throws.
Design ReadDesignFile(const std::wstring& folder,
                      const std::wstring& fileName,
                      int kind,
                      const std::wstring& moduleName);

// The start-up load: the default preset into the slots of kinds 0 and 1, in memory only.
void LoadStartupDesigns();

}  // namespace kolvar::toolkit
