// The install type page by mouse and keyboard: the first visit, coming back with a type
// chosen, leaving with Abandon.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "page_driver.h"
#include "pages/itype.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using testing::ClickControl;
using testing::PressKey;

TEST(ITypePage, FirstVisitNeedsAChoiceBeforeContinuing) {
  auto& state = bootstrap::State();
  state.InstallType = 0;
  state.PageIndex = 9;
  auto page = CreateForm<TIType>();
  EXPECT_EQ(0, state.PageIndex);
  bool disabledAtFirst = false, enabledAfterChoice = false;
  int result = RunPage(*page, [&] {
    disabledAtFirst = page->IType->ItemIndex() == -1 && !page->BNext->Enabled();
    SaveShot(page->Handle(), L"pages-itype-first.png");
    ClickControl(*page->IType->Button(1));
    testing::WaitUntil([&] { return page->BNext->Enabled(); }, 2000);
    enabledAfterChoice = page->IType->ItemIndex() == 1;
    ClickControl(*page->IType->Button(2));
    testing::WaitUntil([&] { return page->IType->ItemIndex() == 2; }, 2000);
    ClickControl(*page->BNext);
  });
  EXPECT_TRUE(disabledAtFirst);
  EXPECT_TRUE(enabledAfterChoice);
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(bootstrap::kTypeClient, state.InstallType);
}

TEST(ITypePage, KeyboardAloneChoosesAndContinues) {
  auto& state = bootstrap::State();
  state.InstallType = 0;
  auto page = CreateForm<TIType>();
  int result = RunPage(*page, [&] {
    PressKey(VK_SPACE);  // the first item holds the focus on a first visit
    testing::WaitUntil([&] { return page->BNext->Enabled(); }, 2000);
    PressKey('C', ssAlt);
  });
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(bootstrap::kTypeLocal, state.InstallType);
}

TEST(ITypePage, BackWithServerShowsItAndAbandonKeepsIt) {
  auto& state = bootstrap::State();
  for (bool abandon : {false, true}) {
    SCOPED_TRACE(abandon ? "Abandon" : "Continua");
    state.InstallType = bootstrap::kTypeServer;
    auto page = CreateForm<TIType>();
    bool shownAsServer = false;
    int result = RunPage(*page, [&] {
      shownAsServer = page->IType->ItemIndex() == 1 && page->BNext->Enabled() &&
                      page->IType->Button(1)->Checked();
      if (!abandon)
        SaveShot(page->Handle(), L"pages-itype-server.png");
      ClickControl(abandon ? static_cast<TControl&>(*page->BCancel) : *page->BNext);
    });
    EXPECT_TRUE(shownAsServer);
    EXPECT_EQ(abandon ? mrCancel : mrOk, result);
    EXPECT_EQ(bootstrap::kTypeServer, state.InstallType);
  }
}

}  // namespace
}  // namespace kolvar::pages
