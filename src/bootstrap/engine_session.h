// The database engine, reached through IDAPI32.DLL in the folder that the engine's registry key
// names, bound at run time: starting and stopping it, and the upgrade-mode question.
#pragma once

#include <windows.h>

#include <string>

#include "platform/library.h"
#include "sysconfig/engine_api.h"

namespace kolvar::bootstrap {

// Where the engine records its own folder: HKEY_LOCAL_MACHINE `kEngineKey`, value "DLLPATH".
inline constexpr wchar_t kEngineKey[] = L"Software\\Borland\\Database Engine";
inline constexpr wchar_t kEngineLibrary[] = L"IDAPI32.DLL";

// The entry points of a loaded engine library.
struct EngineApi {
  engine::DbiInitFnProc DbiInitFn = nullptr;
  engine::DbiExitProc DbiExit = nullptr;
  engine::DbiOpenDatabaseProc DbiOpenDatabase = nullptr;
  engine::DbiCloseDatabaseProc DbiCloseDatabase = nullptr;
  engine::DbiAddAliasProc DbiAddAlias = nullptr;
  engine::DbiCfgSaveProc DbiCfgSave = nullptr;
  engine::DbiOpenCfgInfoListProc DbiOpenCfgInfoList = nullptr;
  engine::DbiSetToBeginProc DbiSetToBegin = nullptr;
  engine::DbiGetNextRecordProc DbiGetNextRecord = nullptr;
  engine::DbiModifyRecordProc DbiModifyRecord = nullptr;
  engine::DbiCloseCursorProc DbiCloseCursor = nullptr;
};

// One binding of the engine library and one engine session over it. The process-wide one is
// behind the free functions below; tests make their own.
class EngineSession {
 public:
  // `root` holds `kEngineKey` (HKEY_LOCAL_MACHINE for the installer).
  explicit EngineSession(HKEY root = HKEY_LOCAL_MACHINE) : root_(root) {}
  ~EngineSession() { Stop(); }
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  // The bound entry points, loading the library on first success. nullptr when "DLLPATH" is
  // missing or empty, the library cannot be loaded or lacks an entry point; a later call tries
  // again (the engine may have been registered in between).
  const EngineApi* Bind();
  // Starts the engine once: true when it runs (also when it already ran). False when it cannot
  // be bound, DbiInitFn fails or raises an exception; a later call tries again.
  bool Start();
  // Ends the session when Start succeeded; errors are ignored.
  void Stop() noexcept;
  bool started() const noexcept { return started_; }

 private:
  HKEY root_;
  Library library_;
  EngineApi api_;
  bool bound_ = false;
  bool started_ = false;
};

// True when alias "KOLVAR" opens in the engine of `session` (started first when needed). The
// engine stays started afterwards.
bool DetectUpgradeMode(EngineSession& session);

// The process-wide session: started at most once per process and stopped at program exit.
EngineSession& DatabaseEngine();
// DatabaseEngine().Start(); the first success also arranges StopDatabaseEngine at exit.
bool StartDatabaseEngine();
// Ends the process-wide session if it runs.
void StopDatabaseEngine() noexcept;
// DetectUpgradeMode on the process-wide session.
bool DetectUpgradeMode();

}  // namespace kolvar::bootstrap
