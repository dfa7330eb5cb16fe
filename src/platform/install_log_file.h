// The installation log's file: INSTKOLV.LOG beside the running program, appended per run.
#pragma once

#include <string>

namespace kolvar {

// Opens `path` for appending (creating it) and starts the process-wide log there, opened by a
// header with the date and time, `mediaFolder`, `programVersion` and the Windows version. A
// file that cannot be opened (read-only, held by another program) leaves the run without a log;
// nothing is reported. Other programs may read and write the file while it is open.
void OpenInstallLog(const std::wstring& path,
                    const std::wstring& mediaFolder,
                    const std::wstring& programVersion);
// Ends the log and closes its file.
void CloseInstallLog();

// The running Windows' version as "major.minor.build", followed by the service pack's name
// when there is one ("5.1.2600 Service Pack 3").
std::wstring WindowsVersionText();

}  // namespace kolvar
