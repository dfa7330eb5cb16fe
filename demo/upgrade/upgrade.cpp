// A sample database upgrade library: the eight entry points the installer binds. It finds the
// suite's database through the engine (alias "KOLVAR"), reports what each step does through
// the caller's report procedure and records each step in UPGRADE.LOG in the database folder.
// A step fails when a file named after it (STRUCTURI.ERR, LISTE.ERR, CONSTANTE.ERR) lies in
// that folder. Other files there make the library misbehave as outside libraries do, so that
// the installer's defences can be seen at work:
//   STRUCTURI.EXC, LISTE.EXC, CONSTANTE.EXC  the step raises a structured exception
//                                            (kStepExceptionCode) after its first reports
//   RAPORT.FARANUL                           report blocks hold the text without a closing NUL
//   RAPORT.TARZIU                            half a second after a step returns, one more
//                                            report comes ("Raport tarziu"), from a timer
//   RAPORT.LENT                              each report is followed by 150 ms of work
//   SCHIMBA.TABELE                           before a step raises its exception, it
//                                            rewrites FIRME.DB and adds NOU.DB, as a step
//                                            broken off half-way leaves a database
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

// The code of the structured exception a step raises when asked to.
constexpr DWORD kStepExceptionCode = 0xE0C0FFEE;
constexpr UINT kLateReportDelayMs = 500;

kolvar::bootstrap::UpgradeReportProc g_report = nullptr;
bool g_quick = false;
bool g_lastStepOk = true;
bool g_unterminatedReports = false;
bool g_slowReports = false;
std::wstring g_lateReportFolder;

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

// A block of `size` bytes whose bytes past `size` (where the heap leaves them in place) are
// not zero: a reader that runs past the end of an unterminated text shows them.
HGLOBAL AllocateWithoutZeroAfter(SIZE_T size) {
  constexpr SIZE_T kSpare = 64;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size + kSpare);
  if (!block)
    return nullptr;
  if (void* bytes = ::GlobalLock(block)) {
    std::memset(bytes, '#', size + kSpare);
    ::GlobalUnlock(block);
  }
  HGLOBAL smaller = ::GlobalReAlloc(block, size, GMEM_MOVEABLE);
  if (!smaller) {
    ::GlobalFree(block);
    return nullptr;
  }
  return smaller;
}

// Hands one line to the report procedure in a global memory block of ours.
void Report(const std::wstring& line) {
  if (!g_report)
    return;
  int size = ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return;
  // Without its NUL the block holds exactly the text's bytes.
  SIZE_T blockSize = static_cast<SIZE_T>(g_unterminatedReports ? size - 1 : size);
  HGLOBAL block = g_unterminatedReports ? AllocateWithoutZeroAfter(blockSize)
                                        : ::GlobalAlloc(GMEM_MOVEABLE, blockSize);
  if (!block)
    return;
  if (void* text = ::GlobalLock(block)) {
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::memcpy(text, bytes.data(), blockSize);
    ::GlobalUnlock(block);
    g_report(block);
  }
  ::GlobalFree(block);
  if (g_slowReports)
    ::Sleep(150);
}

void AppendToLog(const std::wstring& folder, const std::string& line) {
  std::wstring path = kolvar::JoinPath(folder, L"UPGRADE.LOG");
  std::string text;
  if (kolvar::FileExists(path))
    text = kolvar::ReadFileBytes(path);
  kolvar::WriteFileBytes(path, text + line + "\r\n");
}

void CALLBACK LateReport(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  Report(L"Raport tarziu");
  try {
    AppendToLog(g_lateReportFolder, "Raport tarziu trimis");
  } catch (...) {
  }
}

struct Step {
  const wchar_t* title;
  const char* logName;
  const wchar_t* failFile;
  const wchar_t* exceptionFile;
  std::vector<const wchar_t*> fullLines;
  std::vector<const wchar_t*> quickLines;
};

// What the run-time library of the real upgrade library's language does when it starts and
// when its code runs: floating point in single precision with the division-by-zero and invalid
// operation exceptions unmasked, for the x87 unit and for SSE. The installer must keep its own
// settings around every call into the library.
void TakeOverFloatingPoint() {
  unsigned short x87 = 0x007A;  // precision 24 bits; zero divide and invalid unmasked
  unsigned int sse = 0x1D00;    // zero divide and invalid unmasked
  asm volatile("fldcw %0" : : "m"(x87));
  asm volatile("ldmxcsr %0" : : "m"(sse));
}

void RunStep(const Step& step) {
  TakeOverFloatingPoint();
  std::wstring folder = AliasFolder("KOLVAR");
  auto switched = [&](const wchar_t* name) {
    return !folder.empty() && kolvar::FileExists(kolvar::JoinPath(folder, name));
  };
  g_unterminatedReports = switched(L"RAPORT.FARANUL");
  g_slowReports = switched(L"RAPORT.LENT");
  Report(step.title);
  if (folder.empty() || !kolvar::DirectoryExists(folder)) {
    Report(L"Nu găsesc baza de date KOLVAR.");
    g_lastStepOk = false;
    return;
  }
  Report(L"Baza de date: " + folder);
  if (switched(step.exceptionFile)) {
    if (switched(L"SCHIMBA.TABELE")) {
      kolvar::WriteFileBytes(kolvar::JoinPath(folder, L"FIRME.DB"), "half converted");
      kolvar::WriteFileBytes(kolvar::JoinPath(folder, L"NOU.DB"), "added by the step");
    }
    AppendToLog(folder, std::string(step.logName) + ": exceptie");
    g_lastStepOk = false;
    ::RaiseException(kStepExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }

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
  if (switched(L"RAPORT.TARZIU")) {
    g_lateReportFolder = folder;
    ::SetTimer(nullptr, 0, kLateReportDelayMs, &LateReport);
  }
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
           L"STRUCTURI.EXC",
           {L"Tabela CONTURI.DB: structură verificată.", L"Tabela PARTENERI.DB: câmp adăugat.",
            L"Tabela ÎNREG.DB: index refăcut."},
           {L"Verificare rapidă: structurile sunt la zi."}});
}

__declspec(dllexport) void __stdcall DoListUpgrade() {
  RunStep({L"Actualizare liste",
           "Actualizare liste",
           L"LISTE.ERR",
           L"LISTE.EXC",
           {L"Lista de judeţe actualizată.", L"Lista de bănci actualizată."},
           {L"Verificare rapidă: listele sunt la zi."}});
}

__declspec(dllexport) void __stdcall DoConstUpgrade() {
  RunStep({L"Actualizare constante",
           "Actualizare constante",
           L"CONSTANTE.ERR",
           L"CONSTANTE.EXC",
           {L"Cota TVA verificată.", L"Salariul minim actualizat."},
           {L"Verificare rapidă: constantele sunt la zi."}});
}

__declspec(dllexport) void __stdcall SetReportProc(kolvar::bootstrap::UpgradeReportProc report) {
  g_report = report;
}

__declspec(dllexport) void __stdcall SetQuickVerif(BOOL quick) {
  g_quick = quick != FALSE;
}

// A one-byte boolean in the lowest byte; the rest of the register holds what happened to be
// there, as the real library's language leaves it.
__declspec(dllexport) DWORD __stdcall GetSemaforOK() {
  static DWORD leftOver = 0x5A3C0F00;
  leftOver = leftOver * 2654435761u + 0x100;
  return (leftOver & 0xFFFFFF00u) | (g_lastStepOk ? 1 : 0);
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

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH)
    TakeOverFloatingPoint();
  return TRUE;
}
