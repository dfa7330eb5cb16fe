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

// Starts `commandLine` as RunProgram does and waits, up to `idleWaitMs`, until the program has
// started up (it waits for user input; a program without windows is not waited for). False
// when it cannot be started.
bool StartProgramUntilIdle(const std::wstring& commandLine, WORD showCommand, DWORD idleWaitMs);

}  // namespace kolvar
