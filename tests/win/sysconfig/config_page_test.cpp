// The configuration page run by a user: the stand-in engine, the two tools as recording stand-ins
// in a program folder with blanks, and the recording shell answering the shell's service name.
#include "sysconfig/config_page.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "bootstrap/install_state.h"
#include "engine_machine.h"
#include "page_driving.h"
#include "pages/task_line.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "recording_shell.h"
#include "sysconfig/engine_config.h"
#include "toolkit/application.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"

namespace kolvar::sysconfig {
namespace {

using namespace toolkit;
using pages::TaskLineDone;
using pages::TaskLinePending;
using testing::ClickControl;
using testing::EnvVar;
using testing::ErrorReports;
using testing::ReadFile;
using testing::TempFolder;
using testing::UserScript;
using testing::WaitForPage;
using testing::WaitUntil;
class ConfigPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ForceDirectories(programDir_));
    ASSERT_TRUE(ForceDirectories(record_));
    for (const wchar_t* tool : {L"HHUPD.EXE", L"TREGSVR.EXE"})
      ASSERT_TRUE(CopyFileReplacing(ExecutableFolder() + L"tool_recorder.exe",
                                    JoinPath(programDir_, tool)));
    testing::WriteFile(JoinPath(programDir_, L"CFX32.OCX"), "");
    testing::WriteFile(JoinPath(programDir_, L"TORNEVA.EXE"), "MZ");
    auto& state = bootstrap::State();
    state.ProgramDir = state.ProposedProgramDir = programDir_;
    state.DataDir = dataDir_;
  }

  // An engine already registered, used by two products.
  void RegisteredEngine() {
    machine_.Register(folder_ / L"IDAPI32.CFG");
    RegistryKey::Create(HKEY_LOCAL_MACHINE, kRegisteredEngineKey);
    RegistryKey::Create(HKEY_LOCAL_MACHINE, bootstrap::kEngineKey).WriteString(L"UseCount", L"2");
  }
  std::wstring UseCount() const {
    auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, bootstrap::kEngineKey);
    return key ? key->ReadString(L"UseCount").value_or(L"<none>") : L"<no key>";
  }
  std::string ToolLines(int visits) const {
    std::string dir = WideToUtf8(programDir_);
    std::string one = "\"" + dir + "\\HHUPD.EXE\" /Q\n\"" + dir + "\\TREGSVR.EXE\" -Q \"" + dir +
                      "\\CFX32.OCX\"\n";
    std::string all;
    for (int i = 0; i < visits; ++i)
      all += one;
    return all;
  }

  testing::EngineMachine machine_;
  TempFolder folder_{L"config"};
  std::wstring programDir_ = folder_ / L"Pro Kolv";
  std::wstring dataDir_ = folder_ / L"Date";
  std::wstring record_ = folder_ / L"record";
  EnvVar toolRecord_{L"KOLVAR_TOOL_RECORD", record_};
};

TEST_F(ConfigPage, RunsTheTasksInOrderAndGoesOnByItselfOnEveryVisit) {
  RegisteredEngine();
  EnvVar toolDelay(L"KOLVAR_TOOL_DELAY", L"300");
  ErrorReports errors;
  for (int visit = 1; visit <= 2; ++visit) {
    testing::Recorder shell(L"empty", L"ProgMan");
    shell.Start();
    auto page = CreateForm<TConfig>();
    TConfig* p = page.get();
    EXPECT_EQ(3, bootstrap::State().PageIndex);
    EXPECT_TRUE(TaskLinePending(p->BBDE) && TaskLinePending(p->BCFGSYS) &&
                TaskLinePending(p->BGROUP));
    EXPECT_EQ(L" Actualizare HTML Help && Chart FX", p->BCFGSYS->Caption());
    // What each task finds when it starts.
    std::vector<std::vector<bool>> seen;
    for (int i = 0; i < 3; ++i) {
      auto task = p->Tasks[i];
      p->Tasks[i] = [&seen, p, task] {
        seen.push_back({TaskLineDone(p->BBDE), TaskLineDone(p->BCFGSYS), TaskLineDone(p->BGROUP),
                        p->BNext->Enabled()});
        task();
      };
    }
    std::atomic<bool> cancelClicked{false};
    UserScript user([&] {
      ASSERT_TRUE(WaitForPage(*p));
      ::Sleep(300);  // the page paints itself on its own thread
      if (visit == 1)
        testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()),
                              L"config-pending.png");
      ClickControl(*p->BNext);
      // Abandon while the tools run does not end the wizard.
      ASSERT_TRUE(WaitUntil([&] { return TaskLineDone(p->BBDE); }));
      if (visit == 1) {
        ::Sleep(100);
        testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()),
                              L"config-mid-run.png");
        ClickControl(*p->BCancel);
        cancelClicked = true;
      }
    });
    EXPECT_EQ(mrOk, p->ShowModal()) << "visit " << visit;
    EXPECT_EQ(visit == 1, cancelClicked.load());
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(seen[0], (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(seen[1], (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(seen[2], (std::vector<bool>{true, true, false, false}));
    EXPECT_TRUE(TaskLineDone(p->BBDE) && TaskLineDone(p->BCFGSYS) && TaskLineDone(p->BGROUP));
    EXPECT_TRUE(p->BNext->Enabled());
    if (visit == 2) {
      p->Show();
      testing::PumpFor(200);
      testing::SaveArtifact(testing::CaptureWindow(p->HandleIfAllocated()), L"config-done.png");
    }
    EXPECT_TRUE(shell.Ended());
    std::string dir = *WideToAnsiExact(programDir_);
    EXPECT_EQ(shell.Execute(1), "[CreateGroup(\"ProKOLVAR\")]\r\n[AddItem(\"" + dir +
                                    "\\KOLVAR.EXE\", \"Kolvar\")]\r\n[AddItem(\"" + dir +
                                    "\\TORNEVA.EXE\", \"Torneva\")]\r\n"
                                    "[ShowGroup(\"ProKOLVAR\",8)]\r\n" +
                                    std::string(1, '\0'));
  }
  EXPECT_TRUE(errors.Texts().empty());
  EXPECT_EQ(L"4", UseCount());
  EXPECT_EQ(ToolLines(2), ReadFile(record_ + L"\\tools.txt"));
  std::string aliases = ReadFile(folder_ / L"IDAPI32.CFG");
  EXPECT_NE(std::string::npos, aliases.find("[ALIAS KOLVAR]"));
  EXPECT_NE(std::string::npos, aliases.find("[ALIAS LUNAALIAS]"));
}

TEST_F(ConfigPage, MissingToolsArePassedOverWithoutAMessage) {
  RegisteredEngine();
  DeleteFileForced(JoinPath(programDir_, L"HHUPD.EXE"));
  DeleteFileForced(JoinPath(programDir_, L"TREGSVR.EXE"));
  ErrorReports errors;
  auto page = CreateForm<TConfig>();
  page->Tasks[2] = [] {};
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*page));
    ClickControl(*page->BNext);
  });
  EXPECT_EQ(mrOk, page->ShowModal());
  EXPECT_TRUE(TaskLineDone(page->BCFGSYS));
  EXPECT_TRUE(errors.Texts().empty());
  EXPECT_EQ("<missing>", ReadFile(record_ + L"\\tools.txt"));
}

