// The wizard in upgrade mode, on a machine whose engine opens the alias "KOLVAR": the upgrade
// library unpacked and bound before the first page, the messages when it cannot be, and the
// question a CLIENT installation is asked on its way to the upgrade copy page.
#include <windows.h>

#include <tlhelp32.h>

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

TEST_F(UpgradeWizard, ADamagedArchiveIsAnErrorForTheTopLevelAndNoPageIsShown) {
  kolvar::testing::WriteFile(folder_ / L"UPGRADE.ZIP", "PK\x03\x04 cut short");
  StartScript({1});
  EXPECT_THROW(RunWizard(TestPages()), Error);
  EXPECT_TRUE(VisitedPositions().empty());
}

// The copy the media run started (none: null).
HANDLE OpenCopy() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  HANDLE copy = nullptr;
  for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok && !copy;
       ok = ::Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, L"INSTKOLV.EXE") == 0)
      copy = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                           entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return copy;
}

TEST_F(UpgradeWizard, AnErrorThatEscapesTheWizardIsReportedAndTheProgramEndsCleanly) {
  TempFolder media(L"media"), temp(L"temp");
  ASSERT_TRUE(CopyFileReplacing(kolvar::testing::DistFile(L"INSTALL.EXE"), media / L"INSTALL.EXE"));
  kolvar::testing::WriteFile(media / L"UPGRADE.1", "PK\x03\x04 cut short");
  ::SetEnvironmentVariableW(L"TMP", temp.path().c_str());
  ::SetEnvironmentVariableW(L"TEMP", temp.path().c_str());
  EXPECT_EQ(kolvar::testing::RunAndWait(L"\"" + (media / L"INSTALL.EXE") + L"\""), 0);
  HANDLE copy = nullptr;
  kolvar::testing::WaitUntil([&] { return (copy = OpenCopy()) != nullptr; });
  ASSERT_TRUE(copy);
  // The general error report: a message box of the copy, over the background window.
  HWND report = nullptr;
  kolvar::testing::WaitUntil(
      [&] {
        report = ::FindWindowW(L"#32770", L"KOLVAR");
        return report && ::IsWindowVisible(report);
      },
      15000);
  EXPECT_TRUE(report) << "no error report";
  if (report)
    ::PostMessageW(report, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(::WaitForSingleObject(copy, 15000), WAIT_OBJECT_0) << "the program did not end";
  DWORD code = 99;
  ::GetExitCodeProcess(copy, &code);
  EXPECT_EQ(code, 0u);
  ::TerminateProcess(copy, 0);
  ::CloseHandle(copy);
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
