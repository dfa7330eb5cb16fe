// Colour arithmetic shared by the toolkit's controls. No <windows.h> here.
//
// A colour is 0x00BBGGRR (low byte red). A top byte of 0xFF names a system colour whose low
// byte is the system colour index; such values are resolved (ResolveColor in toolkit/control.h)
// before anything is drawn with them.
#pragma once

#include <cstdint>

namespace kolvar::toolkit {

using TColor = uint32_t;

constexpr bool IsSystemColor(TColor color) {
  return (color >> 24) == 0xFF;
}
constexpr TColor SystemColor(int index) {
  return 0xFF000000u | static_cast<uint32_t>(index);
}
constexpr int SystemColorIndex(TColor color) {
  return static_cast<int>(color & 0xFF);
}

constexpr TColor Rgb(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(TColor c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(TColor c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

// Plain colours.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
// Marks "no colour chosen" where a colour may be left unset.
constexpr TColor clNone = 0x1FFFFFFF;

// System colours (the index is the platform's colour index).
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// Each channel c becomes max(0, c - c/n); black and n <= 0 leave the colour unchanged.
// System colours are returned unchanged (resolve them first).
TColor DarkenColor(TColor color, int n);
// Each channel c becomes min(255, c + (c + 255)/n); white and n <= 0 leave the colour unchanged.
TColor LightenColor(TColor color, int n);

// Colour of column (or row) `i` of a gradient `width` wide from `start` to `end`: each channel is
// start + ceil(i * (end - start) / width), limited to 0..255. A width of 0 or less gives `start`.
TColor GradientColor(TColor start, TColor end, int i, int width);

// value * numerator / denominator rounded half away from zero (the platform's MulDiv);
// 0 when the denominator is 0.
int ScaleValue(int value, int numerator, int denominator);

}  // namespace kolvar::toolkit
