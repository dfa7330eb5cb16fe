// A sample database upgrade library: the eight entry points the installer binds. It finds the
// suite's database through the engine (alias "KOLVAR"), reports what each step does through
// the caller's report procedure and records each step in UPGRADE.LOG in the database folder.
// A step fails when a file named after it (STRUCTURI.ERR, LISTE.ERR, CONSTANTE.ERR) lies in
// that folder.
#include <windows.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "bootstrap/engine_session.h"
#include "bootstrap/upgrade_api.h"
#include "platform/files.h"
#include "platform/text.h"

using kolvar::bootstrap::EngineSession;
namespace engine = kolvar::engine;

namespace {

kolvar::bootstrap::UpgradeReportProc g_report = nullptr;
bool g_quick = false;
bool g_lastStepOk = true;

// The folder of alias `name` as the engine's configuration holds it; empty when the engine
// does not start or has no such alias.
std::wstring AliasFolder(const std::string& name) {
  EngineSession session;
  if (!session.Start())
    return L"";
  const kolvar::bootstrap::EngineApi& api = *session.Bind();
  std::string listPath = "\\DATABASES\\" + name + "\\DB INFO";
  engine::hDBICur cursor = nullptr;
  if (api.DbiOpenCfgInfoList(nullptr, engine::dbiREADONLY, engine::cfgPersistent, listPath.c_str(),
                             &cursor) != engine::DBIERR_NONE)
    return L"";
  std::wstring folder;
  engine::CFGDesc record{};
  if (api.DbiSetToBegin(cursor) == engine::DBIERR_NONE) {
    while (api.DbiGetNextRecord(cursor, engine::dbiNOLOCK, &record, nullptr) ==
           engine::DBIERR_NONE) {
      record.szNodeName[sizeof record.szNodeName - 1] = '\0';
      record.szValue[sizeof record.szValue - 1] = '\0';
      if (std::strcmp(record.szNodeName, "PATH") == 0) {
        folder = kolvar::AnsiToWide(record.szValue);
        break;
      }
    }
  }
  api.DbiCloseCursor(&cursor);
  return folder;
}

// Hands one line to the report procedure in a global memory block of ours.
void Report(const std::wstring& line) {
  if (!g_report)
    return;
  int size = ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size));
  if (!block)
    return;
  if (void* text = ::GlobalLock(block)) {
    ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, static_cast<char*>(text), size, nullptr,
                          nullptr);
    ::GlobalUnlock(block);
    g_report(block);
  }
  ::GlobalFree(block);
}

void AppendToLog(const std::wstring& folder, const std::string& line) {
  std::wstring path = kolvar::JoinPath(folder, L"UPGRADE.LOG");
  std::string text;
  if (kolvar::FileExists(path))
    text = kolvar::ReadFileBytes(path);
  kolvar::WriteFileBytes(path, text + line + "\r\n");
}

struct Step {
  const wchar_t* title;
  const char* logName;
  const wchar_t* failFile;
  std::vector<const wchar_t*> fullLines;
  std::vector<const wchar_t*> quickLines;
};

void RunStep(const Step& step) {
  Report(step.title);
  std::wstring folder = AliasFolder("KOLVAR");
  if (folder.empty() || !kolvar::DirectoryExists(folder)) {
    Report(L"Nu găsesc baza de date KOLVAR.");
    g_lastStepOk = false;
    return;
  }
  Report(L"Baza de date: " + folder);
  for (const wchar_t* line : g_quick ? step.quickLines : step.fullLines)
    Report(line);
  bool ok = !kolvar::FileExists(kolvar::JoinPath(folder, step.failFile));
  Report(ok ? L"Operaţie încheiată cu succes." : L"Eroare: operaţia nu a reuşit.");
  try {
    AppendToLog(folder, std::string(step.logName) + (g_quick ? " (rapid)" : "") +
                            (ok ? ": reusit" : ": esuat"));
  } catch (...) {
    ok = false;
  }
  g_lastStepOk = ok;
}

}  // namespace

extern "C" {

__declspec(dllexport) void __stdcall GetAliasPath(wchar_t* buffer) {
  if (!buffer)
    return;
  size_t length = 0;
  while (length < kolvar::bootstrap::kAliasPathBufferSize - 1 && buffer[length])
    ++length;
  std::wstring folder = AliasFolder(kolvar::WideToUtf8(std::wstring(buffer, length)));
  size_t count = std::min(folder.size(), kolvar::bootstrap::kAliasPathBufferSize - 1);
  std::memcpy(buffer, folder.data(), count * sizeof(wchar_t));
  buffer[count] = L'\0';
}

__declspec(dllexport) BOOL __stdcall CheckExclusive() {
  return TRUE;
}

__declspec(dllexport) void __stdcall DoStructureUpgrade() {
  RunStep({L"Verificare structuri",
           "Verificare structuri",
           L"STRUCTURI.ERR",
           {L"Tabela CONTURI.DB: structură verificată.", L"Tabela PARTENERI.DB: câmp adăugat.",
            L"Tabela ÎNREG.DB: index refăcut."},
           {L"Verificare rapidă: structurile sunt la zi."}});
}

__declspec(dllexport) void __stdcall DoListUpgrade() {
  RunStep({L"Actualizare liste",
           "Actualizare liste",
           L"LISTE.ERR",
           {L"Lista de judeţe actualizată.", L"Lista de bănci actualizată."},
           {L"Verificare rapidă: listele sunt la zi."}});
}

__declspec(dllexport) void __stdcall DoConstUpgrade() {
  RunStep({L"Actualizare constante",
           "Actualizare constante",
           L"CONSTANTE.ERR",
           {L"Cota TVA verificată.", L"Salariul minim actualizat."},
           {L"Verificare rapidă: constantele sunt la zi."}});
}

__declspec(dllexport) void __stdcall SetReportProc(kolvar::bootstrap::UpgradeReportProc report) {
  g_report = report;
}

__declspec(dllexport) void __stdcall SetQuickVerif(BOOL quick) {
  g_quick = quick != FALSE;
}

__declspec(dllexport) BOOL __stdcall GetSemaforOK() {
  return g_lastStepOk ? TRUE : FALSE;
}

}  // extern "C"

// The exports must have exactly the types the installer binds them to.
namespace upgrade = kolvar::bootstrap;
static_assert(std::is_same_v<decltype(&GetAliasPath), upgrade::GetAliasPathProc>);
static_assert(std::is_same_v<decltype(&CheckExclusive), upgrade::CheckExclusiveProc>);
static_assert(std::is_same_v<decltype(&DoStructureUpgrade), upgrade::UpgradeStepProc>);
static_assert(std::is_same_v<decltype(&DoListUpgrade), upgrade::UpgradeStepProc>);
static_assert(std::is_same_v<decltype(&DoConstUpgrade), upgrade::UpgradeStepProc>);
static_assert(std::is_same_v<decltype(&SetReportProc), upgrade::SetReportProcProc>);
static_assert(std::is_same_v<decltype(&SetQuickVerif), upgrade::SetQuickVerifProc>);
static_assert(std::is_same_v<decltype(&GetSemaforOK), upgrade::GetSemaforOKProc>);
