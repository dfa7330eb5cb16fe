// The database upgrade page driven by the sample upgrade library over the stand-in engine. The
// library's switch files in the database folder make steps fail, report slowly or late, send
// reports without a closing NUL, or raise an exception out of a step.
#include "dbupgrade/upgrade_page.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "dbupgrade/upgrade_report.h"
#include "engine_machine.h"
#include "page_driving.h"
#include "pages/task_line.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "toolkit/application.h"
#include "ui_driver.h"

namespace kolvar::dbupgrade {
namespace {

using namespace toolkit;
using pages::TaskLineDone;
using pages::TaskLinePending;
using testing::ClickControl;
using testing::ErrorReports;
using testing::PressKey;
using testing::TempFolder;
using testing::UserScript;
using testing::WaitForPage;
using testing::WaitUntil;

// The system's 8-bit form of `text` read back, as a report of it shows on the page.
std::wstring AsReported(const std::wstring& text) {
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();
  return AnsiToWide(bytes);
}

class UpgradePage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ForceDirectories(data_));
    testing::WriteFile(folder_ / L"IDAPI32.CFG",
                       testing::AliasConfig("KOLVAR", "PARADOX", *WideToAnsiExact(data_)));
    machine_.Register(folder_ / L"IDAPI32.CFG");
    ASSERT_TRUE(bootstrap::BoundUpgradeLibrary().Bind(testing::DistFile(L"upgrade")));
    // Each case starts from the library's own default.
    bootstrap::BoundUpgradeLibrary().SetQuickVerif(FALSE);
  }
  void TearDown() override {
    // A late report still pending must not find the library gone.
    testing::PumpFor(700);
    bootstrap::BoundUpgradeLibrary().Release();
  }

  void Switch(const wchar_t* name) { testing::WriteFile(data_ + L"\\" + name, ""); }
  std::string Log() const { return testing::ReadFile(data_ + L"\\UPGRADE.LOG"); }
  static bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
  }
  // Shows the closed page again to photograph how it was left.
  static void Photograph(TUpgData& page, const wchar_t* name) {
    page.Show();
    testing::PumpFor(200);
    testing::SaveArtifact(testing::CaptureWindow(page.HandleIfAllocated()), name);
    page.Hide();
  }

  testing::EngineMachine machine_;
  TempFolder folder_{L"upgpage"};
  std::wstring data_ = folder_ / L"DATA";
};

TEST_F(UpgradePage, RunsEveryStepWhileTheUserWatches) {
  Switch(L"RAPORT.LENT");
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  EXPECT_EQ(8, bootstrap::State().PageIndex);
  EXPECT_EQ(L"Asteapta...", p->L1->Caption());
  EXPECT_FALSE(p->Lk1->Visible() || p->Lk2->Visible() || p->Lk3->Visible());
  EXPECT_TRUE(p->Ck1->Checked() && p->Ck2->Checked() && p->Ck3->Checked());
  EXPECT_TRUE(TaskLinePending(p->BStruct) && TaskLinePending(p->BLists) &&
              TaskLinePending(p->BConst));
  std::atomic<bool> buttonsDisabled{false};
  std::atomic<bool> redDuringStep2{false};
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    ::Sleep(300);  // the page paints itself on its own thread
    testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()), L"upgrade-ready.png");
    ClickControl(*p->BNext);
    ASSERT_TRUE(WaitUntil([&] { return p->Lk1->Visible() && p->L1->Caption() != L"Asteapta..."; }));
    ::Sleep(100);
    buttonsDisabled = !p->BNext->Enabled() && !p->BBack->Enabled() && !p->BCancel->Enabled();
    testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()), L"upgrade-mid-step.png");
    // The mark is shown a moment before the report line turns red: both are waited for.
    redDuringStep2 = WaitUntil([&] { return p->Lk2->Visible() && p->L1->Font().Color == clRed; }) &&
                     !p->Lk3->Visible();
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_TRUE(buttonsDisabled);
  EXPECT_TRUE(redDuringStep2);
  EXPECT_TRUE(p->Lk1->Visible() && p->Lk2->Visible() && p->Lk3->Visible());
  EXPECT_TRUE(TaskLineDone(p->BStruct) && TaskLineDone(p->BLists) && TaskLineDone(p->BConst));
  EXPECT_FALSE(p->L1->Visible());
  // Each mark is whole on the screen: no windowed control of the page covers any part of it.
  for (TControl* mark : {p->Lk1, p->Lk2, p->Lk3})
    for (TControl* other : {static_cast<TControl*>(p->BNext), static_cast<TControl*>(p->BBack),
                            static_cast<TControl*>(p->BStruct), static_cast<TControl*>(p->BLists),
                            static_cast<TControl*>(p->BConst)}) {
      const TRect& a = mark->BoundsRect();
      const TRect& b = other->BoundsRect();
      EXPECT_FALSE(a.Left < b.Left + b.Width && b.Left < a.Left + a.Width &&
                   a.Top < b.Top + b.Height && b.Top < a.Top + a.Height)
          << mark->Name().c_str() << " under " << other->Name().c_str();
    }
  Photograph(*p, L"upgrade-done.png");
  // The last report, its Romanian letters as the ANSI code page gives them.
  EXPECT_EQ(AsReported(L"Operaţie încheiată cu succes."), p->L1->Caption());
  EXPECT_EQ(Log(),
            "Verificare structuri: reusit\r\nActualizare liste: reusit\r\n"
            "Actualizare constante: reusit\r\n");
}

