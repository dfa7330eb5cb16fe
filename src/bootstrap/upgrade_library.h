// Binding UPGRADE.DLL, the external database upgrade library, at run time.
#pragma once

#include <string>

#include "bootstrap/upgrade_api.h"
#include "platform/library.h"

namespace kolvar::bootstrap {

inline constexpr wchar_t kUpgradeLibraryName[] = L"UPGRADE.DLL";
// Longest full library path that is loaded.
inline constexpr size_t kMaxUpgradeLibraryPath = 254;

// The bound library and its eight entry points (all null until Bind succeeds).
class UpgradeLibrary {
 public:
  // Loads `folder`\UPGRADE.DLL and resolves the entry points by name. False, with nothing
  // held, when the full path is longer than kMaxUpgradeLibraryPath, the library cannot be
  // loaded, or it lacks one of the seven entry points the installer calls (CheckExclusive
  // may be missing). Binding again first releases the library held.
  bool Bind(const std::wstring& folder);
  // Releases the library; the entry points are null afterwards.
  void Release() noexcept;
  bool bound() const noexcept { return library_.loaded(); }
  // The folder of the last Bind, for binding the same library again after a release.
  const std::wstring& folder() const noexcept { return folder_; }

  GetAliasPathProc GetAliasPath = nullptr;
  CheckExclusiveProc CheckExclusive = nullptr;
  UpgradeStepProc DoStructureUpgrade = nullptr;
  UpgradeStepProc DoListUpgrade = nullptr;
  SetReportProcProc SetReportProc = nullptr;
  UpgradeStepProc DoConstUpgrade = nullptr;
  SetQuickVerifProc SetQuickVerif = nullptr;
  GetSemaforOKProc GetSemaforOK = nullptr;

 private:
  Library library_;
  std::wstring folder_;
};

// The process-wide binding, used by the pages.
UpgradeLibrary& BoundUpgradeLibrary();
// Binds UPGRADE.DLL from State().ExeDir into BoundUpgradeLibrary(); the first success arranges
// its release at program exit (before the engine stops).
bool BindUpgradeLibrary();

// `folder` and UPGRADE.DLL joined by exactly one backslash.
std::wstring UpgradeLibraryPath(const std::wstring& folder);

}  // namespace kolvar::bootstrap
