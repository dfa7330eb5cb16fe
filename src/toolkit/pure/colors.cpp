#include "toolkit/pure/colors.h"

#include <algorithm>
#include <cstdlib>

namespace kolvar::toolkit {
namespace {

template <typename F>
TColor PerChannel(TColor color, F f) {
  return Rgb(f(RedOf(color)), f(GreenOf(color)), f(BlueOf(color)));
}

// ceil(a / b) for b > 0 and any sign of a.
int CeilDiv(int a, int b) {
  int q = a / b;
  if (a % b != 0 && a > 0)
    ++q;
  return q;
}

}  // namespace

TColor DarkenColor(TColor color, int n) {
  if (IsSystemColor(color) || n <= 0 || (color & 0xFFFFFF) == 0)
    return color;
  return PerChannel(color, [n](int c) { return std::max(0, c - c / n); });
}

TColor LightenColor(TColor color, int n) {
  if (IsSystemColor(color) || n <= 0 || (color & 0xFFFFFF) == 0xFFFFFF)
    return color;
  return PerChannel(color, [n](int c) { return std::min(255, c + (c + 255) / n); });
}

TColor GradientColor(TColor start, TColor end, int i, int width) {
  if (width <= 0)
    return start & 0xFFFFFF;
  auto channel = [&](int s, int e) { return std::clamp(s + CeilDiv(i * (e - s), width), 0, 255); };
  return Rgb(channel(RedOf(start), RedOf(end)), channel(GreenOf(start), GreenOf(end)),
             channel(BlueOf(start), BlueOf(end)));
}

int ScaleValue(int value, int numerator, int denominator) {
  if (denominator == 0)
    return 0;
  long long product = static_cast<long long>(value) * numerator;
  long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  bool negative = (product < 0) != (denominator < 0);
  long long magnitude =
      (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace kolvar::toolkit
