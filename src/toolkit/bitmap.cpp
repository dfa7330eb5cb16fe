#include "toolkit/bitmap.h"

#include <algorithm>

namespace kolvar::toolkit {
namespace {

// A 32-bit top-down bitmap description of width × height.
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

HBITMAP MakeDib(int width, int height, const std::vector<TColor>& pixels) {
  BITMAPINFO info = TopDown32(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits)
    return bitmap;
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size() && i < static_cast<size_t>(width) * height; ++i) {
    TColor c = pixels[i];
    out[i] = (static_cast<uint32_t>(RedOf(c)) << 16) | (GreenOf(c) << 8) | BlueOf(c);
  }
  ::GdiFlush();
  return bitmap;
}

}  // namespace

uint64_t TBitmap::NextSerial() {
  static uint64_t next = 0;
  return ++next;
}

TBitmap::TBitmap(int width, int height, const std::vector<TColor>& pixels)
    : handle_(MakeDib(width, height, pixels)),
      width_(handle_ ? width : 0),
      height_(handle_ ? height : 0),
      key_(pixels.empty() ? 0 : pixels[0] & 0xFFFFFF),
      pixels_(pixels) {}

TBitmap::TBitmap(HBITMAP bitmap) : handle_(bitmap) {
  BITMAP info{};
  if (bitmap && ::GetObjectW(bitmap, sizeof(info), &info)) {
    width_ = info.bmWidth;
    height_ = std::abs(info.bmHeight);
    BITMAPINFO bi = TopDown32(width_, height_);
    std::vector<uint32_t> raw(static_cast<size_t>(width_) * height_);
    ScopedGetDC screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, height_, raw.data(), &bi, DIB_RGB_COLORS)) {
      pixels_.reserve(raw.size());
      for (uint32_t p : raw)
        pixels_.push_back(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
    }
    key_ = pixels_.empty() ? 0 : pixels_[0];
  }
}

std::shared_ptr<TBitmap> TBitmap::WithBackground(TColor fill) const {
  std::vector<TColor> copy = pixels_;
  for (TColor& c : copy) {
    if ((c & 0xFFFFFF) == key_)
      c = fill & 0xFFFFFF;
  }
  return std::make_shared<TBitmap>(width_, height_, copy);
}

void DrawBitmap(HDC dc,
                const TBitmap& bitmap,
                const RECT& dest,
                const RECT& source,
                bool transparent) {
  if (bitmap.Empty())
    return;
  ScopedMemoryDC memory(dc);
  ScopedSelect select(memory.get(), bitmap.Handle());
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = source.right - source.left, sh = source.bottom - source.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
    return;
  if (transparent) {
    ::TransparentBlt(dc, dest.left, dest.top, dw, dh, memory.get(), source.left, source.top, sw, sh,
                     bitmap.TransparentColor());
  } else if (dw == sw && dh == sh) {
    ::BitBlt(dc, dest.left, dest.top, dw, dh, memory.get(), source.left, source.top, SRCCOPY);
  } else {
    int old = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, dest.left, dest.top, dw, dh, memory.get(), source.left, source.top, sw, sh,
                 SRCCOPY);
    ::SetStretchBltMode(dc, old);
  }
}

void DrawCell(HDC dc, const TBitmap& bitmap, int cells, int cell, int x, int y, bool transparent) {
  if (bitmap.Empty() || cells <= 0)
    return;
  int w = bitmap.Width() / cells;
  cell = std::clamp(cell, 0, cells - 1);
  RECT source{cell * w, 0, cell * w + w, bitmap.Height()};
  RECT dest{x, y, x + w, y + bitmap.Height()};
  DrawBitmap(dc, bitmap, dest, source, transparent);
}

}  // namespace kolvar::toolkit
