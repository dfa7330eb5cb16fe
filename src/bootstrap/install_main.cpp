// INSTALL.EXE: the media run and the temporary-folder run are the same program.
#include <windows.h>

#include "bootstrap/entry.h"
#include "bootstrap/wizard.h"
#include "platform/error.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return kolvar::bootstrap::InstallerMain(kolvar::bootstrap::InstallerPages());
  } catch (const kolvar::Error& error) {
    ::MessageBoxW(nullptr, error.message().c_str(), L"KOLVAR", MB_OK | MB_ICONERROR);
  } catch (const std::exception& error) {
    ::MessageBoxA(nullptr, error.what(), "KOLVAR", MB_OK | MB_ICONERROR);
  }
  return 1;
}
