// The installation log's files: INSTKOLV.LOG beside the running program and in the temporary
// folder (one file for every try on this machine), appended per run; a successful run also
// adds its log to the program folder's INSTKOLV.LOG.
#pragma once

#include <string>

namespace kolvar {

// Opens `path` and the temporary folder's INSTKOLV.LOG for appending (creating them) and starts
// the process-wide log in both, opened by a header with the date and time, `mediaFolder`,
// `programVersion`, the Windows version and MachineText. A file that cannot be opened
// (read-only, held by another program) is left out; nothing is reported. Other programs may
// read and write the files while they are open.
void OpenInstallLog(const std::wstring& path,
                    const std::wstring& mediaFolder,
                    const std::wstring& programVersion);
// The media run's log: the temporary folder's INSTKOLV.LOG only (its private folder does not
// exist yet), so that a run that never reaches a page still leaves a record.
void OpenMediaRunLog(const std::wstring& mediaFolder, const std::wstring& programVersion);
// Appends everything this run logged so far to `path` (the program folder's log); failures
// are passed over.
void AppendRunLogTo(const std::wstring& path);
// The temporary folder's INSTKOLV.LOG.
std::wstring SharedLogPath();
// Ends the log and closes its files.
void CloseInstallLog();

// The running Windows' version as "major.minor.build", followed by the service pack's name
// when there is one ("5.1.2600 Service Pack 3").
std::wstring WindowsVersionText();

}  // namespace kolvar
