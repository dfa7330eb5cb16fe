// INSTALL.EXE: the media run and the temporary-folder run are the same program.
#include <windows.h>

#include <cstdlib>

#include "bootstrap/entry.h"
#include "bootstrap/wizard.h"
#include "platform/error.h"
#include "platform/install_log.h"

// The runtime's default handler for an uncaught exception names its type on the console, which
// a windowed program does not have; it brings the whole symbol demangler into the program
// (about 50 KB of the floppy budget). Ours only ends the program, as that handler does.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return kolvar::bootstrap::InstallerMain(kolvar::bootstrap::InstallerPages());
  } catch (const kolvar::Error& error) {
    ::MessageBoxW(nullptr, error.message().c_str(), L"KOLVAR", MB_OK | MB_ICONERROR);
    kolvar::LogEvent(kolvar::MessageEvent(L"KOLVAR", error.message(), L"OK"));
  } catch (const std::exception& error) {
    ::MessageBoxA(nullptr, error.what(), "KOLVAR", MB_OK | MB_ICONERROR);
  }
  kolvar::LogEvent(L"end: stopped by an error");
  return 1;
}
