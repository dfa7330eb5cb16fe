#include "toolkit/pure/colors.h"

#include <gtest/gtest.h>

namespace kolvar::toolkit {
namespace {

TEST(Colors, DarkenAndLighten) {
  struct Case {
    TColor in;
    int n;
    TColor darker;
    TColor lighter;
  };
  const Case cases[] = {
      // black stays black when darkened; white stays white when lightened
      {0x000000, 4, 0x000000, Rgb(63, 63, 63)},
      {0xFFFFFF, 4, Rgb(192, 192, 192), 0xFFFFFF},
      // per channel, truncating: 0x5C -> 92 - 23 = 69; lighten: 92 + (92+255)/10 = 126
      {0x78695C, 4, Rgb(69, 79, 90), Rgb(178, 195, 213)},
      {0x78695C, 10, Rgb(83, 95, 108), Rgb(126, 141, 157)},
      // lightening clamps at 255
      {Rgb(250, 10, 0), 2, Rgb(125, 5, 0), Rgb(255, 142, 127)},
      // the message dialog's bar colour
      {0x825106, 3, Rgb(4, 54, 87), Rgb(93, 193, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(c.darker, DarkenColor(c.in, c.n));
    EXPECT_EQ(c.lighter, LightenColor(c.in, c.n));
  }
}

TEST(Colors, SystemColoursAndBadDivisorsAreLeftAlone) {
  EXPECT_EQ(clBtnFace, DarkenColor(clBtnFace, 3));
  EXPECT_EQ(clBtnFace, LightenColor(clBtnFace, 3));
  EXPECT_EQ(TColor{0x123456}, DarkenColor(0x123456, 0));
  EXPECT_EQ(TColor{0x123456}, LightenColor(0x123456, -2));
}

TEST(Colors, GradientColumnsFollowTheCeilingFormula) {
  const TColor start = 0x4D3004, end = 0xEFEFEF;
  const int width = 7;
  // Column 0 is the start colour; the last column is one step short of the end.
  EXPECT_EQ(start, GradientColor(start, end, 0, width));
  // Red: 4 + ceil(6 * 235 / 7) = 4 + 202 = 206; green 48 + ceil(6*191/7)=48+164=212;
  // blue 77 + ceil(6*162/7) = 77 + 139 = 216.
  EXPECT_EQ(Rgb(206, 212, 216), GradientColor(start, end, 6, width));
  // Falling channels round toward the start (ceil of a negative step).
  EXPECT_EQ(Rgb(200 - 14, 0, 0), GradientColor(Rgb(200, 0, 0), Rgb(100, 0, 0), 1, 7));
  EXPECT_EQ(Rgb(10, 0, 0), GradientColor(Rgb(10, 0, 0), Rgb(255, 0, 0), 5, 0));
  // Equal colours give a solid bar.
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(TColor{0x78695C}, GradientColor(0x78695C, 0x78695C, i, 20));
}

TEST(Colors, ScaleValueRoundsLikeMulDiv) {
  EXPECT_EQ(25, ScaleValue(25, 96, 96));
  EXPECT_EQ(31, ScaleValue(25, 120, 96));     // 31.25
  EXPECT_EQ(-15, ScaleValue(-11, 4, 3));      // -14.67
  EXPECT_EQ(102, ScaleValue(101, 101, 100));  // 102.01
  EXPECT_EQ(0, ScaleValue(5, 1, 0));
}

}  // namespace
}  // namespace kolvar::toolkit
