// The built-in design presets, as the values in which they differ from a kind's fallbacks.
// Used by design.cpp, which writes each preset out as a settings text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/pure/design.h"

namespace kolvar::toolkit {

struct DesignOverride {
  DesignValue value;
  int32_t number;
};

struct DesignPreset {
  int baseKind;  // whose fallbacks fill the values not overridden
  const DesignOverride* overrides;
  size_t count;
};

// Presets 3..10 are the eight fixed ones; any other number gives the default preset, in its
// kind-1 variant for kind 1 and its other variant for every other kind.
DesignPreset BuiltInPreset(int designNumber, int kind);

}  // namespace kolvar::toolkit
