// The end page's picture at the page's size on screens of different scales.
#include "pages/pure/end_picture.h"

#include <gtest/gtest.h>

namespace kolvar::pages {
namespace {

TEST(EndPicture, KeepsItsLayoutAtEveryScale) {
  for (int scale : {2, 3, 4}) {  // 96, 144 and 192 dots per inch
    int w = kEndPictureWidth * scale / 2, h = kEndPictureHeight * scale / 2;
    SCOPED_TRACE(w);
    std::vector<toolkit::TColor> p = EndPicturePixels(w, h);
    ASSERT_EQ(static_cast<size_t>(w) * h, p.size());
    auto at = [&](int gx, int gy) {
      return p[static_cast<size_t>(gy * h / 80) * w + gx * w / 128];
    };
    // The corners are left out when drawn; the check mark's corner is green on the screen.
    EXPECT_EQ(kEndPictureKey, p.front());
    EXPECT_EQ(kEndPictureKey, p.back());
    EXPECT_EQ(toolkit::Rgb(30, 160, 60), at(59, 45));
    EXPECT_NE(kEndPictureKey, at(64, 66)) << "the stand";
    EXPECT_EQ(kEndPictureKey, at(10, 40)) << "beside the screen";
  }
  EXPECT_TRUE(EndPicturePixels(0, 0).empty());
}

}  // namespace
}  // namespace kolvar::pages
