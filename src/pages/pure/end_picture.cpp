#include "pages/pure/end_picture.h"

#include <algorithm>
#include <cmath>

namespace kolvar::pages {

using toolkit::Rgb;
using toolkit::TColor;

namespace {

// Distance from (x, y) to the segment (ax, ay)-(bx, by).
double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
  double dx = bx - ax, dy = by - ay;
  double t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  double px = ax + t * dx - x, py = ay + t * dy - y;
  return std::sqrt(px * px + py * py);
}

TColor Mix(TColor a, TColor b, double t) {
  auto channel = [&](int ca, int cb) { return static_cast<int>(std::lround(ca + (cb - ca) * t)); };
  return Rgb(channel(toolkit::RedOf(a), toolkit::RedOf(b)),
             channel(toolkit::GreenOf(a), toolkit::GreenOf(b)),
             channel(toolkit::BlueOf(a), toolkit::BlueOf(b)));
}

}  // namespace

std::vector<TColor> EndPicturePixels(int width, int height) {
  if (width < 8 || height < 5)
    return {};
  std::vector<TColor> pixels(static_cast<size_t>(width) * height, kEndPictureKey);
  // Everything is laid out on the 128 × 80 grid and scaled.
  const double sx = width / 128.0, sy = height / 80.0;
  const TColor frame = Rgb(60, 66, 78), screenTop = Rgb(70, 120, 190),
               screenBottom = Rgb(170, 205, 240), stand = Rgb(110, 116, 128),
               check = Rgb(30, 160, 60), checkEdge = Rgb(250, 250, 250);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double gx = (x + 0.5) / sx, gy = (y + 0.5) / sy;
      TColor& out = pixels[static_cast<size_t>(y) * width + x];
      bool inFrame = gx >= 24 && gx < 104 && gy >= 4 && gy < 62;
      bool inScreen = gx >= 29 && gx < 99 && gy >= 9 && gy < 57;
      bool inNeck = gx >= 58 && gx < 70 && gy >= 62 && gy < 70;
      bool inFoot = gx >= 42 && gx < 86 && gy >= 70 && gy < 76;
      if (inScreen)
        out = Mix(screenTop, screenBottom, (gy - 9) / 48.0);
      else if (inFrame)
        out = frame;
      else if (inNeck || inFoot)
        out = stand;
      if (!inScreen)
        continue;
      double d = std::min(SegmentDistance(gx, gy, 46, 33, 59, 46),
                          SegmentDistance(gx, gy, 59, 46, 84, 17));
      if (d < 4.5)
        out = check;
      else if (d < 6.0)
        out = checkEdge;
    }
  }
  return pixels;
}

}  // namespace kolvar::pages
