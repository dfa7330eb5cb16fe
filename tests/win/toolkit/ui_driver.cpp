#include "ui_driver.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/files.h"
#include "toolkit/application.h"
#include "win_test_support.h"

namespace kolvar::testing {

UserScript::UserScript(std::function<void()> script)
    : thread_([script = std::move(script), ui = ::GetCurrentThreadId()] {
        script();
        // A script stopped by a failed assertion would leave the test thread in a modal loop
        // waiting for a click that never comes, until CTest's time limit. Ending the
        // application ends every modal loop of that thread at once, so the test fails now,
        // with its assertion's message.
        if (::testing::Test::HasFatalFailure())
          ::PostThreadMessageW(ui, WM_QUIT, 0, 0);
      }) {}

UserScript::~UserScript() {
  if (thread_.joinable())
    thread_.join();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  timeoutMs = Scaled(timeoutMs);
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
  timeoutMs = Scaled(timeoutMs);
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      kolvar::toolkit::Application().Dispatch(msg);
    }
    ::Sleep(5);
  }
  return true;
}

void PumpFor(DWORD ms) {
  DWORD start = ::GetTickCount();
  PumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

std::wstring ArtifactsFolder() {
  std::wstring folder = EnvPath(L"KOLVAR_SOURCE");
  if (!folder.empty() && folder.back() != L'\\')
    folder += L'\\';
  folder += L"build\\artifacts";
  kolvar::ForceDirectories(folder);
  return folder;
}

std::wstring SaveArtifact(const Shot& shot, const std::wstring& name) {
  std::wstring path = ArtifactsFolder() + L"\\" + name;
  return kolvar::shots::SavePng(shot, path) ? path : L"";
}

std::vector<std::pair<std::wstring, Shot>> GalleryShots(const std::wstring& name) {
  std::wstring folder = ArtifactsFolder();
  std::vector<std::pair<std::wstring, Shot>> pages;
  int code =
      RunAndWait(L"\"" + DistFile(L"GALLERY.EXE") + L"\" /shots \"" + folder + L"\" " + name);
  if (code != 0)
    return pages;
  for (int i = 1;; ++i) {
    WIN32_FIND_DATAW data;
    std::wstring pattern = folder + L"\\" + name + L"-" + std::to_wstring(i) + L"-*.png";
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
      break;
    ::FindClose(find);
    pages.emplace_back(data.cFileName, LoadPng(folder + L"\\" + data.cFileName));
  }
  return pages;
}

Shot LoadPng(const std::wstring& path) {
  Shot shot;
  std::string png = ReadFile(path);
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
    return shot;
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
           (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
  };
  std::string packed;
  int width = 0, height = 0;
  for (size_t at = 8; at + 8 <= png.size();) {
    uint32_t length = be32(at);
    std::string type = png.substr(at + 4, 4);
    if (at + 12 + length > png.size())
      return shot;
    if (type == "IHDR") {
      width = static_cast<int>(be32(at + 8));
      height = static_cast<int>(be32(at + 12));
    } else if (type == "IDAT") {
      packed += png.substr(at + 8, length);
    }
    at += 12 + length;
  }
  std::string raw(static_cast<size_t>(height) * (width * 3 + 1), '\0');
  uLongf size = static_cast<uLongf>(raw.size());
  if (width <= 0 || height <= 0 ||
      uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                 reinterpret_cast<const Bytef*>(packed.data()),
                 static_cast<uLong>(packed.size())) != Z_OK) {
    return shot;
  }
  shot.width = width;
  shot.height = height;
  shot.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const char* row = raw.data() + static_cast<size_t>(y) * (width * 3 + 1) + 1;
    for (int x = 0; x < width; ++x) {
      shot.pixels[static_cast<size_t>(y) * width + x] = uint8_t(row[3 * x]) |
                                                        (uint8_t(row[3 * x + 1]) << 8) |
                                                        (uint32_t(uint8_t(row[3 * x + 2])) << 16);
    }
  }
  return shot;
}

}  // namespace kolvar::testing
