// Screenshots: the screen's pixels in a rectangle, and PNG files of them.
#pragma once

#include <windows.h>

#include <cstdint>
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
// The pixels of `window`'s whole rectangle as the screen shows it.
Shot CaptureWindow(HWND window);
// `shot` as the bytes of a PNG file (8-bit RGB).
std::string EncodePng(const Shot& shot);
// Writes `shot` to `path` as PNG; false on failure.
bool SavePng(const Shot& shot, const std::wstring& path);

}  // namespace kolvar::shots
