// The asking pages on a screen of 144 dots per inch: each grows whole with its window, nothing
// stands out, is cut or lies under another part; each is pictured under build/artifacts.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "dbupgrade/upgrade_page.h"
#include "deploy/copy_pages.h"
#include "layout_audit.h"
#include "pages/dir_dialog.h"
#include "pages/dirs.h"
#include "pages/end_screen.h"
#include "pages/find_app.h"
#include "pages/itype.h"
#include "sysconfig/config_page.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;

// Shows `page` where the wizard puts its pages, looks it over and saves its picture as `shot`.
// `expected` is a fault the page's own design has at every size.
void LookOver(TMForm& page, const std::wstring& shot, const std::string& expected = "") {
  int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  page.SetBounds((sw - page.Width()) / 2, (sh - page.Height()) / 9 * 8, page.Width(),
                 page.Height());
  page.Show();
  testing::PumpFor(200);
  std::string faults;
  for (const std::string& fault : testing::AuditLayout(page))
    if (expected.empty() || fault.find(expected) == std::string::npos)
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

TEST(Pages144, WorkingPagesGrowWholeAndNothingIsCut) {
  ASSERT_EQ(144, ScreenDpi()) << "the group's prefix does not set 144 dots per inch";
  bootstrap::State().InstallType = 1;
  auto copy = CreateForm<deploy::TCopy>();
  LookOver(*copy, L"pages-144dpi-tcopy.png");
  auto config = CreateForm<sysconfig::TConfig>();
  // The group's task line is designed one pixel past the bottom of the page (at 165, 97, 18
  // high in a page 114 high); its text stays whole.
  LookOver(*config, L"pages-144dpi-tconfig.png", "TConfig/BGROUP:TPanel: stands out of its parent");
  auto find = CreateForm<TFindApp>();
  LookOver(*find, L"pages-144dpi-tfindapp.png");
  auto upgradeCopy = CreateForm<deploy::TUpgCopy>();
  LookOver(*upgradeCopy, L"pages-144dpi-tupgcopy.png");
  auto upgrade = CreateForm<dbupgrade::TUpgData>();
  for (TControl* mark : {upgrade->Lk1, upgrade->Lk2, upgrade->Lk3})
    mark->Show();
  LookOver(*upgrade, L"pages-144dpi-tupgdata.png");
}

}  // namespace
}  // namespace kolvar::pages
