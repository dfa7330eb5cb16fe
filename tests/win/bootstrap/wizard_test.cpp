// The wizard driver and the background window on screen: pages shown in turn at their place in
// front of the background window, moved by their results; a missing page; a page that fails;
// the background window's layout, pictures and typeface.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "bootstrap/edit_info.h"
#include "bootstrap/install_state.h"
#include "bootstrap/installer_window.h"
#include "bootstrap/main_window.h"
#include "bootstrap/wizard.h"
#include "instructions_sight.h"
#include "modal_end.h"
#include "platform/files.h"
#include "platform/install_log_file.h"
#include "platform/registry.h"
#include "sight.h"
#include "toolkit/application.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"
#include "win_test_support.h"
#include "wizard_pages.h"

namespace kolvar::bootstrap {
namespace {

using kolvar::shots::DescribeSight;
using namespace testing;
using kolvar::testing::TempFolder;
using kolvar::testing::UserScript;

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    State().ExeDir = folder_.path() + L"\\";
    toolkit::MessageHeading.clear();
  }
  TempFolder folder_{L"wizard"};
};

TEST_F(Wizard, ShowsEachPageAtItsPlaceAndMovesByItsResult) {
  kolvar::testing::WriteFile(folder_ / L"UPGRADE.ZIP", "left by the media run");
  kolvar::testing::WriteFile(folder_ / L"INSTKOLV.CFG", "[General]\r\nNrDiscuri=3\r\n");
  Background background;
  // Forward, back, forward twice, a result that shows the copy page again, then to the end.
  StartScript({1, 4, 1, 1, 7, 1, 1, 1});
  RunWizard(TestPages());
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{0, 1, 0, 1, 2, 2, 3, 4}));
  EXPECT_EQ(State().PageIndex, 5);
  EXPECT_EQ(Script().alive, 0) << "a page window outlived its visit";
  EXPECT_FALSE(State().UpgradeMode) << "no engine on this machine";
  EXPECT_FALSE(FileExists(folder_ / L"UPGRADE.ZIP")) << "a new installation keeps no archive";
  EXPECT_EQ(State().DiskCount, 3);
  int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  for (const Visit& v : Script().visits) {
    SCOPED_TRACE(v.position);
    EXPECT_EQ(v.left, (screenWidth - v.width) / 2);
    EXPECT_EQ(v.top, (screenHeight - v.height) / 9 * 8);
  }
}

TEST_F(Wizard, CancelEndsAndBackOnTheFirstPageStays) {
  StartScript({4, 1, 2});
  RunWizard(TestPages());
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(State().PageIndex, 5);
}

TEST_F(Wizard, APageThatFailsIsDestroyedAndItsErrorTravelsOn) {
  StartScript({1, 1});
  Script().throwAt = 2;
  EXPECT_THROW(RunWizard(TestPages()), Error);
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Script().alive, 0);
}

TEST_F(Wizard, APositionWithoutAPageEndsTheWizardWithAMessage) {
  PageTable pages = TestPages();
  pages[2] = nullptr;
  StartScript({1, 1});
  std::wstring seen;
  UserScript user([&] {
    HWND dialog = kolvar::testing::WaitForTitled(L"Program incomplet!", 15000);
    if (auto* form =
            dynamic_cast<toolkit::TMessageForm*>(toolkit::TWinControl::FromHandle(dialog))) {
      if (toolkit::TControl* label = form->FindChild(L"Message"))
        seen = label->Caption();
    }
    kolvar::testing::PressKey(VK_RETURN);
  });
  RunWizard(pages);
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{0, 1}));
  EXPECT_EQ(State().PageIndex, 5);
  EXPECT_EQ(seen, MissingPageText(2));
}

