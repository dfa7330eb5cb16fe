// The wizard in upgrade mode, on a machine whose engine opens the alias "KOLVAR": the upgrade
// library unpacked and bound before the first page, the messages when it cannot be, and the
// question a CLIENT installation is asked on its way to the upgrade copy page.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "bootstrap/wizard.h"
#include "bootstrap/wizard_rules.h"
#include "deploy/zip_writer.h"
#include "engine_machine.h"
#include "platform/files.h"
#include "platform/text.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"
#include "win_test_support.h"
#include "wizard_pages.h"

namespace kolvar::bootstrap {
namespace {

using namespace testing;
using kolvar::testing::TempFolder;
using kolvar::testing::UserScript;

// What a message dialog showed: its caption, its text and its buttons.
struct SeenDialog {
  HWND window = nullptr;
  std::wstring text;
  std::vector<std::wstring> buttons;
};

// From the script thread: waits for the dialog titled `caption`, notes what it shows, takes a
// screenshot when `shot` is given, and answers with a click on the button captioned `answer`.
SeenDialog Answer(const std::wstring& caption,
                  const std::wstring& answer,
                  const wchar_t* shot = nullptr) {
  SeenDialog seen;
  HWND window = kolvar::testing::WaitForTitled(caption);
  auto* form = dynamic_cast<toolkit::TMessageForm*>(toolkit::TWinControl::FromHandle(window));
  if (!form)
    return seen;
  seen.window = window;
  if (toolkit::TControl* label = form->FindChild(L"Message"))
    seen.text = label->Caption();
  toolkit::TControl* clicked = nullptr;
  for (const wchar_t* name : {L"BtnDa", L"BtnNu", L"BtnOK", L"BtnRenunt", L"BtnAbandon"}) {
    if (toolkit::TControl* button = form->FindChild(name)) {
      seen.buttons.push_back(button->Caption());
      if (button->Caption() == answer)
        clicked = button;
    }
  }
  if (shot) {
    ::Sleep(600);
    kolvar::testing::SaveArtifact(kolvar::testing::CaptureScreen({0, 0, 1024, 768}), shot);
  }
  if (clicked)
    kolvar::testing::ClickControl(*clicked);
  return seen;
}

class UpgradeWizard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ForceDirectories(data_));
    kolvar::testing::WriteFile(
        engine_ / L"IDAPI32.CFG",
        kolvar::testing::AliasConfig("KOLVAR", "PARADOX", *WideToAnsiExact(data_)));
    machine_.Register(engine_ / L"IDAPI32.CFG");
    State().ExeDir = folder_.path() + L"\\";
    toolkit::MessageHeading.clear();
  }
  void TearDown() override { BoundUpgradeLibrary().Release(); }

  void PutLibrary(const std::wstring& source) {
    ASSERT_TRUE(CopyFileReplacing(source, folder_ / L"UPGRADE.DLL"));
  }
  // UPGRADE.ZIP holding the sample library, as the media run leaves it.
  void PutArchive() {
    deploy::MemorySink sink;
    deploy::ZipWriter zip(sink);
    zip.AddFile({"UPGRADE.DLL"},
                kolvar::testing::ReadFile(kolvar::testing::DistFile(L"upgrade\\UPGRADE.DLL")));
    zip.Finish();
    kolvar::testing::WriteFile(folder_ / L"UPGRADE.ZIP", sink.bytes);
  }

  kolvar::testing::EngineMachine machine_;
  TempFolder engine_{L"engine"};
  TempFolder folder_{L"private"};
  std::wstring data_ = engine_ / L"DATA";
};

TEST_F(UpgradeWizard, UnpacksAndBindsTheLibraryThenStartsAtTheLocatePage) {
  PutArchive();
  StartScript({2});
  RunWizard(TestPages());
  EXPECT_TRUE(State().UpgradeMode);
  EXPECT_EQ(VisitedPositions(), std::vector<int>{6});
  EXPECT_FALSE(FileExists(folder_ / L"UPGRADE.ZIP"));
  EXPECT_EQ(kolvar::testing::ReadFile(folder_ / L"UPGRADE.DLL"),
            kolvar::testing::ReadFile(kolvar::testing::DistFile(L"upgrade\\UPGRADE.DLL")));
  EXPECT_TRUE(BoundUpgradeLibrary().bound());
}

