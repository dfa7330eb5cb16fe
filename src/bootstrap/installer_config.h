// The installer's own configuration, INSTKOLV.CFG beside the executable.
#pragma once

#include <string>

namespace kolvar::bootstrap {

// The disk count from section "General", key "NrDiscuri" of "instkolv.cfg" in `exeDir`
// (leading digits; 0 for none or a negative value; 6 when the file or key is missing).
int ReadDiskCount(const std::wstring& exeDir);

// Sets State().DiskCount from the configuration beside State().ExeDir.
void ReadInstallerConfig();

}  // namespace kolvar::bootstrap
