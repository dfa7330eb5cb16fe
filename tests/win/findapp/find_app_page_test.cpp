// The locate page under a user's hands, on real drives: C: and E: fixed, N: a network drive
// (prepare_drives.sh). The alias path comes from a stand-in for the upgrade library's entry.
#include "pages/dir_dialog.h"
#include "pages/find_app.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "find_app_files.h"
#include "page_driving.h"
#include "platform/files.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using namespace toolkit;
using bootstrap::State;
using testing::ClickControl;
using testing::MakeAcceptedProgram;
using testing::MakeFolder;
using testing::PressKey;
using testing::UserScript;
using testing::WaitForWindow;
using testing::WaitUntil;

constexpr wchar_t kFirstTitle[] = L"Apasati 'Continua' pentru a localiza aplicatia!";
constexpr wchar_t kSecondTitle[] = L"Confirmati corectitudinea directorului program";

// What the stand-in library answers for the alias, written over the whole buffer.
std::wstring g_aliasPath;
std::wstring g_askedAlias;

void __stdcall FakeGetAliasPath(wchar_t* buffer) {
  g_askedAlias = buffer;
  size_t n = std::min(g_aliasPath.size(), bootstrap::kAliasPathBufferSize - 1);
  std::wmemcpy(buffer, g_aliasPath.data(), n);
  buffer[n] = L'\0';
}

// The WIN.INI section the page reads, written for one test and removed afterwards.
class ProfileEntries {
 public:
  ProfileEntries(const wchar_t* appPath, const wchar_t* databasePath) {
    Clear();
    if (appPath)
      ::WriteProfileStringW(L"Kolvar", L"AppPath", appPath);
    if (databasePath)
      ::WriteProfileStringW(L"Kolvar", L"DatabasePath", databasePath);
  }
  ~ProfileEntries() { Clear(); }
  static void Clear() { ::WriteProfileStringW(L"Kolvar", nullptr, nullptr); }
};

// The search's last step is the second title.
bool SearchEnded(const TFindApp& page) {
  return page.TitleBar1->Caption() == kSecondTitle;
}

class FindAppPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ProfileEntries::Clear();
    bootstrap::BoundUpgradeLibrary().GetAliasPath = &FakeGetAliasPath;
    g_aliasPath = L"C:\\KDATE\\DATA\\";
    State() = bootstrap::InstallState();
  }
  void TearDown() override {
    bootstrap::BoundUpgradeLibrary().GetAliasPath = nullptr;
    testing::RemoveTree(L"C:\\Apps");
    testing::RemoveTree(L"C:\\ProKolv");
  }

  std::unique_ptr<TFindApp> MakePage() {
    auto page = CreateForm<TFindApp>();
    page->SetBounds(190, 300, page->Width(), page->Height());
    return page;
  }

  // Shows `page` modally while `script` runs as the user; returns the modal result.
  int Run(TFindApp& page, std::function<void()> script) {
    HWND window = page.Handle();
    UserScript user([&] {
      ASSERT_TRUE(WaitForWindow(window));
      script();
    });
    return page.ShowModal();
  }

  // Called from the user's thread: the page gets time to paint first.
  static void Shoot(TMForm& page, const wchar_t* name) {
    ::Sleep(300);
    testing::SaveArtifact(testing::CaptureWindow(page.Handle()), name);
  }

  testing::EmptyDriveE driveE_;
};

