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

#if defined(__i386__)
// How often the library's own exception handler was asked to handle an exception and to take
// part in an unwind.
int g_handled = 0;
int g_unwound = 0;

extern "C" EXCEPTION_DISPOSITION __cdecl DecliningHandler(EXCEPTION_RECORD* record,
                                                          void*,
                                                          CONTEXT*,
                                                          void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    ++g_unwound;
  else
    ++g_handled;
  return ExceptionContinueSearch;
}
#endif

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

#if defined(__i386__)
// Faults inside a frame that registered an exception handler of its own on the thread's chain
// (as another language's compiler does for its try blocks); the handler declines.
__declspec(dllexport) void __stdcall FaultUnderOwnHandler() {
  EXCEPTION_REGISTRATION_RECORD record;
  record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&DecliningHandler);
  asm volatile("movl %%fs:0, %0" : "=r"(record.Next));
  asm volatile("movl %0, %%fs:0" : : "r"(&record) : "memory");
  WriteThroughBadPointer();
  asm volatile("movl %0, %%fs:0" : : "r"(record.Next) : "memory");
}

// 0: how often the handler was asked to handle; 1: how often it took part in an unwind.
__declspec(dllexport) int __stdcall OwnHandlerCalls(int which) {
  return which == 0 ? g_handled : g_unwound;
}
#endif

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
  if (FaultChosen("DbiAddAlias"))
    WriteThroughBadPointer();
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiCfgSave(hDBICfg, const char*, DbiBool) {
  if (FaultChosen("DbiCfgSave"))
    WriteThroughBadPointer();
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN
    DbiOpenCfgInfoList(hDBICfg, DBIOpenMode, CFGMode, const char*, hDBICur*) {
  if (FaultChosen("DbiOpenCfgInfoList"))
    WriteThroughBadPointer();
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
  if (FaultChosen("DbiModifyRecord"))
    WriteThroughBadPointer();
  return DBIERR_NONE;
}
__declspec(dllexport) DBIResult KOLVAR_DBIFN DbiCloseCursor(hDBICur*) {
  return DBIERR_NONE;
}

}  // extern "C"
