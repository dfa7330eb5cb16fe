// The floor under the installer's start-up: what any program that starts as INSTALL.EXE does
// must cost at least this much. Started from the media it copies itself into a private folder
// under the temporary folder and starts the copy, as INSTALL.EXE does; the copy shows a window
// covering the screen and a plain window in front of it, and waits for messages. Nothing else:
// no pictures, no typefaces, no registry, no log. Timed by bench/startup-run through
// bench_startup.exe, side by side with INSTALL.EXE.
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kCopyName[] = L"FLOORCPY.EXE";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring FileName(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

int MediaRun(const std::wstring& self) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"floor-" + std::to_wstring(::GetCurrentProcessId()) +
                        L"-" + std::to_wstring(::GetTickCount()) + L"\\";
  if (!::CreateDirectoryW(folder.c_str(), nullptr))
    return 1;
  std::wstring copy = folder + kCopyName;
  if (!::CopyFileW(self.c_str(), copy.c_str(), FALSE))
    return 1;
  std::wstring command = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info))
    return 1;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

int CopyRun(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"FloorWindow";
  if (!::RegisterClassW(&windowClass))
    return 1;
  HWND background = ::CreateWindowExW(
      0, windowClass.lpszClassName, L"Floor", WS_POPUP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
      ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
  if (!background)
    return 1;
  ::ShowWindow(background, SW_SHOW);
  ::UpdateWindow(background);
  // Owned by the background window, so it stays in front of it.
  HWND page = ::CreateWindowExW(0, windowClass.lpszClassName, L"Floor page",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 150, 620, 440, background,
                                nullptr, instance, nullptr);
  if (!page)
    return 1;
  ::ShowWindow(page, SW_SHOW);
  ::UpdateWindow(page);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  std::wstring self = OwnPath();
  if (lstrcmpiW(FileName(self).c_str(), kCopyName) == 0)
    return CopyRun(instance);
  return MediaRun(self);
}
