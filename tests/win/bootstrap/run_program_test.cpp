#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "win_test_support.h"

namespace kolvar {
namespace {

TEST(RunProgram, WaitsAndReturnsTheExitCode) {
  EXPECT_EQ(RunProgram(L"cmd.exe /c exit 0", SW_HIDE, true), 0);
  EXPECT_EQ(RunProgram(L"cmd.exe /c exit 7", SW_HIDE, true), 7);
}

TEST(RunProgram, ReturnsMinusOneWhenTheProgramCannotStart) {
  EXPECT_EQ(RunProgram(L"C:\\no such folder\\nothing.exe", SW_SHOW, true), -1);
  EXPECT_EQ(RunProgram(L"C:\\no such folder\\nothing.exe", SW_SHOW, false), -1);
}

TEST(RunProgram, WithoutWaitReturnsZeroAtOnce) {
  testing::TempFolder folder(L"run");
  std::wstring done = folder / L"done.txt";
  EXPECT_EQ(RunProgram(L"cmd.exe /c ping -n 2 127.0.0.1 >nul & echo x> \"" + done + L"\"", SW_HIDE,
                       false),
            0);
  EXPECT_FALSE(FileExists(done));  // still running
  for (DWORD start = ::GetTickCount();
       !FileExists(done) && ::GetTickCount() - start < testing::Scaled(10000);)
    ::Sleep(100);
  EXPECT_TRUE(FileExists(done));
  ::Sleep(200);
}

}  // namespace
}  // namespace kolvar