TEST_F(UpgradePage, RunsOnlyTheStepsLeftCheckedAndHidesTheMarkOfAFailedOne) {
  Switch(L"RAPORT.LENT");
  Switch(L"CONSTANTE.ERR");
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  std::atomic<bool> mark3Seen{false};
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    // The step names are the boxes' handles.
    ClickControl(*p->BStruct);
    ClickControl(*p->BLists);
    ClickControl(*p->BLists);
    ClickControl(*p->Ck2);
    ClickControl(*p->BNext);
    mark3Seen = WaitUntil([&] { return p->Lk3->Visible(); });
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_FALSE(p->Ck1->Checked() || p->Ck2->Checked());
  EXPECT_TRUE(mark3Seen) << "the mark shows while its step runs";
  EXPECT_FALSE(p->Lk1->Visible() || p->Lk2->Visible() || p->Lk3->Visible());
  EXPECT_TRUE(TaskLinePending(p->BStruct) && TaskLinePending(p->BLists));
  EXPECT_TRUE(TaskLineDone(p->BConst));
  EXPECT_EQ(clRed, p->L1->Font().Color);
  EXPECT_EQ(Log(), "Actualizare constante: esuat\r\n");
  Photograph(*p, L"upgrade-after-failing-step.png");
}

TEST_F(UpgradePage, ABoxClearedWhileAnEarlierStepReportsLeavesItsStepOut) {
  Switch(L"RAPORT.LENT");
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    ClickControl(*p->BNext);
    ASSERT_TRUE(WaitUntil([&] { return p->Lk1->Visible(); }));
    ClickControl(*p->BLists);
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_FALSE(p->Ck2->Checked());
  EXPECT_FALSE(p->Lk2->Visible());
  EXPECT_TRUE(TaskLinePending(p->BLists));
  EXPECT_EQ(Log(), "Verificare structuri: reusit\r\nActualizare constante: reusit\r\n");
}

TEST_F(UpgradePage, AltQSwitchesQuickVerificationAndTheReportColour) {
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  std::vector<std::pair<bool, TColor>> seen;
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    for (int i = 0; i < 3; ++i) {
      PressKey('Q', ssAlt);
      ::Sleep(150);
      seen.push_back({p->QuickV, p->L1->Font().Color});
    }
    ClickControl(*p->BLists);
    ClickControl(*p->BConst);
    ClickControl(*p->BNext);
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_EQ(seen,
            (std::vector<std::pair<bool, TColor>>{{true, clRed}, {false, clBlack}, {true, clRed}}));
  // The library was left with quick verification on.
  EXPECT_EQ(Log(), "Verificare structuri (rapid): reusit\r\n");
}

