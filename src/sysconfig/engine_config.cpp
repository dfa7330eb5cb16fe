#include "sysconfig/engine_config.h"

#include <cstring>

#include "bootstrap/install_state.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace kolvar::sysconfig {

namespace {

using bootstrap::EngineApi;
using bootstrap::EngineSession;

// The configuration list of the Paradox driver's start-up settings. The separators are
// doubled as the engine has always been given them; it reads repeated separators as one.
constexpr char kParadoxInitPath[] = "\\\\DRIVERS\\\\PARADOX\\\\INIT";
constexpr wchar_t kNetDirNode[] = L"NET DIR";
constexpr wchar_t kEngineDoesNotStart[] = L"engine: does not start, no alias added";

void RaiseUseCount(HKEY root) {
  auto key = RegistryKey::Open(root, bootstrap::kEngineKey, true);
  if (!key)
    ThrowLastError(L"Registry " + std::wstring(bootstrap::kEngineKey));
  // A count stored as another type than a string reads as missing, hence as 0.
  std::wstring count = NextUseCount(key->ReadString(L"UseCount"));
  key->WriteString(L"UseCount", count);
  LogEvent(L"engine: registered already, UseCount raised to " + count);
}

void ImportEngineRegistryFile(HKEY root) {
  std::wstring programFiles;
  if (auto key = RegistryKey::Open(root, kWindowsVersionKey))
    programFiles = key->ReadString(L"ProgramFilesDir").value_or(L"");
  std::wstring file = programFiles + kEngineSubfolder + kEngineRegistryFile;
  std::string bytes = ReadFileBytes(file);
  std::optional<std::string> ansiFolder = WideToAnsiExact(programFiles);
  if (!ansiFolder)
    throw Error(L"Program Files folder has no ANSI form: " + programFiles);
  WriteFileBytes(file, RewriteEngineRegistryFile(bytes, DoubleBackslashes(*ansiFolder)));
  LogEvent(L"engine: not registered, importing " + file);
  RunProgram(L"regedit /s \"" + file + L"\"", SW_MINIMIZE, true);
}

// The alias's name and parameters as the engine takes them; nullopt when they have no exact
// ANSI form or do not fit its buffers (a cut path would point the alias elsewhere).
struct EngineAlias {
  std::string name;
  std::string params;
};
std::optional<EngineAlias> ToEngineAlias(const AliasEntry& alias) {
  auto name = WideToAnsiExact(alias.name);
  auto path = WideToAnsiExact(alias.path);
  if (!name || !path)
    return std::nullopt;
  EngineAlias result{*name, AliasParams(*path)};
  if (!FitsEngineBuffer(result.name) || !FitsEngineBuffer(result.params))
    return std::nullopt;
  return result;
}

bool CallSucceeded(engine::DBIResult result) {
  return result == engine::DBIERR_NONE;
}

// One call into the engine under the guard: a fault inside it becomes our error (the general
// error report) instead of ending the program. Nothing of ours is made inside the call.
template <class F>
bool EngineCall(const wchar_t* name, F&& call) {
  return CallSucceeded(CallGuarded(name, call));
}

// Walks the open list to "NET DIR" and writes `value` there; true when written.
bool WriteNetDir(const EngineApi& api, engine::hDBICur cursor, const std::wstring& folder) {
  if (!EngineCall(L"DbiSetToBegin", [&] { return api.DbiSetToBegin(cursor); }))
    return false;
  engine::CFGDesc record;
  for (;;) {
    std::memset(&record, 0, sizeof record);
    if (!EngineCall(L"DbiGetNextRecord", [&] {
          return api.DbiGetNextRecord(cursor, engine::dbiWRITELOCK, &record, nullptr);
        }))
      return false;
    record.szNodeName[sizeof record.szNodeName - 1] = '\0';
    if (EqualsNoCaseAscii(AnsiToWide(record.szNodeName), kNetDirNode))
      break;
  }
  std::wstring value = NetDirValue(folder);
  ForceDirectories(value + L"NetDir");
  // A value the record cannot hold whole is not written cut short.
  auto ansi = WideToAnsiExact(value);
  if (!ansi || ansi->size() >= sizeof record.szValue)
    return false;
  std::memset(record.szValue, 0, sizeof record.szValue);
  std::memcpy(record.szValue, ansi->data(), ansi->size());
  return EngineCall(L"DbiModifyRecord", [&] { return api.DbiModifyRecord(cursor, &record, 1); });
}

}  // namespace

