// The end page: its text, its picture and its two ways out.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "page_driver.h"
#include "pages/default_user.h"
#include "pages/end_screen.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using testing::ClickControl;
using testing::PressKey;

TEST(EndPage, ShowsTheDefaultUserAndEndsWithIesireOrGoesBack) {
  auto page = CreateForm<TEndScreen>();
  EXPECT_EQ(4, bootstrap::State().PageIndex);
  int result = RunPage(*page, [&] {
    SaveShot(page->Handle(), L"pages-end.png");
    PressKey('E', ssAlt);
  });
  EXPECT_EQ(mrOk, result);
  std::vector<std::wstring> lines = page->Memo1->Lines();
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(L"", lines[0]);
  EXPECT_EQ(L"Instalarea s-a terminat cu succes!", lines[1]);
  EXPECT_EQ(L"", lines[2]);
  EXPECT_EQ(L"Utilizator implicit:  \"Master\", ", lines[3]);
  EXPECT_EQ(std::wstring(L"cu parola de acces ") + kDefaultUserPassword, lines[4]);
  EXPECT_EQ(ScaleValue(128, page->PixelsPerInch(), 96), page->Image1->Width());
  EXPECT_EQ(ScaleValue(80, page->PixelsPerInch(), 96), page->Image1->Height());

  auto again = CreateForm<TEndScreen>();
  EXPECT_EQ(mrRetry, RunPage(*again, [&] { ClickControl(*again->BBack); }));
}

}  // namespace
}  // namespace kolvar::pages