// A user who may not write HKEY_LOCAL_MACHINE\SOFTWARE (the test forces the answer: Wine's
// user may) hears it before any page and before anything changes; the log says why.
TEST_F(Wizard, AUserWhoMayNotWriteTheMachineKeyIsToldBeforeAnythingChanges) {
  kolvar::testing::WriteFile(folder_ / L"UPGRADE.ZIP", "left by the media run");
  OpenInstallLog(folder_ / L"INSTKOLV.LOG", L"D:\\", L"3200879.02");
  Background background;
  struct DenyWriteAccess {
    DenyWriteAccess() { DenyWriteAccessForTests = true; }
    ~DenyWriteAccess() { DenyWriteAccessForTests = false; }
  } deny;
  std::wstring seen;
  UserScript user([&] {
    HWND dialog = kolvar::testing::WaitForTitled(kNoRightsCaption, 15000);
    ::Sleep(300);
    kolvar::testing::SaveArtifact(kolvar::testing::CaptureScreen({0, 0, 1024, 768}),
                                  L"wizard-no-administrator-rights.png");
    if (auto* form =
            dynamic_cast<toolkit::TMessageForm*>(toolkit::TWinControl::FromHandle(dialog))) {
      if (toolkit::TControl* label = form->FindChild(L"Message"))
        seen = label->Caption();
    }
    kolvar::testing::PressKey(VK_RETURN);
  });
  // Should the message not come, the first page quits.
  StartScript({2});
  RunWizard(TestPages());
  CloseInstallLog();
  EXPECT_EQ(seen, NoRightsText());
  EXPECT_TRUE(VisitedPositions().empty());
  EXPECT_EQ(State().PageIndex, 5);
  EXPECT_TRUE(FileExists(folder_ / L"UPGRADE.ZIP")) << "changed before the user was told";
  std::string log = kolvar::testing::ReadFile(folder_ / L"INSTKOLV.LOG");
  for (const char* line : {"stopped before the first page: HKEY_LOCAL_MACHINE\\SOFTWARE cannot be "
                           "written",
                           "an administrator must run the installation", "end: no page was shown"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\nin the log:\n" << log;
}

// The probe itself: the machine key is writable for Wine's user, and asking about a key that
// does not exist neither succeeds nor makes it.
TEST(WriteAccess, OpensForWritingWithoutWritingAnything) {
  EXPECT_EQ(WriteAccessResult(HKEY_LOCAL_MACHINE, L"SOFTWARE"), static_cast<DWORD>(ERROR_SUCCESS));
  const wchar_t kMissing[] = L"Software\\KolvarWriteProbeTest\\Missing";
  EXPECT_EQ(WriteAccessResult(HKEY_CURRENT_USER, kMissing),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, kMissing));
  EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\KolvarWriteProbeTest"));
}

TEST_F(Wizard, TheInstructionsStayInSightWhenTheNextPageOpensAndAMessageComesAndGoes) {
  kolvar::testing::InstructionsFolder program;
  Background background;
  TEditInfo* viewer = InstructionsViewer();
  bool nextPage = false, afterMessage = false;
  std::string whyNot;
  kolvar::shots::Sight question;
  UserScript user([&] {
    HWND next = kolvar::testing::WaitForTitled(TTestPage::Title(3), 15000);
    nextPage = kolvar::testing::InstructionsInSight(*viewer, &whyNot);
    kolvar::testing::SaveArtifact(kolvar::testing::CaptureScreen({0, 0, 1024, 768}),
                                  L"wizard-instructions-next-page.png");
    ::PostMessageW(next, TTestPage::kAskMessage, 0, 0);
    HWND dialog = kolvar::testing::WaitForTitled(TTestPage::kQuestionCaption);
    ::Sleep(300);
    question = kolvar::shots::LookAt(dialog);
    kolvar::testing::PressKey(VK_RETURN);
    kolvar::testing::WaitUntil([&] { return !::IsWindowVisible(dialog); });
    afterMessage = kolvar::testing::InstructionsInSight(*viewer, &whyNot);
    if (auto* page = dynamic_cast<toolkit::TMForm*>(toolkit::TWinControl::FromHandle(next)))
      toolkit::EndModal(*page);
  });
  // The copy page shows the instructions and ends; the configuration page waits.
  StartScript({1, 1, 1, kWaitForUser});
  Script().instructionsAt = 2;
  RunWizard(TestPages());
  EXPECT_EQ(VisitedPositions(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(nextPage) << "the next page open: " << whyNot;
  EXPECT_TRUE(question.InSight()) << "the question "
                                  << kolvar::testing::Narrow(DescribeSight(question));
  EXPECT_TRUE(afterMessage) << "the message closed: " << whyNot;
}

// The background window with a client area of 1024 × 768 at the screen's origin.
void FitClientToScreen(TInstaller& window) {
  int border = window.Width() - window.ClientWidth();
  window.SetBounds(-border / 2, -border / 2, 1024 + border, 768 + border);
  kolvar::testing::PumpFor(150);
}

TEST(Background, LayoutPicturesAndVersionAsDesigned) {
  Background background;
  EXPECT_EQ(background->Width(), ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(background->Height(), ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(background->VerLbl->Caption(), L"ver.3200879.02");
  FitClientToScreen(*background);
  ASSERT_EQ(background->ClientWidth(), 1024);
  ASSERT_EQ(background->ClientHeight(), 768);
  EXPECT_EQ(background->Panou->Left(), 137);
  EXPECT_EQ(background->Panou->Top(), 119);
  kolvar::testing::Shot screen = kolvar::testing::CaptureScreen({0, 0, 1024, 768});
  kolvar::testing::SaveArtifact(screen, L"wizard-background-1024x768.png");
  ASSERT_EQ(screen.width, 1024);
  // Seen by the pixels: the sun of the bridges picture and the bridges' white deck, at their
  // places in the panel at (137, 119); the background colour outside it.
  auto at = [&](int x, int y) { return screen.At(x, y) & 0xFFFFFF; };
  EXPECT_EQ(at(137 + 226 + 383, 119 - 3 + 41), 0x40C4F6u) << "sun";
  EXPECT_EQ(at(137 + 226 + 60, 119 - 3 + 150), 0xFFFFFFu) << "deck";
  EXPECT_EQ(at(60, 60), static_cast<uint32_t>(kInstallerColor)) << "background";
  EXPECT_EQ(at(137 + 226 + 200, 119 - 3 + 5), static_cast<uint32_t>(kInstallerColor))
      << "transparent corner of the picture";
}

TEST(Background, LogoLabelUsesTheEmbeddedTypeface) {
  Background background;
  ASSERT_TRUE(background->HasLogoFont());
  EXPECT_TRUE(LoadFontResource(kLogoFontResource)) << "registered once, stays registered";
  FitClientToScreen(*background);
  RECT logo{137 + 15, 119 + 203, 137 + 15 + 638, 119 + 203 + 120};
  kolvar::testing::Shot embedded = kolvar::testing::CaptureScreen(logo);
  // The same label in the designed font when the typeface is not there: the system's fallback.
  toolkit::TFont fallback = background->lProKOLVAR->Font();
  fallback.Name = L"Kolvar fallback test face";
  fallback.Style = toolkit::fsBold;
  fallback.Height = -104;
  background->lProKOLVAR->SetFont(fallback);
  kolvar::testing::PumpFor(150);
  kolvar::testing::Shot designed = kolvar::testing::CaptureScreen(logo);
  ASSERT_EQ(embedded.pixels.size(), designed.pixels.size());
  size_t differing = 0, white = 0;
  for (size_t i = 0; i < embedded.pixels.size(); ++i) {
    differing += embedded.pixels[i] != designed.pixels[i];
    white += (embedded.pixels[i] & 0xFFFFFF) == 0xFFFFFF;
  }
  EXPECT_GT(white, 3000u) << "the logo text is drawn in white";
  EXPECT_GT(differing, 1000u) << "the embedded typeface looks like the fallback";
  // The system knows the family by the name the window asks for.
  toolkit::TFont logoFont;
  logoFont.Name = kLogoFontFamily;
  wchar_t face[64] = L"";
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, logoFont.Handle());
  ::GetTextFaceW(dc, 64, face);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  EXPECT_STREQ(face, kLogoFontFamily);
}

TEST(Background, TogglesAndTellsItsPlace) {
  MainWindowPlace place;
  EXPECT_FALSE(GetMainWindowPlace(place)) << "no background window yet";
  {
    Background background;
    ASSERT_TRUE(GetMainWindowPlace(place));
    EXPECT_EQ(place.Width, background->Width());
    EXPECT_EQ(place.PanouTop, background->Panou->Top());
    EXPECT_EQ(place.PanouHeight, 499);
    ToggleMainWindow();
    EXPECT_FALSE(::IsWindowVisible(background->Handle()));
    ToggleMainWindow();
    EXPECT_TRUE(::IsWindowVisible(background->Handle()));
  }
  EXPECT_FALSE(GetMainWindowPlace(place));
  ToggleMainWindow();  // nothing to toggle: no harm
}

TEST(Background, TheCapShowsTheInstructions) {
  kolvar::testing::InstructionsFolder program;
  Background background;
  TEditInfo* viewer = InstructionsViewer();
  ASSERT_TRUE(viewer) << "the viewer is made with the background window";
  EXPECT_FALSE(viewer->Visible());
  kolvar::testing::ClickControl(*background->caciula_i);
  EXPECT_TRUE(kolvar::testing::PumpUntil([&] { return viewer->Visible(); }));
  // In front of the background window the user has just clicked.
  std::string whyNot;
  bool inSight = false;
  {
    std::atomic<bool> done{false};
    UserScript user([&] {
      inSight = kolvar::testing::InstructionsInSight(*viewer, &whyNot);
      done = true;
    });
    kolvar::testing::PumpUntil([&] { return done.load(); });
  }
  EXPECT_TRUE(inSight) << whyNot;
}

// The processes of the copy the media run started.
std::set<DWORD> CopyProcesses() {
  std::set<DWORD> ids;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
    if (lstrcmpiW(entry.szExeFile, L"INSTKOLV.EXE") == 0)
      ids.insert(entry.th32ProcessID);
  ::CloseHandle(snapshot);
  return ids;
}

struct CopyWindows {
  std::set<DWORD> copies;
  HWND background = nullptr;  // visible and covering the screen
  HWND front = nullptr;       // any other visible window of the copy
};

BOOL CALLBACK FindCopyWindow(HWND window, LPARAM context) {
  auto& found = *reinterpret_cast<CopyWindows*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (!found.copies.count(process) || !::IsWindowVisible(window))
    return TRUE;
  RECT r;
  ::GetWindowRect(window, &r);
  bool covers = r.left <= 0 && r.top <= 0 && r.right >= ::GetSystemMetrics(SM_CXSCREEN) &&
                r.bottom >= ::GetSystemMetrics(SM_CYSCREEN);
  (covers ? found.background : found.front) = window;
  return TRUE;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = L"";
  ::GetWindowTextW(window, text, 256);
  return text;
}

TEST(MediaRun, TheBackgroundCoversTheScreenAndTheFirstPageComesInFront) {
  TempFolder media(L"media"), temp(L"temp");
  ASSERT_TRUE(CopyFileReplacing(kolvar::testing::DistFile(L"INSTALL.EXE"), media / L"INSTALL.EXE"));
  ::SetEnvironmentVariableW(L"TMP", temp.path().c_str());
  ::SetEnvironmentVariableW(L"TEMP", temp.path().c_str());
  EXPECT_EQ(kolvar::testing::RunAndWait(L"\"" + (media / L"INSTALL.EXE") + L"\""), 0);
  CopyWindows found;
  kolvar::testing::WaitUntil(
      [&] {
        found = CopyWindows{CopyProcesses()};
        ::EnumWindows(&FindCopyWindow, reinterpret_cast<LPARAM>(&found));
        return found.background && found.front;
      },
      15000);
  ::Sleep(300);
  kolvar::testing::SaveArtifact(kolvar::testing::CaptureScreen({0, 0, 1024, 768}),
                                L"wizard-first-page.png");
  EXPECT_TRUE(found.background) << "no background window over the screen";
  ASSERT_TRUE(found.front) << "nothing in front of the background window";
  EXPECT_EQ(WindowText(found.background), L"KOLVAR");
  RECT page;
  ::GetWindowRect(found.front, &page);
  int width = page.right - page.left, height = page.bottom - page.top;
  // Position 0 of a new installation: the install type page, or the message that the program
  // lacks it.
  if (WindowText(found.front) != L"Program incomplet!") {
    EXPECT_EQ(WindowText(found.front), L"Alegeti tipul instalarii!");
    EXPECT_EQ(page.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(page.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 9 * 8);
  }
  for (DWORD id : found.copies) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    ::TerminateProcess(process, 0);
    ::WaitForSingleObject(process, 5000);
    ::CloseHandle(process);
  }
}

}  // namespace
}  // namespace kolvar::bootstrap
