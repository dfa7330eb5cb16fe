#include "toolkit/pure/layout.h"

#include <algorithm>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

int ClampProgress(int progress, int minValue, int maxValue) {
  return std::max(minValue, std::min(progress, maxValue));
}

int PercentOf(int progress, int minValue, int maxValue) {
  if (maxValue <= minValue)
    return 0;
  long long done = static_cast<long long>(ClampProgress(progress, minValue, maxValue)) - minValue;
  return static_cast<int>(done * 100 / (static_cast<long long>(maxValue) - minValue));
}

int DesignLengthFor(int pixels, int ppi) {
  if (pixels <= 0 || ppi <= 0)
    return std::max(0, pixels);
  int length = static_cast<int>(static_cast<long long>(pixels) * 96 / ppi);
  while (ScaleValue(length, ppi, 96) < pixels)
    ++length;
  return length;
}

Box PictureRect(int cw, int ch, int pw, int ph, bool stretch, bool proportional, bool center) {
  Box r{0, 0, pw, ph};
  if (stretch) {
    r.w = cw;
    r.h = ch;
    if (proportional && pw > 0 && ph > 0) {
      // Fit by the side that limits: compare cw/pw with ch/ph without division.
      if (static_cast<long long>(cw) * ph <= static_cast<long long>(ch) * pw) {
        r.w = cw;
        r.h = static_cast<int>(static_cast<long long>(ph) * cw / pw);
      } else {
        r.h = ch;
        r.w = static_cast<int>(static_cast<long long>(pw) * ch / ph);
      }
    }
  }
  if (center) {
    r.x = (cw - r.w) / 2;
    r.y = (ch - r.h) / 2;
  }
  return r;
}

}  // namespace kolvar::toolkit
