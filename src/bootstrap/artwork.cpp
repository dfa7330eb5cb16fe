// The background window's pictures, drawn with GDI into 32-bit bitmaps when the window is made:
// nothing to store, and they look the same at every colour depth. Each picture starts filled
// with a key colour that the top-left pixel keeps, so the transparent picture lets the window's
// colour through there.
#include <windows.h>

#include <cmath>
#include <functional>

#include "bootstrap/installer_window.h"
#include "platform/unique_handle.h"

namespace kolvar::bootstrap {

namespace {

using toolkit::TBitmap;
using toolkit::TPicture;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kSky = RGB(150, 196, 236);
constexpr COLORREF kDeepSky = RGB(70, 130, 196);
constexpr COLORREF kGold = RGB(246, 196, 64);

TPicture Draw(int width, int height, const std::function<void(HDC)>& paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap)
    return std::make_shared<TBitmap>();
  {
    ScopedMemoryDC dc(nullptr);
    ScopedSelect select(dc.get(), bitmap);
    RECT all{0, 0, width, height};
    ScopedBrush key(::CreateSolidBrush(kKey));
    ::FillRect(dc.get(), &all, key.get());
    ::SetBkMode(dc.get(), TRANSPARENT);
    paint(dc.get());
    ::SetPixel(dc.get(), 0, 0, kKey);
    ::GdiFlush();
  }
  return std::make_shared<TBitmap>(bitmap);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int width) {
  ScopedPen pen(::CreatePen(PS_SOLID, width, color));
  ScopedSelect select(dc, pen.get());
  ::MoveToEx(dc, x1, y1, nullptr);
  ::LineTo(dc, x2, y2);
}

void Disc(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge) {
  ScopedBrush brush(::CreateSolidBrush(fill));
  ScopedPen pen(::CreatePen(PS_SOLID, 1, edge));
  ScopedSelect b(dc, brush.get());
  ScopedSelect p(dc, pen.get());
  ::Ellipse(dc, left, top, right, bottom);
}

void Text(HDC dc,
          int x,
          int y,
          const wchar_t* text,
          int height,
          int weight,
          bool italic,
          COLORREF color,
          const wchar_t* face) {
  ScopedFont font(::CreateFontW(-height, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                DEFAULT_PITCH, face));
  ScopedSelect select(dc, font.get());
  ::SetTextColor(dc, color);
  ::TextOutW(dc, x, y, text, lstrlenW(text));
}

// One arched footbridge: a deck from `left` to `right` at `deck`, an arch rising `rise` above
// it, hangers from arch to deck and two piers down to the water at `water`.
void Bridge(HDC dc,
            int left,
            int right,
            int deck,
            int rise,
            int water,
            COLORREF arch,
            COLORREF hangers,
            int thickness) {
  int centre = (left + right) / 2;
  int half = (right - left) / 2 - 20;
  for (int x = centre - half + 14; x < centre + half; x += 18) {
    double t = double(x - centre) / half;
    int y = deck - int(rise * std::sqrt(1 - t * t));
    Line(dc, x, y, x, deck, hangers, 1);
  }
  ScopedPen pen(::CreatePen(PS_SOLID, thickness, arch));
  ScopedSelect select(dc, pen.get());
  ::Arc(dc, centre - half, deck - rise, centre + half, deck + rise, centre + half, deck,
        centre - half, deck);
  Line(dc, left, deck, right, deck, arch, thickness - 1);
  Line(dc, left, deck - 12, right, deck - 12, hangers, 1);
  for (int pier : {centre - half, centre + half})
    Line(dc, pier, deck, pier, water, arch, thickness + 2);
}

}  // namespace

TPicture BridgesPicture() {
  return Draw(446, 218, [](HDC dc) {
    Disc(dc, 356, 14, 410, 68, kGold, kGold);
    Bridge(dc, 190, 446, 118, 58, 176, kDeepSky, kDeepSky, 4);
    Bridge(dc, 6, 436, 150, 104, 182, kWhite, kSky, 6);
    // Water: broken wave lines, lighter toward the front.
    for (int row = 0; row < 5; ++row) {
      int y = 186 + row * 7;
      COLORREF color = row % 2 ? kSky : kDeepSky;
      for (int x = 8 + (row % 2) * 20; x < 438; x += 46) {
        POINT wave[9];
        for (int i = 0; i < 9; ++i)
          wave[i] = {x + i * 4, y + int(2 * std::sin(i * 0.8))};
        ScopedPen pen(::CreatePen(PS_SOLID, 1, color));
        ScopedSelect select(dc, pen.get());
        ::Polyline(dc, wave, 9);
      }
    }
  });
}

TPicture SoftwarePicture() {
  return Draw(197, 70, [](HDC dc) {
    Text(dc, 6, 4, L"software", 44, FW_BOLD, true, kWhite, L"Arial");
    Line(dc, 8, 58, 190, 58, kGold, 3);
    Line(dc, 60, 64, 190, 64, kSky, 1);
  });
}

TPicture CapPicture() {
  return Draw(65, 45, [](HDC dc) {
    // A fur cap with a white "i" badge.
    COLORREF fur = RGB(92, 58, 34);
    COLORREF light = RGB(150, 104, 64);
    Disc(dc, 4, 6, 50, 36, fur, fur);
    {
      ScopedBrush band(::CreateSolidBrush(light));
      RECT r{3, 27, 52, 38};
      ::FillRect(dc, &r, band.get());
    }
    for (int x = 8; x < 48; x += 5) {
      Line(dc, x, 10 + (x % 3), x + 2, 18 + (x % 4), light, 1);
      Line(dc, x + 1, 29, x + 3, 35, fur, 1);
    }
    Disc(dc, 40, 16, 63, 39, kWhite, kDeepSky);
    Text(dc, 48, 17, L"i", 20, FW_BOLD, false, kDeepSky, L"Arial");
  });
}

}  // namespace kolvar::bootstrap