TEST_F(FindAppPage, DataFolderAndTypeFromTheAliasPath) {
  struct Case {
    const wchar_t* alias;
    const wchar_t* dataDir;
    uint8_t type;
  };
  const Case cases[] = {
      {L"C:\\KDATE\\DATA\\", L"C:\\KDATE", bootstrap::kTypeLocal},
      {L"E:\\kdate\\data", L"E:\\kdate", bootstrap::kTypeLocal},
      {L"N:\\KDATE\\DATA", L"N:\\KDATE", bootstrap::kTypeClient},
      {L"\\\\srv\\share\\kolv\\data", L"\\\\srv\\share\\kolv", bootstrap::kTypeClient},
      // The library may fill its whole buffer: the text stops at the buffer's end.
      {nullptr, nullptr, bootstrap::kTypeLocal},
  };
  for (const Case& c : cases) {
    std::wstring longest = L"C:\\" + std::wstring(300, L'x');
    g_aliasPath = c.alias ? c.alias : longest;
    State().PageIndex = 0;
    auto page = MakePage();
    SCOPED_TRACE(testing::Narrow(g_aliasPath));
    EXPECT_EQ(L"KOLVAR", g_askedAlias);
    EXPECT_EQ(6, State().PageIndex);
    EXPECT_EQ(c.dataDir ? std::wstring(c.dataDir) : longest.substr(0, 256),
              State().ProposedDataDir);
    EXPECT_EQ(c.type, State().InstallType);
    EXPECT_EQ(kFirstTitle, page->TitleBar1->Caption());
    EXPECT_TRUE(page->BNext->Enabled());
    EXPECT_EQ(L"", page->RProgram->Text());
  }
}

TEST_F(FindAppPage, ProfileEntriesAreFoundWithoutAScan) {
  // A value longer than 32 characters is read whole.
  std::wstring appPath = L"C:\\Apps\\Contabilitate\\Kolvar\\Program123\\";
  ASSERT_EQ(40u, appPath.size());
  testing::MakeProgramFile(appPath + L"Kolvar.exe", 10);  // any size will do here
  {
    ProfileEntries entries(appPath.c_str(), nullptr);
    auto page = MakePage();
    int result = Run(*page, [&] {
      ClickControl(*page->BNext);
      ASSERT_TRUE(WaitUntil([&] { return SearchEnded(*page); }));
      EXPECT_EQ(appPath, page->RProgram->Text());
      EXPECT_EQ(L"C:\\KDATE", page->RDate->Text());
      EXPECT_EQ(kSecondTitle, page->TitleBar1->Caption());
      EXPECT_TRUE(page->BNext->Enabled());
      EXPECT_EQ(L"", page->dirlabel->Caption());
      ClickControl(*page->BNext);
    });
    EXPECT_EQ(mrOk, result);
    EXPECT_EQ(appPath, State().ProgramDir);
    EXPECT_EQ(L"C:\\KDATE", State().DataDir);
  }
  // Without its final backslash the program entry names no file; the database entry's folder
  // is taken instead.
  testing::MakeProgramFile(L"C:\\ProKolv\\Kolvar.exe", 10);
  ProfileEntries entries(L"C:\\ProKolv", L"C:\\ProKolv\\DATA");
  auto page = MakePage();
  Run(*page, [&] {
    ClickControl(*page->BNext);
    ASSERT_TRUE(WaitUntil([&] { return SearchEnded(*page); }));
    EXPECT_EQ(L"C:\\ProKolv\\", page->RProgram->Text());
    ClickControl(*page->BCancel);
  });
}

TEST_F(FindAppPage, ScanFindsTheFirstDriveAndCommits) {
  MakeAcceptedProgram(L"E:\\ProKolv");
  MakeAcceptedProgram(L"C:\\Apps\\K");
  auto page = MakePage();
  int result = Run(*page, [&] {
    Shoot(*page, L"findapp-before.png");
    ClickControl(*page->BNext);
    ASSERT_TRUE(WaitUntil([&] { return SearchEnded(*page); }, 30000));
    EXPECT_EQ(L"C:\\Apps\\K\\", page->RProgram->Text());
    EXPECT_EQ(L"C:\\KDATE", page->RDate->Text());
    EXPECT_EQ(kSecondTitle, page->TitleBar1->Caption());
    EXPECT_EQ(L"", page->dirlabel->Caption());
    Shoot(*page, L"findapp-after-found.png");
    // A folder without a root is not committed: the field keeps the focus for a full path.
    page->RProgram->SetText(L"Apps\\K\\");
    ClickControl(*page->BNext);
    ::Sleep(300);
    EXPECT_TRUE(::IsWindowVisible(page->Handle()));
    EXPECT_TRUE(testing::HasFocus(*page->RProgram));
    page->RProgram->SetText(L"C:\\Apps\\K\\");
    // The program field typed by hand is committed as it stands.
    ClickControl(*page->RProgram);
    PressKey(VK_END);
    PressKey('X');
    ClickControl(*page->BNext);
  });
  EXPECT_EQ(mrOk, result);
  EXPECT_EQ(L"C:\\Apps\\K\\x", State().ProgramDir);
  EXPECT_EQ(L"C:\\Apps\\K\\x", State().ProposedProgramDir);
  EXPECT_EQ(L"C:\\KDATE", State().DataDir);
}

