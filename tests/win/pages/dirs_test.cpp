// The folders page and the folder picker under a user's hands, on real folders of the test
// prefix's C: drive.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "page_driver.h"
#include "pages/dir_dialog.h"
#include "pages/dirs.h"
#include "platform/files.h"
#include "platform/text.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using testing::ClickControl;
using testing::PressKey;

// A throwaway folder holding "Alfa" and "Beta", made the process's current folder (where the
// page opens the picker).
class PickerFolders {
 public:
  PickerFolders() {
    ::CreateDirectoryW((root / L"Alfa").c_str(), nullptr);
    ::CreateDirectoryW((root / L"Beta").c_str(), nullptr);
    ::GetCurrentDirectoryW(MAX_PATH, old_);
    ::SetCurrentDirectoryW(root.path().c_str());
  }
  ~PickerFolders() { ::SetCurrentDirectoryW(old_); }
  testing::TempFolder root{L"picker"};

 private:
  wchar_t old_[MAX_PATH] = {};
};

void PrepareState(uint8_t type, const std::wstring& program, const std::wstring& data) {
  auto& state = bootstrap::State();
  state.InstallType = type;
  state.ProposedProgramDir = program;
  state.ProposedDataDir = data;
  state.ProgramDir = L"-";
  state.DataDir = L"-";
}

// The picker while it is shown, or null after five seconds.
TDirDialog* WaitForPicker() {
  HWND window = testing::WaitForTitled(L"Alegeti calea!");
  if (!window || !testing::WaitForWindow(window))
    return nullptr;
  Settle(window);
  return dynamic_cast<TDirDialog*>(TWinControl::FromHandle(window));
}

// The screen point in the middle of line `index` of the folder tree.
POINT TreeLine(TDirDialog& picker, int index) {
  RECT r{};
  HWND list = picker.dirs->Handle();
  ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 4, (r.top + r.bottom) / 2};
  ::ClientToScreen(list, &p);
  return p;
}

int TreeIndexOf(TDirDialog& picker, const std::wstring& path) {
  for (int i = 0; i < picker.dirs->Count(); ++i) {
    if (EqualsNoCaseAscii(picker.dirs->ItemPath(i), path))
      return i;
  }
  return -1;
}

TEST(DirsPage, EachInstallTypeShowsItsFields) {
  struct Case {
    uint8_t type;
    const wchar_t* shot;
    bool data, memo, next;
  };
  for (const Case& c :
       {Case{bootstrap::kTypeLocal, L"pages-dirs-local.png", false, false, true},
        Case{bootstrap::kTypeServer, L"pages-dirs-server.png", true, false, true},
        Case{bootstrap::kTypeClient, L"pages-dirs-client.png", true, true, false}}) {
    SCOPED_TRACE(c.type);
    PrepareState(c.type, L"C:\\ProKolv", L"C:\\ProKolv\\Date");
    auto page = CreateForm<TDirs>();
    EXPECT_EQ(1, bootstrap::State().PageIndex);
    RunPage(*page, [&] {
      SaveShot(page->Handle(), c.shot);
      ClickControl(*page->BCancel);
    });
    EXPECT_EQ(L"C:\\ProKolv", page->RProgram->Text());
    EXPECT_EQ(c.data, page->RDate->Visible());
    EXPECT_EQ(c.data, page->BDate->Visible());
    EXPECT_EQ(c.memo, page->netmemo->Visible());
    EXPECT_EQ(c.next, page->BNext->Enabled());
    EXPECT_EQ(c.type == bootstrap::kTypeServer ? L"C:\\ProKolv\\Date" : L"", page->RDate->Text());
  }
}

