// The robot's page step proves that the page is in sight, not only that the window system calls
// it visible: a page covered by another top-level window fails the step, and the failure names
// the cover; "page --covered" accepts it; the same page uncovered passes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "sight.h"
#include "toolkit/form.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::robot {
namespace {

using namespace toolkit;

class TPlainForm : public TMForm {
 public:
  TPlainForm(const wchar_t* caption, TRect bounds, bool topmost)
      : TMForm(L"TPlainForm"), topmost_(topmost) {
    SetBorderStyle(TBorderStyle::bsNone);
    SetCaption(caption);
    SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
  }

 protected:
  void WindowStyles(DWORD& style, DWORD& exStyle) const override {
    TMForm::WindowStyles(style, exStyle);
    if (topmost_)
      exStyle |= WS_EX_TOPMOST;
  }

 private:
  bool topmost_;
};

// Plays `scenario` with ROBOT.EXE while this thread answers its windows' messages; returns the
// exit status and leaves the robot's report in `output`.
int PlayRobot(const testing::TempFolder& folder, const std::string& scenario, std::string& output) {
  std::wstring script = folder / L"sight.scenario", report = folder / L"robot.log";
  testing::WriteFile(script, scenario);
  std::atomic<int> status{-3};
  {
    testing::UserScript robot([&] {
      status = testing::RunAndWait(L"cmd.exe /c \"\"" + testing::DistFile(L"ROBOT.EXE") + L"\" \"" +
                                       script + L"\" > \"" + report + L"\"\"",
                                   60000);
    });
    testing::PumpUntil([&] { return status != -3; }, 60000);
  }
  output = testing::ReadFile(report);
  return status;
}

TEST(RobotSight, ACoveredPageFailsNamingItsCoverUnlessTheScenarioSaysSo) {
  testing::TempFolder folder(L"robot");
  auto page = CreateForm<TPlainForm>(L"Pagina acoperita", TRect{300, 300, 400, 200}, false);
  auto cover = CreateForm<TPlainForm>(L"Fereastra de deasupra", TRect{250, 250, 500, 300}, true);
  page->Show();
  cover->Show();
  testing::PumpFor(300);
  EXPECT_FALSE(shots::LookAt(page->Handle()).InSight());

  std::string output;
  EXPECT_EQ(1, PlayRobot(folder, "page \"Pagina acoperita\" 5\n", output)) << output;
  EXPECT_NE(output.find("\"Pagina acoperita\" is not in sight: 0 of 9 points land on it, the "
                        "others on KolvarControl \"Fereastra de deasupra\""),
            std::string::npos)
      << output;
  EXPECT_EQ(0, PlayRobot(folder, "page --covered \"Pagina acoperita\" 5\n", output)) << output;

  // Half covered is not in sight either; uncovered it passes.
  cover->SetBounds(300, 300, 400, 110);
  testing::PumpFor(300);
  EXPECT_EQ(1, PlayRobot(folder, "page \"Pagina acoperita\" 5\n", output)) << output;
  cover->Hide();
  testing::PumpFor(300);
  EXPECT_TRUE(shots::LookAt(page->Handle()).InSight());
  EXPECT_EQ(0, PlayRobot(folder, "page \"Pagina acoperita\" 5\n", output)) << output;
  page->Hide();
}

}  // namespace
}  // namespace kolvar::robot