TEST_F(UpgradePage, ReportsNeverReachAPageThatIsGoneOrReadPastTheirBlock) {
  // Before any page: read and dropped.
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, 8);
  std::memcpy(::GlobalLock(block), "devreme", 8);
  ::GlobalUnlock(block);
  UpgradeReport(block);
  EXPECT_EQ(nullptr, ReportLabel());

  Switch(L"RAPORT.TARZIU");
  Switch(L"RAPORT.FARANUL");
  {
    auto page = CreateForm<TUpgData>();
    TUpgData* p = page.get();
    EXPECT_EQ(p->L1, ReportLabel());
    // A null block and one that cannot be locked change nothing.
    UpgradeReport(nullptr);
    ScopedGlobal empty(::GlobalAlloc(GMEM_MOVEABLE, 0));
    UpgradeReport(empty.get());
    EXPECT_EQ(L"Asteapta...", p->L1->Caption());
    UpgradeReport(block);
    EXPECT_EQ(L"devreme", p->L1->Caption());
    UserScript user([&] {
      ASSERT_TRUE(WaitForPage(*p));
      ClickControl(*p->BLists);
      ClickControl(*p->BConst);
      ClickControl(*p->BNext);
    });
    EXPECT_EQ(mrOk, p->ShowModal());
    // The library's blocks held no NUL: the text ends where the block does.
    EXPECT_EQ(AsReported(L"Operaţie încheiată cu succes."), p->L1->Caption());
  }
  ::GlobalFree(block);
  EXPECT_EQ(nullptr, ReportLabel());
  // The library reports once more after the page is gone.
  EXPECT_TRUE(testing::PumpUntil([&] { return Has(Log(), "Raport tarziu trimis"); }, 5000));
}

TEST_F(UpgradePage, AnExceptionOutOfAStepIsReportedAndThePageStaysOpen) {
  Switch(L"LISTE.EXC");
  ErrorReports errors;
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  std::atomic<bool> stayedOpen{false}, buttonsBack{false}, marks{false}, panels{false};
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    ClickControl(*p->BNext);
    ASSERT_TRUE(WaitUntil([&] { return !errors.Texts().empty(); }));
    ::Sleep(300);  // the page paints itself on its own thread
    ::Sleep(200);
    stayedOpen = ::IsWindowVisible(p->HandleIfAllocated()) != FALSE;
    buttonsBack = p->BNext->Enabled() && p->BBack->Enabled() && p->BCancel->Enabled();
    marks = p->Lk1->Visible() && !p->Lk2->Visible() && !p->Lk3->Visible();
    panels = TaskLineDone(p->BStruct) && TaskLinePending(p->BLists) && TaskLinePending(p->BConst);
    testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()),
                          L"upgrade-after-exception.png");
    // Continue again runs the checked steps, this time to the end.
    ::DeleteFileW((data_ + L"\\LISTE.EXC").c_str());
    ClickControl(*p->BNext);
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  ASSERT_EQ(1u, errors.Texts().size());
  EXPECT_NE(std::wstring::npos, errors.Texts()[0].find(L"DoListUpgrade"))
      << testing::Narrow(errors.Texts()[0]);
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(buttonsBack);
  EXPECT_TRUE(marks);
  EXPECT_TRUE(panels);
  EXPECT_EQ(Log(),
            "Verificare structuri: reusit\r\nActualizare liste: exceptie\r\n"
            "Verificare structuri: reusit\r\nActualizare liste: reusit\r\n"
            "Actualizare constante: reusit\r\n");
}

// A step that changed the tables and then broke off: after the error report the page offers
// the copy made before the first step; "Da" puts the database back byte for byte (the tables
// the step added go too), "Nu" keeps the step's changes. The copy folder stays either way.
// The captions of a dialog's labels, joined.
std::wstring DialogText(TWinControl* root) {
  std::wstring text;
  for (TControl* c : root->Controls()) {
    if (dynamic_cast<TLabel*>(c))
      text += c->Caption() + L"\n";
    if (c->IsWindowed())
      text += DialogText(static_cast<TWinControl*>(c));
  }
  return text;
}