TEST(DirsPage, ServerFoldersAreCreatedOneLevelOrThePageStaysSilently) {
  testing::TempFolder base(L"dirs");
  PrepareState(bootstrap::kTypeServer, base / L"Prog", base / L"Date");
  auto page = CreateForm<TDirs>();
  bool openAfterBadParent = false, messageShown = false;
  int result = RunPage(*page, [&] {
    page->RDate->SetText(base / L"Lipsa\\Date");
    ClickControl(*page->BNext);
    openAfterBadParent = StaysOpen(page->Handle());
    messageShown = ::FindWindowW(L"KolvarControl", L"Eroare!") != nullptr;
    page->RDate->SetText(base / L"Date");
    ClickControl(*page->BNext);
  });
  EXPECT_TRUE(openAfterBadParent);
  EXPECT_FALSE(messageShown);
  EXPECT_EQ(mrOk, result);
  EXPECT_TRUE(DirectoryExists(base / L"Prog"));
  EXPECT_TRUE(DirectoryExists(base / L"Date"));
  EXPECT_FALSE(DirectoryExists(base / L"Lipsa"));
  auto& state = bootstrap::State();
  EXPECT_EQ(base / L"Prog", state.ProgramDir);
  EXPECT_EQ(base / L"Date", state.DataDir);
  EXPECT_EQ(base / L"Date", state.ProposedDataDir);
}

TEST(DirsPage, ClientNeedsAnExistingDataFolderAndSaysSo) {
  testing::TempFolder base(L"dirs");
  ::CreateDirectoryW((base / L"Server").c_str(), nullptr);
  PrepareState(bootstrap::kTypeClient, base / L"Prog", L"");
  auto page = CreateForm<TDirs>();
  bool message = false, openAfterMessage = false, enabledByChange = false;
  int result = RunPage(*page, [&] {
    page->RDate->SetText(base / L"Lipsa");
    enabledByChange = testing::WaitUntil([&] { return page->BNext->Enabled(); }, 2000);
    ClickControl(*page->BNext);
    HWND dialog = testing::WaitForTitled(L"Eroare!");
    message = dialog != nullptr;
    if (dialog) {
      Settle(dialog);
      PressKey(VK_RETURN);
      testing::WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); });
    }
    openAfterMessage = StaysOpen(page->Handle());
    page->RDate->SetText(base / L"Server");
    ClickControl(*page->BNext);
  });
  EXPECT_TRUE(enabledByChange);
  EXPECT_TRUE(message);
  EXPECT_TRUE(openAfterMessage);
  EXPECT_EQ(mrOk, result);
  EXPECT_FALSE(DirectoryExists(base / L"Lipsa")) << "a client's data folder is never made";
  EXPECT_EQ(base / L"Server", bootstrap::State().DataDir);
}

TEST(DirsPage, AnEmptyProgramFieldKeepsThePageOpen) {
  PrepareState(bootstrap::kTypeLocal, L"", L"");
  auto page = CreateForm<TDirs>();
  bool open = false;
  int result = RunPage(*page, [&] {
    ClickControl(*page->BNext);
    open = StaysOpen(page->Handle());
    ClickControl(*page->BBack);
  });
  EXPECT_TRUE(open);
  EXPECT_EQ(mrRetry, result);
}

// "Alfa" and "Beta" exist in the current folder, yet the copy would run elsewhere: the page
// stays open with the refused field focused, first the program's, then the data's.
TEST(DirsPage, AFolderWithoutARootKeepsThePageOpenWithItsFieldFocused) {
  PickerFolders folders;
  testing::TempFolder base(L"rooted");
  PrepareState(bootstrap::kTypeServer, L"Alfa", base / L"Date");
  auto page = CreateForm<TDirs>();
  bool programOpen = false, programFocused = false, dataOpen = false, dataFocused = false;
  int result = RunPage(*page, [&] {
    ClickControl(*page->RDate);
    ClickControl(*page->BNext);
    programOpen = StaysOpen(page->Handle());
    programFocused = testing::HasFocus(*page->RProgram);
    page->RProgram->SetText(base / L"Prog");
    page->RDate->SetText(L"Beta");
    ClickControl(*page->RProgram);
    ClickControl(*page->BNext);
    dataOpen = StaysOpen(page->Handle());
    dataFocused = testing::HasFocus(*page->RDate);
    ClickControl(*page->BBack);
  });
  EXPECT_TRUE(programOpen);
  EXPECT_TRUE(programFocused);
  EXPECT_TRUE(dataOpen);
  EXPECT_TRUE(dataFocused);
  EXPECT_EQ(mrRetry, result);
  EXPECT_EQ(base / L"Date", bootstrap::State().DataDir);
}

