#include "sysconfig/program_group.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <set>

#include "page_driving.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "recording_shell.h"
#include "toolkit/control.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::sysconfig {
namespace {

using testing::EnvVar;
using testing::ReadFile;
using testing::Recorder;
using testing::TempFolder;

// Counts the "Eroare DDE!" dialogs shown while `action` runs, closing each by its only button.
int CountDdeErrors(const std::function<void()>& action) {
  std::atomic<bool> done{false};
  // Distinct windows: a dialog may be hidden for a moment while it settles on the screen.
  std::set<HWND> shown;
  {
    testing::UserScript user([&] {
      while (!done) {
        HWND dialog = testing::WaitForTitled(L"Eroare...", 200);
        if (!dialog || !shown.insert(dialog).second)
          continue;
        auto* form = dynamic_cast<toolkit::TMessageForm*>(toolkit::TWinControl::FromHandle(dialog));
        ASSERT_NE(nullptr, form);
        ASSERT_EQ(1, form->ButtonCount());
        // Brought to the front and clicked again should the first click come before the
        // dialog takes input or land on another program's window (the shell's folder windows).
        for (int tries = 0; ::IsWindowVisible(dialog); ++tries) {
          if (tries == 20) {
            ADD_FAILURE() << "the error dialog does not take the click";
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            break;
          }
          ::SetForegroundWindow(dialog);
          testing::Settle(dialog);
          testing::ClickControl(*form->FirstDefaultButton());
          testing::WaitUntil([&] { return !::IsWindowVisible(dialog); }, 1000);
        }
      }
    });
    action();
    // A second dialog would come right after the first.
    testing::PumpFor(500);
    done = true;
  }
  return static_cast<int>(shown.size());
}

// A program folder with blanks and a Romanian letter the ANSI code pages all have.
const std::wstring kProgramDir = L"C:\\Program Files\\Contabilitate \u00EEn KOLVAR";
const std::string kProgramDirAnsi = "C:\\Program Files\\Contabilitate \xEEn KOLVAR";

std::string ExpectedExecute(bool optional) {
  std::string items = "[AddItem(\"" + kProgramDirAnsi + "\\KOLVAR.EXE\", \"Kolvar\")]\r\n";
  if (optional)
    items += "[AddItem(\"" + kProgramDirAnsi + "\\VENTARI.EXE\", \"Ventari\")]\r\n" +
             "[AddItem(\"" + kProgramDirAnsi + "\\LUNARIS.EXE\", \"Lunaris\")]\r\n" +
             "[AddItem(\"" + kProgramDirAnsi + "\\TORNEVA.EXE\", \"Torneva\")]\r\n";
  return "[CreateGroup(\"ProKOLVAR\")]\r\n" + items + "[ShowGroup(\"ProKOLVAR\",8)]\r\n" +
         std::string(1, '\0');
}

TEST(ProgramGroup, SendsOneExecuteToAServerOfTheEmptyTopicOrOfProgman) {
  TempFolder programs{L"programs"};
  testing::WriteFile(programs / L"LUNARIS.EXE", "MZ");
  testing::WriteFile(programs / L"TORNEVA.EXE", "MZ");
  struct Case {
    const wchar_t* mode;
    const wchar_t* service;
    const char* connects;
  } cases[] = {
      // The system shell refuses the empty topic, so the recorder alone answers it.
      {L"empty", kProgManService, "<none>\r\n"},
      // A shell that refuses the empty topic is asked for its documented one. The system shell
      // would answer that too: the recorder has a name of its own here.
      {L"progman", L"KolvarShell", "<none>\r\nPROGMAN\r\n"},
  };
  for (const auto& c : cases) {
    Recorder recorder(c.mode, c.service);
    recorder.Start();
    EXPECT_EQ(0,
              CountDdeErrors([&] { CreateProgramGroup(kProgramDir, programs.path(), c.service); }));
    EXPECT_TRUE(recorder.Ended());
    EXPECT_EQ(recorder.Connects(), c.connects) << testing::Narrow(c.mode);
    EXPECT_EQ(recorder.Execute(1), ExpectedExecute(true)) << testing::Narrow(c.mode);
    EXPECT_EQ(recorder.Execute(2), "<missing>");
  }
}

TEST(ProgramGroup, StartsTheServerProgramWhenNoServerAnswers) {
  // The client starts "<service> " from the folders programs are looked for in, the test's
  // own folder first.
  const std::wstring service = L"KolvarLateShell";
  std::wstring copy = ExecutableFolder() + service + L".exe";
  ASSERT_TRUE(CopyFileReplacing(ExecutableFolder() + L"dde_recorder.exe", copy));
  TempFolder programs{L"programs"};
  {
    Recorder recorder(L"progman", service);
    EXPECT_EQ(0,
              CountDdeErrors([&] { CreateProgramGroup(kProgramDir, programs.path(), service); }));
    testing::WaitForProcessesNamed(service + L".exe", 10000);
    EXPECT_EQ(recorder.Connects(), "<none>\r\nPROGMAN\r\n");
    EXPECT_EQ(recorder.Execute(1), ExpectedExecute(false));
  }
  {
    // A server program that answers nothing: once it runs, both topics are tried again, and
    // the user hears of it once.
    Recorder recorder(L"none", service);
    // It lives long enough for both tries, on a slow machine too.
    EnvVar lifetime(L"KOLVAR_DDE_LIFETIME", std::to_wstring(testing::Scaled(1000)));
    EXPECT_EQ(1,
              CountDdeErrors([&] { CreateProgramGroup(kProgramDir, programs.path(), service); }));
    testing::WaitForProcessesNamed(service + L".exe", 10000);
    EXPECT_EQ(recorder.Connects(), "<none>\r\nPROGMAN\r\n");
    EXPECT_EQ(recorder.Execute(1), "<missing>");
  }
  DeleteFileForced(copy);
  // No server and no program of that name.
  EXPECT_EQ(1, CountDdeErrors([&] {
              CreateProgramGroup(kProgramDir, programs.path(), L"KolvarNoShellAnywhere");
            }));
}

// Opening a conversation is a broadcast to every top-level window; one that takes it and never
// returns stops the try, which gives up in time and sends nothing later when the window answers.
TEST(ProgramGroup, AWindowThatNeverAnswersTheBroadcastIsGivenUpOn) {
  TempFolder programs{L"programs"};
  Recorder recorder(L"empty", L"KolvarBusyShell");
  recorder.Start();
  DWORD spent = 0;
  bool sent = true;
  {
    testing::NonAnsweringWindow busy;
    DWORD start = ::GetTickCount();
    sent = SendShellExecute(L"KolvarBusyShell", ShellTopics(), "[ShowGroup(\"ProKOLVAR\",8)]", 500,
                            1500);
    spent = ::GetTickCount() - start;
    EXPECT_TRUE(busy.Received());
  }
  EXPECT_FALSE(sent);
  EXPECT_LT(spent, 6000u);
  // The window has answered: the try that was given up on must not reach the server now.
  testing::PumpFor(1000);
  EXPECT_EQ(recorder.Execute(1), "<missing>");
}

// Closes the folder windows the system shell opened (its show command opens the group), so
// that they do not cover the windows of later tests.
// A named function: a lambda does not take the system's calling convention on 32-bit x86.
BOOL CALLBACK CloseShellWindow(HWND window, LPARAM) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  std::wstring cls = name;
  if (process != ::GetCurrentProcessId() &&
      (cls == L"ExplorerWClass" || cls == L"CabinetWClass" || cls == L"ExploreWClass"))
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

void CloseShellWindows() {
  EnumWindows(CloseShellWindow, 0);
}

TEST(ProgramGroup, TheSystemShellMakesTheGroupFolder) {
  wchar_t programsFolder[MAX_PATH] = {};
  ASSERT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programsFolder));
  std::wstring group = JoinPath(programsFolder, L"ProKOLVAR");
  testing::RemoveTree(group);
  TempFolder programs{L"programs"};
  EXPECT_EQ(0, CountDdeErrors([&] { CreateProgramGroup(kProgramDir, programs.path()); }));
  EXPECT_TRUE(testing::WaitUntil([&] { return DirectoryExists(group); }, 10000))
      << testing::Narrow(group);
  testing::PumpFor(500);
  CloseShellWindows();
  testing::RemoveTree(group);
}

}  // namespace
}  // namespace kolvar::sysconfig
