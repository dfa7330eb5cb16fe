// Windows XP's kernel has no GetTickCount64, and XP's loader refuses a program that imports a
// function it lacks before any of its code runs. The posix-thread runtime linked into our
// programs imports it for its timed waits; this file gives the link its own import slot for
// that name, which calls the system's function where there is one and otherwise counts the
// 32-bit tick's wrap-arounds. Linked into every program we ship (see kolvar_xp_program).
#include <windows.h>

namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

// XP: the 32-bit millisecond count, widened by counting how often it wrapped since the first
// call. Callers (timed waits) only take differences, a few seconds apart.
ULONGLONG WINAPI WidenedTickCount() {
  static volatile LONG lastLow = 0;
  static volatile LONG wraps = 0;
  DWORD now = ::GetTickCount();
  DWORD last = static_cast<DWORD>(::InterlockedExchange(&lastLow, static_cast<LONG>(now)));
  if (now < last && last - now > 0x80000000u)
    ::InterlockedIncrement(&wraps);
  return (static_cast<ULONGLONG>(static_cast<DWORD>(wraps)) << 32) | now;
}

ULONGLONG WINAPI TickCount64() {
  static TickCount64Function resolved = nullptr;
  if (!resolved) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto found = kernel ? reinterpret_cast<TickCount64Function>(
                              reinterpret_cast<void*>(::GetProcAddress(kernel, "GetTickCount64")))
                        : nullptr;
    resolved = found ? found : WidenedTickCount;
  }
  return resolved();
}

}  // namespace

// The import slot the runtime's code calls through, under the name the linker looks for
// (defined here, so the system library's slot, and with it the import, is never pulled in).
extern "C" {
#if defined(__i386__)
TickCount64Function kolvarGetTickCount64Slot __asm__("__imp__GetTickCount64@0") = TickCount64;
#else
TickCount64Function kolvarGetTickCount64Slot __asm__("__imp_GetTickCount64") = TickCount64;
#endif
}
