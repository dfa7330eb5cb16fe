// Stand-ins for the outside tools the configuration runs from the program folder (the help
// updater and the control registration tool): each appends its name and its whole command line
// to TOOLS.LOG beside itself and ends with 0. The registration tool also loads the control
// named on its command line and calls its registration entry, as the real tool does.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "tools_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring commandLine = ::GetCommandLineW();
  kolvar::demo::AppendToToolsLog(nullptr, KOLVAR_TOOL_NAME L": " + commandLine);
#ifdef KOLVAR_REGISTERS_CONTROL
  // The last argument names the control; quotes around it are removed.
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(commandLine.c_str(), &count);
  if (args && count > 1) {
    if (HMODULE control = ::LoadLibraryW(args[count - 1])) {
      using RegisterProc = HRESULT(__stdcall*)();
      auto reg = reinterpret_cast<RegisterProc>(::GetProcAddress(control, "DllRegisterServer"));
      if (reg)
        reg();
      ::FreeLibrary(control);
    }
  }
  ::LocalFree(args);
#endif
  return 0;
}
