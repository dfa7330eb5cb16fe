// A library that misbehaves the way foreign code can: it faults, raises exceptions of other
// languages, and poses as a database engine whose entry points do the same. Which engine entry
// point misbehaves is chosen by the environment variable FOREIGN_FAULT_IN.
#include <windows.h>

#include "sysconfig/engine_api.h"

using namespace kolvar::engine;

namespace {

// Kept volatile so that the write really happens at run time and faults there.
int* volatile g_badAddress = reinterpret_cast<int*>(0x10);

__attribute__((noinline)) void WriteThroughBadPointer() {
  *g_badAddress = 1;
}

bool FaultChosen(const char* name) {
  char chosen[64] = "";
  ::GetEnvironmentVariableA("FOREIGN_FAULT_IN", chosen, sizeof chosen);
  return lstrcmpA(chosen, name) == 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) void __stdcall Fault() {
  WriteThroughBadPointer();
}

__declspec(dllexport) void __stdcall RaiseForeign(DWORD code) {
  ::RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

__declspec(dllexport) int __stdcall Twice(int value) {
  return 2 * value;
}

__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiInitFn(uint16_t, DBIEnv*) {
  if (FaultChosen("DbiInitFn"))
    WriteThroughBadPointer();
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiExit() {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiOpenDatabase(const char*,
                                                             const char*,
                                                             DBIOpenMode,
                                                             DBIShareMode,
                                                             const char*,
                                                             uint16_t,
                                                             FLDDesc*,
                                                             void*,
                                                             hDBIDb*) {
  if (FaultChosen("DbiOpenDatabase"))
    ::RaiseException(0x0EEDFADE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiCloseDatabase(hDBIDb*) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN
    DbiAddAlias(hDBICfg, const char*, const char*, const char*, DbiBool) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiCfgSave(hDBICfg, const char*, DbiBool) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN
    DbiOpenCfgInfoList(hDBICfg, DBIOpenMode, CFGMode, const char*, hDBICur*) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiSetToBegin(hDBICur) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN
    DbiGetNextRecord(hDBICur, DBILockType, void*, RECProps*) {
  return 1;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiModifyRecord(hDBICur, void*, DbiBool) {
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiCloseCursor(hDBICur*) {
  return DBIERR_NONE;
}

}  // extern "C"
