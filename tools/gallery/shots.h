// Screenshots: the screen's pixels in a rectangle, and PNG files of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kolvar::shots {

// Pixels as 0x00BBGGRR values, row by row from the top.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The screen's pixels in `rect` (screen coordinates).
Shot CaptureScreen(const RECT& rect);
// The pixels of `window`'s whole rectangle as the screen shows it, with the windows of its
// thread that stand over it. A window larger than the screen is taken part by part: the
// thread's windows are moved together so that each part in turn lies on the screen, `settle`
// runs after each move (it must let them repaint: the caller's message loop, or a pause while
// another thread runs it), and they go back to their places at the end.
Shot CaptureWindow(HWND window, const std::function<void()>& settle = {});
// `shot` as the bytes of a PNG file (8-bit RGB).
std::string EncodePng(const Shot& shot);
// Writes `shot` to `path` as PNG; false on failure.
bool SavePng(const Shot& shot, const std::wstring& path);

}  // namespace kolvar::shots