TEST_F(FindAppPage, NothingFoundOnAClientAndBack) {
  // Only in places the scan passes over: a hidden folder, the Windows folder, below 100
  // characters; and one program of exactly 6,000,000 bytes.
  MakeFolder(L"C:\\Apps\\Ascuns", FILE_ATTRIBUTE_HIDDEN);
  MakeAcceptedProgram(L"C:\\Apps\\Ascuns");
  std::wstring inWindows = WindowsFolder() + L"\\KolvarTest";
  MakeAcceptedProgram(inWindows);
  std::wstring deep = L"C:\\Apps";
  while (deep.size() <= 100)
    deep += L"\\Subdirector";
  MakeAcceptedProgram(deep);
  testing::MakeProgramFile(L"E:\\ProKolv\\KOLVAR.EXE", 6000000);
  g_aliasPath = L"N:\\KDATE\\DATA";
  auto page = MakePage();
  int result = Run(*page, [&] {
    ClickControl(*page->BNext);
    ASSERT_TRUE(WaitUntil([&] { return SearchEnded(*page); }, 60000));
    EXPECT_EQ(L"????", page->RProgram->Text());
    EXPECT_EQ(L"Am detectat o instalare client", page->RDate->Text());
    EXPECT_EQ(L"Nu am gasit directorul program!!!", page->dirlabel->Caption());
    EXPECT_FALSE(page->BNext->Enabled());
    Shoot(*page, L"findapp-after-not-found.png");
    ClickControl(*page->BBack);
  });
  testing::RemoveTree(inWindows);
  EXPECT_EQ(mrRetry, result);
  EXPECT_EQ(bootstrap::kTypeClient, State().InstallType);
  EXPECT_EQ(L"????", State().ProposedProgramDir);
}

TEST_F(FindAppPage, AbandonStopsTheScanAtTheNextFolder) {
  // The hidden tree of 20,000 folders on E: (prepare_drives.sh), made visible for this test.
  ASSERT_TRUE(::MoveFileW(L"E:\\.arhiva", L"E:\\Arhiva"));
  struct Hide {
    ~Hide() { ::MoveFileW(L"E:\\Arhiva", L"E:\\.arhiva"); }
  } hide;
  auto page = MakePage();
  std::atomic<DWORD> clicked{0};
  int result = Run(*page, [&] {
    ClickControl(*page->BNext);
    ASSERT_TRUE(WaitUntil(
        [&] { return page->dirlabel->Caption().rfind(L"Caut in ..E:\\Arhiva", 0) == 0; }, 30000));
    Shoot(*page, L"findapp-during.png");
    clicked = ::GetTickCount();
    ClickControl(*page->BCancel);
  });
  DWORD elapsed = ::GetTickCount() - clicked;
  EXPECT_EQ(mrCancel, result);
  EXPECT_LT(page->FoldersSearched(), 20000) << "the scan did not stop";
  // The bound leaves room for a busy machine.
  EXPECT_LT(elapsed, 1500u) << "the page closed " << elapsed << " ms after the click";
  EXPECT_EQ(L"????", page->RProgram->Text());
}

// The picker while it is shown, or null after five seconds.
TDirDialog* WaitForPicker() {
  HWND window = testing::WaitForTitled(L"Alegeti calea!");
  if (!window || !WaitForWindow(window))
    return nullptr;
  testing::Settle(window);
  return dynamic_cast<TDirDialog*>(TWinControl::FromHandle(window));
}

// Opens `folder`, listed in the picker's tree, by a double click on its line.
void OpenByMouse(TDirDialog& picker, const std::wstring& folder) {
  int index = -1;
  for (int i = 0; i < picker.dirs->Count(); ++i)
    if (EqualsNoCaseAscii(picker.dirs->ItemPath(i), folder))
      index = i;
  ASSERT_GE(index, 0) << testing::Narrow(folder);
  RECT r{};
  HWND list = picker.dirs->Handle();
  ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  POINT at{(r.left + r.right) / 4, (r.top + r.bottom) / 2};
  ::ClientToScreen(list, &at);
  testing::ClickAt(at);
  testing::ClickAt(at);
  ASSERT_TRUE(WaitUntil([&] { return EqualsNoCaseAscii(picker.dirs->Directory(), folder); }));
}

