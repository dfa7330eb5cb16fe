#include "sysconfig/component_tools.h"

#include <windows.h>

#include "bootstrap/install_state.h"
#include "platform/process.h"
#include "sysconfig/group_rules.h"

namespace kolvar::sysconfig {

void DoConfigConfigSys(const std::wstring& programDir) {
  RunProgram(HelpUpdaterCommand(programDir), SW_MINIMIZE, true);
  RunProgram(ChartRegistrationCommand(programDir), SW_MINIMIZE, true);
}

void DoConfigConfigSys() {
  DoConfigConfigSys(bootstrap::State().ProgramDir);
}

}  // namespace kolvar::sysconfig
