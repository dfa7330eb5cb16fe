#include <gtest/gtest.h>

#include "toolkit/pure/captions.h"
#include "toolkit/pure/colors.h"
#include "toolkit/pure/layout.h"

namespace kolvar::toolkit {
namespace {

TEST(Captions, AcceleratorsAndStripping) {
  struct Case {
    const wchar_t* caption;
    wchar_t accel;
    const wchar_t* stripped;
  };
  const Case cases[] = {
      {L"&Continua", L'C', L"Continua"}, {L"O&K", L'K', L"OK"}, {L"A && B", 0, L"A & B"},
      {L"&&X &Y", L'Y', L"&X Y"},        {L"Fara", 0, L"Fara"}, {L"trailing&", 0, L"trailing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.caption)));
    EXPECT_EQ(c.accel, AcceleratorOf(c.caption));
    EXPECT_EQ(c.stripped, StripAccelerators(c.caption));
  }
  EXPECT_TRUE(IsAccelerator(L"I&esire", L'E'));
  EXPECT_FALSE(IsAccelerator(L"Iesire", L'I'));
}

TEST(Captions, HashBreaksLinesUnlessItIsTheWholeCaption) {
  EXPECT_EQ((std::vector<std::wstring>{L"Date", L"firma"}), SplitHashLines(L"Date#firma"));
  EXPECT_EQ((std::vector<std::wstring>{L"#"}), SplitHashLines(L"#"));
  EXPECT_EQ(3u, SplitHashLines(L"##").size());
  EXPECT_EQ(L"a\nb\nc", HashToLineBreaks(L"a#b#c"));
}

TEST(Layout, ProgressIsClampedAndPercentTruncated) {
  EXPECT_EQ(0, ClampProgress(-5, 0, 100));
  EXPECT_EQ(100, ClampProgress(150, 0, 100));
  EXPECT_EQ(33, PercentOf(1, 0, 3));
  EXPECT_EQ(100, PercentOf(500, 0, 3));
  EXPECT_EQ(0, PercentOf(5, 10, 10));  // empty range
  EXPECT_EQ(50, PercentOf(2000000000, 0, 2000000000) / 2);
}

TEST(Layout, PictureRectangles) {
  struct Case {
    bool stretch, proportional, center;
    Box expected;
  };
  // An 86 x 53 picture in a 43 x 43 control.
  const Case cases[] = {
      {false, false, false, {0, 0, 86, 53}},   {true, false, false, {0, 0, 43, 43}},
      {true, true, false, {0, 0, 43, 26}},     {true, true, true, {0, 8, 43, 26}},
      {false, false, true, {-21, -5, 86, 53}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, PictureRect(43, 43, 86, 53, c.stretch, c.proportional, c.center));
  }
}

// Text measured on a 144-dpi screen is laid out at 96 and scaled back: the length chosen must
// cover the text again, and be no longer than needed.
TEST(DesignLength, CoversTheMeasuredPixelsOnceScaled) {
  for (int ppi : {96, 120, 144, 192}) {
    for (int pixels = 1; pixels < 700; ++pixels) {
      int length = DesignLengthFor(pixels, ppi);
      ASSERT_GE(ScaleValue(length, ppi, 96), pixels) << ppi << " " << pixels;
      ASSERT_LT(ScaleValue(length - 1, ppi, 96), pixels) << ppi << " " << pixels;
    }
  }
  EXPECT_EQ(0, DesignLengthFor(0, 144));
  EXPECT_EQ(0, DesignLengthFor(-3, 144));
  EXPECT_EQ(200, DesignLengthFor(300, 144));
}

}  // namespace
}  // namespace kolvar::toolkit
