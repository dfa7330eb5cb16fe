#include "bootstrap/upgrade_library.h"

#include <cstdlib>

#include "bootstrap/install_state.h"
#include "platform/text.h"

namespace kolvar::bootstrap {

std::wstring UpgradeLibraryPath(const std::wstring& folder) {
  return JoinPath(folder, kUpgradeLibraryName);
}

bool UpgradeLibrary::Bind(const std::wstring& folder) {
  Release();
  folder_ = folder;
  std::wstring path = UpgradeLibraryPath(folder);
  if (path.size() > kMaxUpgradeLibraryPath)
    return false;
  UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  Library library(path);
  ::SetErrorMode(oldMode);
  if (!library.loaded())
    return false;
  GetAliasPath = library.Find<GetAliasPathProc>("GetAliasPath");
  CheckExclusive = library.Find<CheckExclusiveProc>("CheckExclusive");
  DoStructureUpgrade = library.Find<UpgradeStepProc>("DoStructureUpgrade");
  DoListUpgrade = library.Find<UpgradeStepProc>("DoListUpgrade");
  SetReportProc = library.Find<SetReportProcProc>("SetReportProc");
  DoConstUpgrade = library.Find<UpgradeStepProc>("DoConstUpgrade");
  SetQuickVerif = library.Find<SetQuickVerifProc>("SetQuickVerif");
  GetSemaforOK = library.Find<GetSemaforOKProc>("GetSemaforOK");
  library_ = std::move(library);
  // A missing entry point would be a call through null later; such a library is unusable.
  if (!GetAliasPath || !DoStructureUpgrade || !DoListUpgrade || !SetReportProc || !DoConstUpgrade ||
      !SetQuickVerif || !GetSemaforOK) {
    Release();
    return false;
  }
  return true;
}

void UpgradeLibrary::Release() noexcept {
  GetAliasPath = nullptr;
  CheckExclusive = nullptr;
  DoStructureUpgrade = DoListUpgrade = DoConstUpgrade = nullptr;
  SetReportProc = nullptr;
  SetQuickVerif = nullptr;
  GetSemaforOK = nullptr;
  library_.Free();
}

UpgradeLibrary& BoundUpgradeLibrary() {
  static UpgradeLibrary library;
  return library;
}

bool BindUpgradeLibrary() {
  UpgradeLibrary& library = BoundUpgradeLibrary();
  if (!library.Bind(State().ExeDir))
    return false;
  static bool registered = false;
  if (!registered)
    registered = std::atexit([] { BoundUpgradeLibrary().Release(); }) == 0;
  return true;
}

}  // namespace kolvar::bootstrap
