#include "ui_driver.h"

#include "platform/files.h"
#include "win_test_support.h"

namespace kolvar::testing {

UserScript::UserScript(std::function<void()> script) : thread_(std::move(script)) {}

UserScript::~UserScript() {
  if (thread_.joinable())
    thread_.join();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    ::Sleep(10);
  }
  return true;
}

bool WaitForWindow(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return ::IsWindowVisible(window) && ::IsWindowEnabled(window); },
                   timeoutMs);
}

HWND WaitForTitled(const std::wstring& title, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = ::FindWindowW(L"KolvarControl", title.c_str());
        return found && ::IsWindowVisible(found);
      },
      timeoutMs);
  return found;
}

namespace {

void SendMouse(DWORD flags, POINT at, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (at.x * 65536 + cx / 2) / cx;
  input.mi.dy = (at.y * 65536 + cy / 2) / cy;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  input.mi.mouseData = data;
  ::SendInput(1, &input, sizeof(input));
  ::Sleep(30);
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, 0));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &input, sizeof(input));
  ::Sleep(20);
}

void Modifiers(unsigned shift, bool up) {
  using namespace kolvar::toolkit;
  if (shift & ssCtrl)
    SendKey(VK_CONTROL, up);
  if (shift & ssAlt)
    SendKey(VK_MENU, up);
  if (shift & ssShift)
    SendKey(VK_SHIFT, up);
}

}  // namespace

void MoveMouseTo(POINT at) {
  SendMouse(0, at);
}
void MouseDownAt(POINT at) {
  SendMouse(MOUSEEVENTF_LEFTDOWN, at);
}
void MouseUpAt(POINT at) {
  SendMouse(MOUSEEVENTF_LEFTUP, at);
}

void ClickAt(POINT at, bool right) {
  SendMouse(0, at);
  SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, at);
  SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, at);
}

void ClickControl(const kolvar::toolkit::TControl& control, bool right) {
  ClickAt(control.ClientToScreen(control.Width() / 2, control.Height() / 2), right);
}

void PressKey(WORD key, unsigned shift) {
  Modifiers(shift, false);
  SendKey(key, false);
  SendKey(key, true);
  Modifiers(shift, true);
}

void Wheel(int notches, unsigned shift) {
  Modifiers(shift, false);
  POINT at;
  ::GetCursorPos(&at);
  SendMouse(MOUSEEVENTF_WHEEL, at, static_cast<DWORD>(notches * WHEEL_DELTA));
  Modifiers(shift, true);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
  return true;
}

void PumpFor(DWORD ms) {
  DWORD start = ::GetTickCount();
  PumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

std::wstring SaveArtifact(const Shot& shot, const std::wstring& name) {
  std::wstring folder = EnvPath(L"KOLVAR_SOURCE");
  if (!folder.empty() && folder.back() != L'\\')
    folder += L'\\';
  folder += L"build\\artifacts";
  kolvar::ForceDirectories(folder);
  std::wstring path = folder + L"\\" + name;
  return kolvar::shots::SavePng(shot, path) ? path : L"";
}

}  // namespace kolvar::testing
