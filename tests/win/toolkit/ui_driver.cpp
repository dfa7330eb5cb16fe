#include "ui_driver.h"

#include <zlib.h>

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

Shot CaptureScreen(const RECT& rect) {
  Shot shot;
  shot.width = rect.right - rect.left;
  shot.height = rect.bottom - rect.top;
  if (shot.width <= 0 || shot.height <= 0)
    return shot;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
  ::GdiFlush();
  shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
  const auto* src = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    uint32_t p = src[i];  // 0x00RRGGBB in memory order B, G, R
    shot.pixels[i] = ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return shot;
}

Shot CaptureWindow(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  return CaptureScreen(r);
}

namespace {

void Put32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  Put32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                         static_cast<uInt>(body.size()))));
}

}  // namespace

std::string EncodePng(const Shot& shot) {
  std::string raw;
  raw.reserve(static_cast<size_t>(shot.height) * (shot.width * 3 + 1));
  for (int y = 0; y < shot.height; ++y) {
    raw += '\0';
    for (int x = 0; x < shot.width; ++x) {
      uint32_t c = shot.At(x, y);
      raw += static_cast<char>(c & 0xFF);
      raw += static_cast<char>((c >> 8) & 0xFF);
      raw += static_cast<char>((c >> 16) & 0xFF);
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9);
  packed.resize(size);
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  Put32(header, static_cast<uint32_t>(shot.width));
  Put32(header, static_cast<uint32_t>(shot.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", "");
  return png;
}

std::wstring SaveArtifact(const Shot& shot, const std::wstring& name) {
  std::wstring folder = EnvPath(L"KOLVAR_SOURCE");
  if (!folder.empty() && folder.back() != L'\\')
    folder += L'\\';
  folder += L"build\\artifacts";
  kolvar::ForceDirectories(folder);
  std::wstring path = folder + L"\\" + name;
  try {
    kolvar::WriteFileBytes(path, EncodePng(shot));
  } catch (...) {
    return L"";
  }
  return path;
}

}  // namespace kolvar::testing