TEST(FolderPicker, AnsweredByKeyboardFromTheProgramLabelsAccelerator) {
  PickerFolders folders;
  PrepareState(bootstrap::kTypeLocal, L"C:\\ProKolv", L"");
  auto page = CreateForm<TDirs>();
  bool startedHere = false, driveFollows = false;
  std::wstring afterCancel, afterAlfa;
  RunPage(*page, [&] {
    // Escape leaves the field alone.
    PressKey('P', ssAlt);
    if (TDirDialog* picker = WaitForPicker()) {
      startedHere = EqualsNoCaseAscii(picker->dirs->Directory(), folders.root.path());
      PressKey(VK_ESCAPE);
      testing::WaitUntil([&] { return !::IsWindowVisible(picker->HandleIfAllocated()); });
    }
    Settle(page->Handle());
    afterCancel = page->RProgram->Text();
    // Down to the first subfolder, Enter opens it, Alt+K answers.
    PressKey('P', ssAlt);
    if (TDirDialog* picker = WaitForPicker()) {
      SaveShot(picker->Handle(), L"pages-picker.png");
      PressKey(VK_DOWN);
      PressKey(VK_RETURN);
      testing::WaitUntil([&] { return picker->dirs->Directory() == folders.root / L"Alfa"; });
      PressKey('K', ssAlt);
    }
    testing::WaitUntil([&] { return page->RProgram->Text() != L"C:\\ProKolv"; });
    afterAlfa = page->RProgram->Text();
    Settle(page->Handle());
    // Home goes to the drive's root: the answer stays "C:\".
    PressKey('P', ssAlt);
    if (TDirDialog* picker = WaitForPicker()) {
      PressKey(VK_HOME);
      PressKey(VK_RETURN);
      testing::WaitUntil([&] { return picker->dirs->Directory() == L"C:\\"; });
      PressKey('K', ssAlt);
    }
    testing::WaitUntil([&] { return page->RProgram->Text().size() == 3; });
    Settle(page->Handle());
    // The drive list moves the tree to the drive it shows.
    PressKey('P', ssAlt);
    if (TDirDialog* picker = WaitForPicker()) {
      PressKey('D', ssAlt);
      PressKey(VK_END);
      testing::WaitUntil([&] { return picker->dirs->Drive() != L'C'; }, 2000);
      driveFollows = picker->dirs->Drive() == picker->DriveComboBox1->Drive() &&
                     picker->dirs->Directory().size() == 3;
      PressKey(VK_ESCAPE);
      testing::WaitUntil([&] { return !::IsWindowVisible(picker->HandleIfAllocated()); });
    }
    ClickControl(*page->BCancel);
  });
  EXPECT_TRUE(startedHere);
  EXPECT_EQ(L"C:\\ProKolv", afterCancel);
  EXPECT_EQ(folders.root / L"Alfa\\", afterAlfa);
  EXPECT_TRUE(driveFollows);
  EXPECT_EQ(L"C:\\", page->RProgram->Text());
}

TEST(FolderPicker, AnsweredByMouseFromTheDataButton) {
  PickerFolders folders;
  PrepareState(bootstrap::kTypeServer, L"C:\\ProKolv", L"C:\\ProKolv");
  auto page = CreateForm<TDirs>();
  RunPage(*page, [&] {
    ClickControl(*page->BDate);
    if (TDirDialog* picker = WaitForPicker()) {
      int beta = TreeIndexOf(*picker, folders.root / L"Beta");
      ASSERT_GE(beta, 0);
      POINT at = TreeLine(*picker, beta);
      testing::ClickAt(at);
      testing::ClickAt(at);
      testing::WaitUntil([&] { return picker->dirs->Directory() == folders.root / L"Beta"; });
      ClickControl(*picker->NiceButton1);
    }
    testing::WaitUntil([&] { return page->RDate->Text() != L"C:\\ProKolv"; });
    ClickControl(*page->BCancel);
  });
  EXPECT_EQ(folders.root / L"Beta\\", page->RDate->Text());
}

}  // namespace
}  // namespace kolvar::pages
