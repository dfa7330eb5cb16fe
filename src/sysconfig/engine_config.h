// Configuring the database engine for a new installation: registering a freshly copied engine
// (or counting one more user of an installed one), the suite's aliases and the Paradox
// network folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bootstrap/engine_session.h"
#include "sysconfig/engine_rules.h"

namespace kolvar::sysconfig {

// Registry keys, below the root key (HKEY_LOCAL_MACHINE for the installer).
inline constexpr wchar_t kRegisteredEngineKey[] = L"Software\\Borland\\BLW32";
inline constexpr wchar_t kWindowsVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
// The engine's folder below the Program Files folder, and its registry file there.
inline constexpr wchar_t kEngineSubfolder[] = L"\\Borland\\Common Files\\BDE";
inline constexpr wchar_t kEngineRegistryFile[] = L"\\bde.reg";

// The whole task: RegisterEngine, the suite's aliases for State().DataDir through the
// process-wide engine, and for a freshly registered engine SetNetDir. Throws what
// RegisterEngine throws; then no alias is added.
void DoConfigBDE();

// With "Software\Borland\BLW32" present below `root`: raises "UseCount" of the engine key by
// one (see NextUseCount), leaving `freshEngine` as it is. Otherwise sets `freshEngine`, rewrites
// the engine registry file in the engine folder below "ProgramFilesDir" (every "$ProgDir$"
// replaced by that folder with doubled backslashes, lines ended by CR LF, ANSI) and imports it
// with "regedit /s", waiting for it.
// Throws SystemError when the engine key cannot be opened for writing, the file cannot be read
// or written (the import is then not run), and Error when the Program Files folder has no
// ANSI form.
void RegisterEngine(bool& freshEngine, HKEY root = HKEY_LOCAL_MACHINE);

// Adds each alias of `aliases` to the engine of `session` (started when needed) as a
// persistent PARADOX alias with "PATH:<folder>", then saves the configuration. An alias the
// engine refuses, or whose name or parameters do not fit the engine's buffers (it is then not
// added at all), does not stop the others. True only when every alias was added and saved;
// false at once when the engine does not start.
bool AddAliases(bootstrap::EngineSession& session, const std::vector<AliasEntry>& aliases);
// The same on the process-wide engine.
bool AddAliases(const std::vector<AliasEntry>& aliases);

// Sets the Paradox driver's "NET DIR" to `folder` with a trailing backslash and creates
// `folder`\NetDir, in an engine session of its own on `session`'s library. Does nothing when
// the engine does not start or has no such node. Returns true when the value was written.
bool SetNetDir(bootstrap::EngineSession& session, const std::wstring& folder);
// The same on the process-wide engine's library.
bool SetNetDir(const std::wstring& folder);

}  // namespace kolvar::sysconfig
