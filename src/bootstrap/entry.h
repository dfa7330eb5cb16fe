// Program entry: the media run copies the installer into a private temporary folder and starts
// the copy; the temporary-folder run takes the media folder from the marker file and runs the
// installer proper.
#pragma once

#include <optional>
#include <string>

#include "bootstrap/wizard.h"

namespace kolvar::bootstrap {

// File names of the two runs.
inline constexpr wchar_t kMarkerFile[] = L"INSTKOLV.DAT";
inline constexpr wchar_t kCopiedExe[] = L"INSTKOLV.EXE";
// The installation log, appended by every run of the copy.
inline constexpr wchar_t kLogFile[] = L"INSTKOLV.LOG";

// The marker line beside the executable in `exeDir`, or nullopt when the marker is absent or
// cannot be read (which makes this the media run). A marker that starts with a UTF-8 byte order
// mark is read as UTF-8, any other as ANSI.
std::optional<std::wstring> ReadMarker(const std::wstring& exeDir);

// Writes the marker for media folder `mediaDir` (with its trailing backslash) into `folder`:
// one line ended by CR LF, in the ANSI code page; a folder the ANSI code page cannot hold is
// written as UTF-8 after a byte order mark. Throws SystemError when the file cannot be written.
void WriteMarker(const std::wstring& folder, const std::wstring& mediaDir);

// The media run: creates a fresh private folder under the temporary folder, copies INSTALL.EXE,
// UPGRADE.1 and INSTALL.CFG from `exeDir` into it (each failure silent), writes the marker and
// starts the copy without waiting. Returns the private folder. Throws SystemError when the
// marker cannot be written; the copy is then not started.
std::wstring RelaunchFromTemp(const std::wstring& exeDir);

// The whole program: start-up, then the run the marker decides. The temporary-folder run shows
// the background window and runs the wizard over `pages`; an error that escapes the wizard is
// shown by the general error report, the window is destroyed, the upgrade library released and
// the engine stopped all the same. Returns the exit code (0).
int InstallerMain(const PageTable& pages);

}  // namespace kolvar::bootstrap
