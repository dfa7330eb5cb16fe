// The entry points of UPGRADE.DLL, the database upgrade library, shared by the installer and
// the sample library. Calling convention: __stdcall, exported under their plain names.
#pragma once

#include <windows.h>

namespace kolvar::bootstrap {

// Size of the GetAliasPath buffer in UTF-16 code units, the terminating NUL included.
inline constexpr size_t kAliasPathBufferSize = 257;

extern "C" {

// Receives one report text: a global memory block holding NUL-terminated ANSI text. The
// library owns the block; the procedure locks, copies and unlocks it and never frees it.
typedef void(__stdcall* UpgradeReportProc)(HGLOBAL text);

// `buffer` (kAliasPathBufferSize units, zeroed) holds an alias name; the library replaces it
// with that alias's folder, NUL-terminated, at most kAliasPathBufferSize - 1 units.
typedef void(__stdcall* GetAliasPathProc)(wchar_t* buffer);
// Never called by the installer.
typedef BOOL(__stdcall* CheckExclusiveProc)();
// One upgrade step over the suite's database; returns when done.
typedef void(__stdcall* UpgradeStepProc)();
// Where the steps send their report lines.
typedef void(__stdcall* SetReportProcProc)(UpgradeReportProc report);
// Quick verification on (TRUE) or off.
typedef void(__stdcall* SetQuickVerifProc)(BOOL quick);
// Whether the last step ended well, as a one-byte boolean: the library's language returns it
// in the lowest byte of the result register and leaves the other bytes as they happened to be.
// Read it with StepEndedWell.
typedef DWORD(__stdcall* GetSemaforOKProc)();

}  // extern "C"

// The boolean GetSemaforOK returned: its low byte alone.
inline bool StepEndedWell(DWORD result) {
  return (result & 0xFF) != 0;
}

}  // namespace kolvar::bootstrap