TEST_F(ConfigPage, AnEngineErrorStopsTheRunAndLeavesBackAndAbandon) {
  // No engine registered and no engine registry file in the Program Files folder.
  std::wstring programFiles = RegistryKey::Open(HKEY_LOCAL_MACHINE, kWindowsVersionKey)
                                  ->ReadString(L"ProgramFilesDir")
                                  .value_or(L"");
  DeleteFileForced(programFiles + kEngineSubfolder + kEngineRegistryFile);
  ErrorReports errors;
  auto page = CreateForm<TConfig>();
  TConfig* p = page.get();
  bool nextEnabled = true, backEnabled = false, cancelEnabled = false, linesPending = false;
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    ClickControl(*p->BNext);
    ASSERT_TRUE(WaitUntil([&] { return !errors.Texts().empty(); }));
    ::Sleep(300);  // the page paints itself on its own thread
    nextEnabled = p->BNext->Enabled();
    backEnabled = p->BBack->Enabled();
    cancelEnabled = p->BCancel->Enabled();
    linesPending =
        TaskLinePending(p->BBDE) && TaskLinePending(p->BCFGSYS) && TaskLinePending(p->BGROUP);
    ClickControl(*p->BBack);
  });
  EXPECT_EQ(mrRetry, p->ShowModal());
  ASSERT_EQ(1u, errors.Texts().size());
  EXPECT_NE(std::wstring::npos, errors.Texts()[0].find(L"bde.reg"))
      << testing::Narrow(errors.Texts()[0]);
  EXPECT_FALSE(nextEnabled);
  EXPECT_TRUE(backEnabled);
  EXPECT_TRUE(cancelEnabled);
  EXPECT_TRUE(linesPending);
  EXPECT_EQ("<missing>", ReadFile(record_ + L"\\tools.txt"));
}

// A window of another program that never answers the shell's broadcast does not stop the page:
// the program group gives up on it, the user hears of it once, and the page ends.
TEST_F(ConfigPage, AWindowThatNeverAnswersDoesNotStopThePage) {
  RegisteredEngine();
  testing::NonAnsweringWindow busy;
  auto page = CreateForm<TConfig>();
  TConfig* p = page.get();
  bool dialogSeen = false;
  UserScript user([&] {
    ASSERT_TRUE(WaitForPage(*p));
    ClickControl(*p->BNext);
    HWND dialog = testing::WaitForTitled(L"Eroare...", 60000);
    ASSERT_NE(nullptr, dialog);
    dialogSeen = true;
    auto* form = dynamic_cast<TMessageForm*>(TWinControl::FromHandle(dialog));
    ASSERT_NE(nullptr, form);
    testing::Settle(dialog);
    testing::SaveArtifact(testing::CaptureWindow(dialog), L"config-dde-no-answer.png");
    ClickControl(*form->FirstDefaultButton());
  });
  EXPECT_EQ(mrOk, p->ShowModal());
  EXPECT_TRUE(dialogSeen);
  EXPECT_TRUE(busy.Received());
  EXPECT_TRUE(TaskLineDone(p->BGROUP));
}

}  // namespace
}  // namespace kolvar::sysconfig
