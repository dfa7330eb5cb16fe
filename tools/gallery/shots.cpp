#include "shots.h"

#include <zlib.h>

#include <algorithm>

namespace kolvar::shots {

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

namespace {

struct ThreadWindows {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
  if (::IsWindowVisible(window))
    reinterpret_cast<ThreadWindows*>(param)->windows.push_back(window);
  return TRUE;
}

// Moves every window in `list` by (dx, dy).
void MoveAll(const std::vector<HWND>& list, int dx, int dy) {
  for (HWND w : list) {
    RECT r;
    ::GetWindowRect(w, &r);
    ::SetWindowPos(w, nullptr, r.left + dx, r.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
}

}  // namespace

Shot CaptureWindow(HWND window, const std::function<void()>& settle) {
  RECT r;
  ::GetWindowRect(window, &r);
  int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  if (r.left >= 0 && r.top >= 0 && r.right <= screenWidth && r.bottom <= screenHeight)
    return CaptureScreen(r);
  ThreadWindows thread;
  ::EnumThreadWindows(::GetWindowThreadProcessId(window, nullptr), &CollectVisible,
                      reinterpret_cast<LPARAM>(&thread));
  Shot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  shot.pixels.assign(static_cast<size_t>(shot.width) * shot.height, 0);
  int atX = r.left, atY = r.top;  // where the window's top-left corner is now
  for (int top = 0; top < shot.height; top += screenHeight) {
    for (int left = 0; left < shot.width; left += screenWidth) {
      // This part's top-left corner goes to the screen's.
      MoveAll(thread.windows, -left - atX, -top - atY);
      atX = -left;
      atY = -top;
      if (settle)
        settle();
      RECT part{0, 0, std::min(screenWidth, shot.width - left),
                std::min(screenHeight, shot.height - top)};
      Shot piece = CaptureScreen(part);
      for (int y = 0; y < piece.height; ++y) {
        for (int x = 0; x < piece.width; ++x)
          shot.pixels[static_cast<size_t>(top + y) * shot.width + left + x] = piece.At(x, y);
      }
    }
  }
  MoveAll(thread.windows, r.left - atX, r.top - atY);
  if (settle)
    settle();
  return shot;
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

bool SavePng(const Shot& shot, const std::wstring& path) {
  std::string png = EncodePng(shot);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == png.size();
}

}  // namespace kolvar::shots