// A database on a real drive without room for its copy (R:, a 4 MB drive the test run mounts;
// skipped where there is none): the question names the megabytes; No keeps the page and nothing
// ran, Yes runs the steps without a copy.
TEST_F(UpgradePage, ACopyWithoutRoomIsAskedForAndNoKeepsThePage) {
  if (::GetDriveTypeW(L"R:\\") == DRIVE_NO_ROOT_DIR)
    GTEST_SKIP() << "no size-limited drive R: here";
  const std::wstring data = L"R:\\FIRMA\\DATA";
  testing::RemoveTree(L"R:\\FIRMA");
  ASSERT_TRUE(ForceDirectories(data));
  testing::WriteFile(folder_ / L"IDAPI32.CFG",
                     testing::AliasConfig("KOLVAR", "PARADOX", *WideToAnsiExact(data)));
  machine_.Register(folder_ / L"IDAPI32.CFG");
  std::string books(1800 * 1024, '\0');
  for (size_t i = 0; i < books.size(); ++i)
    books[i] = static_cast<char>(i * 7919 >> 5);
  testing::WriteFile(data + L"\\FIRME.DB", books);
  bootstrap::State().DataDir = L"R:\\FIRMA\\";
  // Less than the 1.8 MB the copy needs stays free.
  ULARGE_INTEGER free{};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(L"R:\\", &free, nullptr, nullptr));
  ASSERT_GT(free.QuadPart, 1u << 20);
  testing::WriteFile(L"R:\\umplutura.bin",
                     std::string(static_cast<size_t>(free.QuadPart - (1u << 20)), 'x'));

  ErrorReports errors;
  auto page = CreateForm<TUpgData>();
  TUpgData* p = page.get();
  std::wstring question;
  bool keptAfterNo = false, ranAfterNo = true;
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    for (const wchar_t* answer : {L"BtnNu", L"BtnDa"}) {
      ClickControl(*p->BNext);
      HWND dialog = testing::WaitForTitled(L"Confirmare...", 20000);
      ASSERT_NE(dialog, nullptr);
      auto* form = dynamic_cast<TMForm*>(TWinControl::FromHandle(dialog));
      ASSERT_NE(form, nullptr);
      question = DialogText(form);
      testing::Settle(dialog);
      if (answer == std::wstring(L"BtnNu"))
        testing::SaveArtifact(testing::CaptureWindow(dialog), L"upgrade-copy-no-room.png");
      ASSERT_TRUE(testing::AnswerDialog(dialog, answer));
      if (answer == std::wstring(L"BtnNu")) {
        ASSERT_TRUE(WaitUntil([&] { return p->BNext->Enabled(); }));
        testing::PumpFor(300);
        keptAfterNo = p->Visible();
        ranAfterNo = FileExists(data + L"\\UPGRADE.LOG");
      }
    }
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_NE(question.find(L"Nu este destul loc pe discul R:\\ pentru copia bazei de date:"),
            std::wstring::npos)
      << testing::Narrow(question);
  EXPECT_NE(question.find(L"sunt necesari 2 MB, sunt liberi 1 MB."), std::wstring::npos)
      << testing::Narrow(question);
  EXPECT_TRUE(keptAfterNo);
  EXPECT_FALSE(ranAfterNo);
  EXPECT_TRUE(errors.Texts().empty());
  EXPECT_TRUE(Has(testing::ReadFile(data + L"\\UPGRADE.LOG"), "Actualizare constante: reusit"));
  EXPECT_FALSE(DirectoryExists(L"R:\\FIRMA\\COPII"));
  EXPECT_EQ(testing::ReadFile(data + L"\\FIRME.DB").size(), books.size());
  DeleteFileForced(L"R:\\umplutura.bin");
  testing::RemoveTree(L"R:\\FIRMA");
}

