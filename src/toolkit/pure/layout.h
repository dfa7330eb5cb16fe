// Layout arithmetic of the plain controls. No <windows.h> here.
#pragma once

namespace kolvar::toolkit {

struct Box {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// `progress` kept within [min, max] (min wins when max < min).
int ClampProgress(int progress, int minValue, int maxValue);
// Whole percent of `progress` between `minValue` and `maxValue`, truncated; 0 for an empty range.
int PercentOf(int progress, int minValue, int maxValue);

// The smallest length at 96 dots per inch that, scaled to `ppi`, still covers `pixels` (text
// measured on the screen, laid out with lengths at 96 and scaled afterwards). `pixels` itself at
// 96; 0 for a length of 0 or less.
int DesignLengthFor(int pixels, int ppi);

// Where a picture of pw × ph goes in a control of cw × ch: its own size at the top-left; with
// `stretch` the whole control, or with `proportional` as well the largest rectangle of the
// picture's aspect ratio that fits (sizes truncated); with `center` that rectangle is centred.
Box PictureRect(int cw, int ch, int pw, int ph, bool stretch, bool proportional, bool center);

}  // namespace kolvar::toolkit
