// An upgrade library lacking one entry point (the one named by OMIT_<name>), for the binding
// tests.
#include <windows.h>

extern "C" {
#ifndef OMIT_GetAliasPath
__declspec(dllexport) void __stdcall GetAliasPath(wchar_t* buffer) {
  buffer[0] = L'\0';
}
#endif
#ifndef OMIT_CheckExclusive
__declspec(dllexport) BOOL __stdcall CheckExclusive() {
  return TRUE;
}
#endif
__declspec(dllexport) void __stdcall DoStructureUpgrade() {}
__declspec(dllexport) void __stdcall DoListUpgrade() {}
__declspec(dllexport) void __stdcall DoConstUpgrade() {}
__declspec(dllexport) void __stdcall SetReportProc(void(__stdcall*)(HGLOBAL)) {}
__declspec(dllexport) void __stdcall SetQuickVerif(BOOL) {}
#ifndef OMIT_GetSemaforOK
__declspec(dllexport) DWORD __stdcall GetSemaforOK() {
  return TRUE;
}
#endif
}