void RegisterEngine(bool& freshEngine, HKEY root) {
  if (RegistryKey::Exists(root, kRegisteredEngineKey)) {
    RaiseUseCount(root);
    return;
  }
  freshEngine = true;
  ImportEngineRegistryFile(root);
}

bool AddAliases(EngineSession& session, const std::vector<AliasEntry>& aliases) {
  if (!session.Start()) {
    LogEvent(kEngineDoesNotStart);
    return false;
  }
  const EngineApi& api = *session.Bind();
  bool allAdded = true;
  for (const AliasEntry& alias : aliases) {
    auto engineAlias = ToEngineAlias(alias);
    engine::DBIResult result = 0;
    if (engineAlias) {
      const char* name = engineAlias->name.c_str();
      const char* params = engineAlias->params.c_str();
      result = CallGuarded(L"DbiAddAlias",
                           [&] { return api.DbiAddAlias(nullptr, name, "PARADOX", params, 1); });
    }
    bool added = engineAlias && CallSucceeded(result);
    LogEvent(L"engine: alias " + alias.name + L" \"" + alias.path + L"\" " +
             (added          ? std::wstring(L"added")
              : !engineAlias ? std::wstring(L"not added: no ANSI form or too long")
                             : L"not added: engine error " + DecimalText(result)));
    allAdded &= added;
  }
  engine::DBIResult saved =
      CallGuarded(L"DbiCfgSave", [&] { return api.DbiCfgSave(nullptr, nullptr, 0); });
  LogEvent(L"engine: configuration saved: result " + DecimalText(saved));
  allAdded &= CallSucceeded(saved);
  return allAdded;
}

bool AddAliases(const std::vector<AliasEntry>& aliases) {
  if (!bootstrap::StartDatabaseEngine()) {
    LogEvent(kEngineDoesNotStart);
    return false;
  }
  return AddAliases(bootstrap::DatabaseEngine(), aliases);
}

bool SetNetDir(EngineSession& session, const std::wstring& folder) {
  const EngineApi* api = session.Bind();
  if (!api || !EngineCall(L"DbiInitFn",
                          [&] { return api->DbiInitFn(engine::kDbiInterfaceVersion, nullptr); }))
    return false;
  // A fault in the engine still ends its session here before the error goes on.
  bool opened = false;
  engine::hDBICur cursor = nullptr;
  auto closeAll = [&]() noexcept {
    try {
      if (opened)
        CallGuarded(L"DbiCloseCursor", [&] { return api->DbiCloseCursor(&cursor); });
      CallGuarded(L"DbiExit", [&] { return api->DbiExit(); });
    } catch (...) {
    }
  };
  bool written = false;
  try {
    opened = EngineCall(L"DbiOpenCfgInfoList", [&] {
      return api->DbiOpenCfgInfoList(nullptr, engine::dbiREADWRITE, engine::cfgPersistent,
                                     kParadoxInitPath, &cursor);
    });
    if (opened)
      written = WriteNetDir(*api, cursor, folder);
  } catch (...) {
    closeAll();
    throw;
  }
  closeAll();
  return written;
}

bool SetNetDir(const std::wstring& folder) {
  bool written = SetNetDir(bootstrap::DatabaseEngine(), folder);
  LogEvent(L"engine: NET DIR \"" + NetDirValue(folder) + (written ? L"\" set" : L"\" not set"));
  return written;
}

void DoConfigBDE() {
  bool freshEngine = false;
  RegisterEngine(freshEngine);
  const std::wstring& dataDir = bootstrap::State().DataDir;
  AddAliases(SuiteAliases(dataDir));
  if (freshEngine)
    SetNetDir(dataDir);
}

}  // namespace kolvar::sysconfig