TEST_F(FindAppPage, ThePickerCorrectsTheProgramFolder) {
  MakeAcceptedProgram(L"C:\\Apps\\K");
  MakeFolder(L"C:\\Apps\\Gol");
  wchar_t old[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, old);
  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\Apps\\Gol"));
  auto page = MakePage();
  bool startedAtCurrent = false, presetToField = false;
  std::wstring verdictEmpty, verdictFound, afterCancel;
  bool nextAfterEmpty = true, nextAfterFound = false, nextAfterCancel = false;
  Run(*page, [&] {
    testing::Settle(page->HandleIfAllocated());
    // By keyboard, from the label's accelerator, before any search: a folder without the
    // program is refused.
    PressKey('P', ssAlt);
    if (TDirDialog* picker = WaitForPicker()) {
      startedAtCurrent = EqualsNoCaseAscii(picker->dirs->Directory(), L"C:\\Apps\\Gol");
      PressKey('K', ssAlt);
    }
    WaitUntil([&] { return page->RProgram->Text() == L"C:\\Apps\\Gol\\"; });
    verdictEmpty = page->dirlabel->Caption();
    nextAfterEmpty = page->BNext->Enabled();
    // By mouse, from the button: the picker opens at the field's folder.
    ClickControl(*page->BProgram);
    if (TDirDialog* picker = WaitForPicker()) {
      presetToField = EqualsNoCaseAscii(picker->dirs->Directory(), L"C:\\Apps\\Gol");
      Shoot(*picker, L"findapp-picker.png");
      OpenByMouse(*picker, L"C:\\Apps");
      OpenByMouse(*picker, L"C:\\Apps\\K");
      ClickControl(*picker->NiceButton1);
    }
    WaitUntil([&] { return page->RProgram->Text() == L"C:\\Apps\\K\\"; });
    verdictFound = page->dirlabel->Caption();
    nextAfterFound = page->BNext->Enabled();
    // Cancelled: nothing changes.
    ClickControl(*page->BProgram);
    if (TDirDialog* picker = WaitForPicker())
      ClickControl(*picker->NiceButton2);
    ::Sleep(300);
    afterCancel = page->RProgram->Text();
    nextAfterCancel = page->BNext->Enabled();
    ClickControl(*page->BCancel);
  });
  ::SetCurrentDirectoryW(old);
  EXPECT_TRUE(startedAtCurrent);
  EXPECT_EQ(L"Nu gasesc instalare de KOLVAR...", verdictEmpty);
  EXPECT_FALSE(nextAfterEmpty);
  EXPECT_TRUE(presetToField);
  EXPECT_EQ(L"", verdictFound);
  EXPECT_TRUE(nextAfterFound);
  EXPECT_EQ(L"C:\\Apps\\K\\", afterCancel);
  EXPECT_TRUE(nextAfterCancel);
}

TEST_F(FindAppPage, TheScanNeverWaitsForAWindowMessage) {
  // Two folders whose status lines read alike: the second change of the line queues nothing.
  testing::TempFolder root(L"same");
  std::wstring tail = L"\\Acelasi nume de dosar, destul de lung";
  MakeFolder(root / (L"a" + tail));
  MakeFolder(root / (L"b" + tail));
  auto page = MakePage();
  page->Show();
  testing::PumpFor(100);
  HWND window = page->Handle();
  std::atomic<bool> done{false};
  // Should the scan wait for a message, this one releases it after five seconds.
  UserScript watchdog([&] {
    if (!WaitUntil([&] { return done.load(); }, 5000))
      ::PostMessageW(window, WM_NULL, 0, 0);
  });
  DWORD start = ::GetTickCount();
  EXPECT_FALSE(page->SearchFolder(root.path() + L"\\"));
  DWORD elapsed = ::GetTickCount() - start;
  done = true;
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
}  // namespace kolvar::pages