TEST_F(UpgradeWizard, WithoutArchiveOrLibraryItSaysSoAndShowsNoPage) {
  SeenDialog missing, unbound;
  {
    UserScript user([&] {
      missing = Answer(L"EROARE !", L"O&K");
      unbound = Answer(L"Program incomplet!", L"&Renunt");
    });
    StartScript({1});
    RunWizard(TestPages());
  }
  EXPECT_EQ(missing.text, L"Nu gasesc Upgrade.zip");
  EXPECT_EQ(missing.buttons, std::vector<std::wstring>{L"O&K"});
  EXPECT_EQ(unbound.text, L"Nu am putut incarca UPGRADE.DLL");
  EXPECT_EQ(unbound.buttons, std::vector<std::wstring>{L"&Renunt"});
  EXPECT_TRUE(VisitedPositions().empty());
  EXPECT_EQ(State().PageIndex, 5);
  EXPECT_FALSE(BoundUpgradeLibrary().bound());
}

TEST_F(UpgradeWizard, ALibraryLackingAnEntryPointIsRefusedTheSameWay) {
  PutLibrary(kolvar::testing::EnvPath(L"KOLVAR_BUILD") +
             L"\\testlibs\\upgrade_without_GetSemaforOK.dll");
  SeenDialog unbound;
  {
    UserScript user([&] { unbound = Answer(L"Program incomplet!", L"&Renunt"); });
    StartScript({1});
    RunWizard(TestPages());
  }
  EXPECT_EQ(unbound.text, L"Nu am putut incarca UPGRADE.DLL");
  EXPECT_TRUE(VisitedPositions().empty());
}

TEST_F(UpgradeWizard, AClientIsAskedAndOnNoSkipsTheDatabasePage) {
  PutLibrary(kolvar::testing::DistFile(L"upgrade\\UPGRADE.DLL"));
  toolkit::MessageHeading = L"Pentru continuare";  // left by a copy page's disk prompt
  Background background;
  SeenDialog question;
  {
    UserScript user(
        [&] { question = Answer(kClientQuestionCaption, L"&Nu", L"wizard-client-question.png"); });
    StartScript({1, 1, 1});
    Script().locateFindsType = 3;
    RunWizard(TestPages());
  }
  EXPECT_EQ(question.text, ClientQuestionText()) << "shown exactly, without a heading";
  EXPECT_EQ(question.buttons, (std::vector<std::wstring>{L"&Da", L"&Nu"}));
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{6, 7, 4}));
  EXPECT_EQ(State().InstallType, 3);
  EXPECT_EQ(toolkit::MessageHeading, L"PENTRU CONTINUARE");
}

TEST_F(UpgradeWizard, AClientThatSaysYesUpgradesTheServerDatabaseAndIsNotAskedAgain) {
  PutLibrary(kolvar::testing::DistFile(L"upgrade\\UPGRADE.DLL"));
  int asked = 0;
  {
    UserScript user([&] {
      // A second question would be answered too, and counted.
      for (int i = 0; i < 2; ++i) {
        SeenDialog seen = Answer(kClientQuestionCaption, L"&Da");
        asked += seen.window != nullptr;
        kolvar::testing::WaitUntil([&] { return !::IsWindowVisible(seen.window); });
      }
    });
    // Locate, copy, database, back to the copy page (no second question), database, end page.
    StartScript({1, 1, 4, 1, 1, 1});
    Script().locateFindsType = 3;
    RunWizard(TestPages());
  }
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{6, 7, 8, 7, 8, 4}));
  EXPECT_EQ(State().InstallType, 2);
}

}  // namespace
}  // namespace kolvar::bootstrap
