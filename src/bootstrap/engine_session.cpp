#include "bootstrap/engine_session.h"

#include <cstdlib>

#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace kolvar::bootstrap {

namespace {

// Resolves `name` into `slot`; false when the library lacks it.
template <typename Fn>
bool Resolve(const Library& library, const char* name, Fn& slot) {
  slot = library.Find<Fn>(name);
  return slot != nullptr;
}

bool ResolveAll(const Library& library, EngineApi& api) {
  return Resolve(library, "DbiInitFn", api.DbiInitFn) && Resolve(library, "DbiExit", api.DbiExit) &&
         Resolve(library, "DbiOpenDatabase", api.DbiOpenDatabase) &&
         Resolve(library, "DbiCloseDatabase", api.DbiCloseDatabase) &&
         Resolve(library, "DbiAddAlias", api.DbiAddAlias) &&
         Resolve(library, "DbiCfgSave", api.DbiCfgSave) &&
         Resolve(library, "DbiOpenCfgInfoList", api.DbiOpenCfgInfoList) &&
         Resolve(library, "DbiSetToBegin", api.DbiSetToBegin) &&
         Resolve(library, "DbiGetNextRecord", api.DbiGetNextRecord) &&
         Resolve(library, "DbiModifyRecord", api.DbiModifyRecord) &&
         Resolve(library, "DbiCloseCursor", api.DbiCloseCursor);
}

}  // namespace

const EngineApi* EngineSession::Bind() {
  if (bound_)
    return &api_;
  auto key = RegistryKey::Open(root_, kEngineKey);
  if (!key)
    return nullptr;
  std::wstring folder = key->ReadString(L"DLLPATH").value_or(L"");
  if (folder.empty())
    return nullptr;
  // No system dialog for a library that is missing or cannot be read.
  UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  Library library(JoinPath(folder, kEngineLibrary));
  ::SetErrorMode(oldMode);
  EngineApi api;
  if (!library.loaded() || !ResolveAll(library, api))
    return nullptr;
  library_ = std::move(library);
  api_ = api;
  bound_ = true;
  return &api_;
}

bool EngineSession::Start() {
  if (started_)
    return true;
  const EngineApi* api = Bind();
  if (!api)
    return false;
  try {
    started_ = CallGuarded(L"DbiInitFn", [api] {
                 return api->DbiInitFn(engine::kDbiInterfaceVersion, nullptr);
               }) == engine::DBIERR_NONE;
  } catch (const Error&) {
    started_ = false;
  }
  return started_;
}

void EngineSession::Stop() noexcept {
  if (!started_)
    return;
  started_ = false;
  try {
    CallGuarded(L"DbiExit", [this] { api_.DbiExit(); });
  } catch (...) {
  }
}

bool DetectUpgradeMode(EngineSession& session) {
  if (!session.Start())
    return false;
  const EngineApi* api = session.Bind();
  engine::hDBIDb database = nullptr;
  try {
    if (CallGuarded(L"DbiOpenDatabase", [&] {
          return api->DbiOpenDatabase("KOLVAR", nullptr, engine::dbiREADONLY, engine::dbiOPENSHARED,
                                      nullptr, 0, nullptr, nullptr, &database);
        }) != engine::DBIERR_NONE)
      return false;
  } catch (const Error&) {
    return false;
  }
  try {
    CallGuarded(L"DbiCloseDatabase", [&] { api->DbiCloseDatabase(&database); });
  } catch (const Error&) {
  }
  return true;
}

EngineSession& DatabaseEngine() {
  static EngineSession session;
  return session;
}

bool StartDatabaseEngine() {
  EngineSession& session = DatabaseEngine();
  if (session.started())
    return true;
  if (!session.Start())
    return false;
  // Registered after the session object exists, so it runs before the object is destroyed,
  // and after any exit procedure of the upgrade library, which is bound later.
  static bool registered = false;
  if (!registered)
    registered = std::atexit([] { StopDatabaseEngine(); }) == 0;
  return true;
}

void StopDatabaseEngine() noexcept {
  DatabaseEngine().Stop();
}

bool DetectUpgradeMode() {
  if (!StartDatabaseEngine()) {
    LogEvent(L"database engine: does not start (not registered, or its library does not load)");
    return false;
  }
  return DetectUpgradeMode(DatabaseEngine());
}

}  // namespace kolvar::bootstrap
