// A stand-in for the chart control: its registration entry records itself in TOOLS.LOG beside
// the control.
#include <windows.h>

#include "tools_log.h"

namespace {
HMODULE g_self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  kolvar::demo::AppendToToolsLog(g_self, L"CFX32.OCX: DllRegisterServer");
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  kolvar::demo::AppendToToolsLog(g_self, L"CFX32.OCX: DllUnregisterServer");
  return S_OK;
}
