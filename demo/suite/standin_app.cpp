// A stand-in for one of the suite's programs: a small window that shows the program's name.
// Closing the window ends it. Built once per program name (KOLVAR_APP_NAME).
#include <windows.h>

namespace {

constexpr wchar_t kName[] = KOLVAR_APP_NAME;

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window, &ps);
      RECT client;
      ::GetClientRect(window, &client);
      ::SetBkMode(dc, TRANSPARENT);
      ::DrawTextW(dc, kName, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ::EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"KolvarSuiteProgram";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowW(wc.lpszClassName, kName, WS_OVERLAPPEDWINDOW, 40, 40, 320, 160,
                                nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  ::ShowWindow(window, show);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
