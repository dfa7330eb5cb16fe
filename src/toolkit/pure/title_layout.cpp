#include "toolkit/pure/title_layout.h"

#include <cmath>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

int TitleBarHeight(double scara) {
  return static_cast<int>(std::lround(25 * scara));
}

int TitleFontSize(double scara) {
  return scara == 1.0 ? 10 : 11;
}

int TitleIconSpace(bool hasIcon, int iconFaceWidth, int ppi) {
  return ScaleValue(hasIcon ? iconFaceWidth / 2 + 15 : 10, ppi, 96);
}

int TitleCaptionWidth(int barWidth, int iconSpace, int ppi) {
  return barWidth - iconSpace - ScaleValue(10, ppi, 96);
}

int TitleCaptionLeft(double scara, int iconSpace) {
  return static_cast<int>(std::lround(5 * scara)) + iconSpace;
}

HitZone FramelessHitTest(int x,
                         int y,
                         int w,
                         int h,
                         int clientLeft,
                         int clientTop,
                         bool resizable,
                         int ppi) {
  const int kEdge = ScaleValue(6, ppi, 96);
  if (resizable) {
    bool left = x < kEdge, right = x >= w - kEdge, top = y < kEdge, bottom = y >= h - kEdge;
    if (top && left)
      return HitZone::kTopLeft;
    if (top && right)
      return HitZone::kTopRight;
    if (bottom && left)
      return HitZone::kBottomLeft;
    if (bottom && right)
      return HitZone::kBottomRight;
    if (top)
      return HitZone::kTop;
    if (left)
      return HitZone::kLeft;
    if (bottom)
      return HitZone::kBottom;
    if (right)
      return HitZone::kRight;
  }
  int cy = y - clientTop;
  if (cy >= 0 && cy < ScaleValue(50, ppi, 96) && x >= clientLeft && x < w - clientLeft)
    return HitZone::kCaption;
  return HitZone::kClient;
}

}  // namespace kolvar::toolkit