TEST_F(UpgradePage, ABrokenStepOffersTheCopyMadeBeforeAndPutsItBack) {
  for (bool putBack : {true, false}) {
    SCOPED_TRACE(putBack ? "Da" : "Nu");
    testing::WriteFile(data_ + L"\\FIRME.DB", "the firm's books");
    testing::WriteFile(data_ + L"\\Firma 1\\Luna 3\\SOLDURI.DB", "the March balances");
    ::SetFileAttributesW((data_ + L"\\Firma 1\\Luna 3\\SOLDURI.DB").c_str(),
                         FILE_ATTRIBUTE_READONLY);
    ::DeleteFileW((data_ + L"\\NOU.DB").c_str());
    ::DeleteFileW((data_ + L"\\UPGRADE.LOG").c_str());
    Switch(L"LISTE.EXC");
    Switch(L"SCHIMBA.TABELE");
    bootstrap::State().DataDir = folder_.path() + L"\\";
    auto before = testing::FolderTree(folder_.path());
    ErrorReports errors;
    auto page = CreateForm<TUpgData>();
    TUpgData* p = page.get();
    std::atomic<bool> asked{false};
    UserScript user([&] {
      ASSERT_TRUE(WaitForPage(*p));
      ClickControl(*p->BNext);
      ASSERT_TRUE(WaitUntil([&] { return !errors.Texts().empty(); }));
      HWND question = testing::WaitForTitled(L"Confirmare...", 20000);
      asked = question != nullptr;
      ASSERT_NE(question, nullptr);
      testing::Settle(question);
      testing::SaveArtifact(testing::CaptureScreen(RECT{0, 0, 1024, 768}),
                            L"upgrade-put-back-question.png");
      ASSERT_TRUE(testing::AnswerDialog(question, putBack ? L"BtnDa" : L"BtnNu"));
      // Yes puts the copy back before the page takes input again: the switches are mended
      // after that, or the copy's own switches would come back with it.
      ASSERT_TRUE(testing::WaitUntilAnswering(p->Handle()));
      ASSERT_TRUE(p->BNext->Enabled());
      // Continue again, with the library bound again and the step mended, runs to the end.
      ::DeleteFileW((data_ + L"\\LISTE.EXC").c_str());
      ::DeleteFileW((data_ + L"\\SCHIMBA.TABELE").c_str());
      ClickControl(*p->BNext);
      ASSERT_TRUE(WaitUntil([&] { return !p->Visible(); }, 20000))
          << "the second Continue did not end the page";
    });
    EXPECT_EQ(mrOk, p->ShowModal());
    EXPECT_TRUE(asked);
    // Two copies, one for each Continue, neither written over the other.
    std::vector<std::wstring> copies;
    for (auto& [path, what] : testing::FolderTree(folder_ / L"COPII"))
      if (what == "<folder>" && path.find(L'\\') == std::wstring::npos)
        copies.push_back(path);
    ASSERT_EQ(copies.size(), 2u);
    std::wstring copy = folder_ / L"COPII" + L"\\" + copies[0];
    EXPECT_EQ(testing::ReadFile(copy + L"\\DATA\\FIRME.DB"), "the firm's books");
    if (putBack) {
      // What the second, whole run added: its log lines; nothing else differs.
      auto after = testing::FolderTree(folder_.path());
      for (auto it = after.begin(); it != after.end();)
        it = it->first.rfind(L"COPII", 0) == 0 || it->first == L"DATA\\UPGRADE.LOG" ||
                     it->first == L"DATA\\LISTE.EXC" || it->first == L"DATA\\SCHIMBA.TABELE"
                 ? after.erase(it)
                 : ++it;
      for (auto it = before.begin(); it != before.end();)
        it = it->first == L"DATA\\LISTE.EXC" || it->first == L"DATA\\SCHIMBA.TABELE"
                 ? before.erase(it)
                 : ++it;
      EXPECT_EQ(after, before);
      EXPECT_EQ(testing::ReadFile(data_ + L"\\FIRME.DB"), "the firm's books");
      EXPECT_FALSE(FileExists(data_ + L"\\NOU.DB"));
    } else {
      EXPECT_EQ(testing::ReadFile(data_ + L"\\FIRME.DB"), "half converted");
      EXPECT_TRUE(FileExists(data_ + L"\\NOU.DB"));
    }
    ::SetFileAttributesW((data_ + L"\\Firma 1\\Luna 3\\SOLDURI.DB").c_str(), FILE_ATTRIBUTE_NORMAL);
    testing::RemoveTree(folder_ / L"COPII");
    bootstrap::State().DataDir.clear();
    ASSERT_TRUE(bootstrap::BoundUpgradeLibrary().Bind(testing::DistFile(L"upgrade")));
  }
}

}  // namespace
}  // namespace kolvar::dbupgrade
