// The asking pages on a screen of 144 dots per inch: each grows whole with its window, nothing
// stands out, is cut or lies under another part; each is pictured under build/artifacts.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "layout_audit.h"
#include "pages/dir_dialog.h"
#include "pages/dirs.h"
#include "pages/end_screen.h"
#include "pages/itype.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;

// Shows `page` where the wizard puts its pages, looks it over and saves its picture as `shot`.
void LookOver(TMForm& page, const std::wstring& shot) {
  int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  page.SetBounds((sw - page.Width()) / 2, (sh - page.Height()) / 9 * 8, page.Width(),
                 page.Height());
  page.Show();
  testing::PumpFor(200);
  std::string faults;
  for (const std::string& fault : testing::AuditLayout(page))
    faults += fault + "\n";
  EXPECT_EQ("", faults);
  testing::SaveArtifact(testing::CaptureWindow(page.Handle()), shot);
  page.Hide();
}

TEST(Pages144, AskingPagesGrowWholeAndNothingIsCut) {
  ASSERT_EQ(144, ScreenDpi()) << "the group's prefix does not set 144 dots per inch";
  auto& state = bootstrap::State();
  for (uint8_t type : {bootstrap::kTypeNone, uint8_t{2}}) {
    SCOPED_TRACE(type);
    state.InstallType = type;
    auto page = CreateForm<TIType>();
    EXPECT_EQ(956, page->ClientWidth());
    EXPECT_EQ(171, page->ClientHeight());
    LookOver(*page, type ? L"pages-144dpi-titype-server.png" : L"pages-144dpi-titype.png");
  }
  const wchar_t* names[] = {L"", L"local", L"server", L"client"};
  for (uint8_t type : {1, 2, 3}) {
    SCOPED_TRACE(type);
    state.InstallType = type;
    state.ProposedProgramDir = L"C:\\Program Files\\Kolvar\\";
    state.ProposedDataDir = L"C:\\Program Files\\Kolvar\\Date\\";
    auto page = CreateForm<TDirs>();
    LookOver(*page, std::wstring(L"pages-144dpi-tdirs-") + names[type] + L".png");
  }
  auto picker = CreateForm<TDirDialog>();
  LookOver(*picker, L"pages-144dpi-picker.png");
  auto end = CreateForm<TEndScreen>();
  LookOver(*end, L"pages-144dpi-tendscreen.png");
}

}  // namespace
}  // namespace kolvar::pages
