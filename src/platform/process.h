// Starting other programs.
#pragma once

#include <windows.h>

#include <string>

namespace kolvar {

// Starts `commandLine` (parsed by the system; no separate application name) in a new console,
// normal priority, with the caller's environment and current folder, shown with `showCommand`.
// With `wait`, blocks until the program ends and returns its exit code; without, returns 0
// at once. Returns -1 when the program cannot be started. Handles are always released.
int RunProgram(const std::wstring& commandLine, WORD showCommand, bool wait);

}  // namespace kolvar
