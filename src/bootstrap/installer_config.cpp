#include "bootstrap/installer_config.h"

#include "bootstrap/install_state.h"
#include "bootstrap/startup_rules.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace kolvar::bootstrap {

int ReadDiskCount(const std::wstring& exeDir) {
  return ProfileInteger(ReadProfileString(JoinPath(exeDir, L"instkolv.cfg"), L"General",
                                          L"NrDiscuri"),
                        kDefaultDiskCount);
}

void ReadInstallerConfig() { State().DiskCount = ReadDiskCount(State().ExeDir); }

}  // namespace kolvar::bootstrap
