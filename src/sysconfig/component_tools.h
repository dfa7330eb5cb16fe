// The refresh of the HTML Help and chart components by their own tools in the program folder.
#pragma once

#include <string>

namespace kolvar::sysconfig {

// Runs HelpUpdaterCommand and then ChartRegistrationCommand for `programDir`, each minimised
// and waited for. A tool that is missing or cannot start is passed over without a message;
// exit codes are not read.
void DoConfigConfigSys(const std::wstring& programDir);
// The same for State().ProgramDir.
void DoConfigConfigSys();

}  // namespace kolvar::sysconfig
