// Alt+H on the pages that take it shows the release instructions in front of the background
// window, Alt+M twice leaves them there, Esc and the close button put them away and the page has
// the keys again; the install type page leaves Alt+H alone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "bootstrap/edit_info.h"
#include "bootstrap/install_state.h"
#include "bootstrap/installer_window.h"
#include "dbupgrade/upgrade_page.h"
#include "deploy/copy_pages.h"
#include "instructions_sight.h"
#include "modal_end.h"
#include "page_driver.h"
#include "pages/end_screen.h"
#include "pages/itype.h"
#include "sysconfig/config_page.h"
#include "toolkit/application.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using bootstrap::TEditInfo;
using testing::PressKey;
using testing::WaitUntil;

// The background window as the temporary-folder run shows it, with the instructions of the
// version in a program folder of its own.
class Installer {
 public:
  Installer() {
    Application().SetMainForm(window_.get());
    window_->Show();
    testing::PumpFor(100);
  }
  ~Installer() { Application().SetMainForm(nullptr); }
  HWND Background() const { return window_->HandleIfAllocated(); }
  TEditInfo& Viewer() const { return *bootstrap::InstructionsViewer(); }

 private:
  testing::InstructionsFolder program_;
  std::unique_ptr<bootstrap::TInstaller> window_ = CreateForm<bootstrap::TInstaller>();
};

void Activate(HWND window) {
  ::SetForegroundWindow(window);
  Settle(window);
}

TEST(InstructionsChord, AltHShowsThemOnEveryPageThatTakesItUntilTheUserPutsThemAway) {
  bootstrap::State().InstallType = 1;
  Installer installer;
  TEditInfo& viewer = installer.Viewer();
  HWND background = installer.Background();
  struct Page {
    const wchar_t* name;
    std::function<std::unique_ptr<TMForm>()> make;
  } pages[] = {
      {L"TCopy", [] { return CreateForm<deploy::TCopy>(); }},
      {L"TConfig", [] { return CreateForm<sysconfig::TConfig>(); }},
      {L"TUpgCopy", [] { return CreateForm<deploy::TUpgCopy>(); }},
      {L"TUpgData", [] { return CreateForm<dbupgrade::TUpgData>(); }},
      {L"TEndScreen", [] { return CreateForm<TEndScreen>(); }},
  };
  bool byButton = false;
  for (const Page& each : pages) {
    SCOPED_TRACE(testing::Narrow(each.name));
    byButton = !byButton;
    std::unique_ptr<TMForm> page = each.make();
    HWND window = page->Handle();
    bool shown = false, afterAltM = false, putAway = false, pageHasKeys = false;
    int result = RunPage(*page, [&] {
      PressKey('H', ssAlt);
      WaitUntil([&] { return ::IsWindowVisible(viewer.HandleIfAllocated()) != FALSE; });
      shown = testing::InstructionsInSight(viewer);
      if (byButton)
        testing::SaveArtifact(testing::CaptureScreen({0, 0, 1024, 768}),
                              std::wstring(L"pages-alt-h-") + (each.name + 1) + L".png");
      // Back on the page (a click on the part the viewer leaves free): the background window
      // hidden and shown again.
      Activate(window);
      PressKey('M', ssAlt);
      WaitUntil([&] { return !::IsWindowVisible(background); });
      PressKey('M', ssAlt);
      WaitUntil([&] { return ::IsWindowVisible(background) != FALSE; });
      afterAltM = testing::InstructionsInSight(viewer);
      if (byButton) {
        testing::ClickControl(*viewer.NiceButton3);
      } else {
        Activate(viewer.HandleIfAllocated());
        PressKey(VK_ESCAPE);
      }
      putAway = WaitUntil([&] { return !::IsWindowVisible(viewer.HandleIfAllocated()); });
      // The keys are the page's again: Alt+M hides the background window.
      WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000);
      PressKey('M', ssAlt);
      pageHasKeys = WaitUntil([&] { return !::IsWindowVisible(background); }, 2000);
      PressKey('M', ssAlt);
      WaitUntil([&] { return ::IsWindowVisible(background) != FALSE; });
      EndModal(*page);
    });
    EXPECT_EQ(mrCancel, result);
    EXPECT_TRUE(shown) << "Alt+H did not bring the instructions in sight";
    EXPECT_TRUE(afterAltM) << "the instructions went out of sight after Alt+M twice";
    EXPECT_TRUE(putAway) << (byButton ? "the close button" : "Esc") << " left them open";
    EXPECT_TRUE(pageHasKeys) << "the page did not get the keys back";
    ::ShowWindow(background, SW_SHOW);
    viewer.Hide();
  }
}

TEST(InstructionsChord, TheInstallTypePageLeavesAltHAlone) {
  bootstrap::State().InstallType = 0;
  Installer installer;
  auto page = CreateForm<TIType>();
  bool opened = true;
  RunPage(*page, [&] {
    PressKey('H', ssAlt);
    opened = WaitUntil(
        [&] { return ::IsWindowVisible(installer.Viewer().HandleIfAllocated()) != FALSE; }, 800);
    EndModal(*page);
  });
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace kolvar::pages
