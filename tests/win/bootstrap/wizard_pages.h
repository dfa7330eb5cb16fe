// Stand-in pages for the wizard driver's tests: each ends with the next result of a script
// (or waits for the test's user when the script says kWaitForUser) and records where it was
// shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bootstrap/install_state.h"
#include "bootstrap/installer_window.h"
#include "bootstrap/main_window.h"
#include "bootstrap/wizard.h"
#include "platform/error.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/mesaj.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"

namespace kolvar::bootstrap::testing {

inline constexpr int kWaitForUser = -1;

struct Visit {
  int position;
  int left, top, width, height;
};

struct PageScript {
  std::vector<int> results;  // one per visit; the wizard is cancelled when they run out
  size_t next = 0;
  std::vector<Visit> visits;
  int alive = 0;                // test pages that exist now
  int throwAt = -1;             // the position whose page throws when shown
  int instructionsAt = -1;      // the position whose page shows the instructions, then ends
  uint8_t locateFindsType = 0;  // InstallType the locate page (6) sets when made (0: none)
};

inline PageScript& Script() {
  static PageScript script;
  return script;
}

class TTestPage : public toolkit::TMForm {
 public:
  explicit TTestPage(int position)
      : TMForm(L"TTestPage" + std::to_wstring(position)), position_(position) {
    SetBorderStyle(toolkit::TBorderStyle::bsNone);
    SetColor(0x808080);
    // Each page a different size, so the placement of each is checked.
    SetClientSize(637 + 2 * position, 114 + 11 * position);
    SetCaption(Title(position));
    ++Script().alive;
  }
  ~TTestPage() override { --Script().alive; }

  static std::wstring Title(int position) { return L"Pagina de test " + std::to_wstring(position); }

  // Posted by a test's user: the page asks a question in a message dialog.
  static constexpr UINT kAskMessage = WM_APP + 0x52;
  static constexpr wchar_t kQuestionCaption[] = L"Intrebare de test";

 protected:
  void FormCreate() override {
    State().PageIndex = static_cast<uint8_t>(position_);
    if (position_ == 6 && Script().locateFindsType)
      State().InstallType = Script().locateFindsType;
  }
  void FormShow() override {
    PageScript& script = Script();
    script.visits.push_back({position_, Left(), Top(), Width(), Height()});
    if (position_ == script.throwAt)
      throw Error(L"Pagina de test a esuat");
    int result = script.next < script.results.size() ? script.results[script.next++] : 2;
    if (position_ == script.instructionsAt) {
      // As a copy page does: the instructions come while the page is in front, then it ends.
      ::PostMessageW(Handle(), kShowInstructionsMessage, result, 0);
      return;
    }
    if (result != kWaitForUser) {
      SetModalResult(result);
      // The modal loop sees the result once a message wakes it.
      ::PostMessageW(Handle(), WM_NULL, 0, 0);
    }
  }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == kAskMessage) {
      toolkit::ShowMsgDialog(L"Continuam?", kQuestionCaption, toolkit::mtConfirmation,
                             toolkit::TAlignment::taCenter, toolkit::MsgDlgMask(toolkit::mbOK),
                             toolkit::mbOK);
      return 0;
    }
    if (msg != kShowInstructionsMessage)
      return TMForm::WndProc(msg, wParam, lParam);
    ShowInstructions(false);
    if (static_cast<int>(wParam) != kWaitForUser)
      SetModalResult(static_cast<int>(wParam));
    return 0;
  }

 private:
  static constexpr UINT kShowInstructionsMessage = WM_APP + 0x51;
  int position_;
};

template <int Position>
std::unique_ptr<toolkit::TMForm> MakeTestPage() {
  return toolkit::CreateForm<TTestPage>(Position);
}

inline PageTable TestPages() {
  PageTable pages{};
  pages[0] = &MakeTestPage<0>;
  pages[1] = &MakeTestPage<1>;
  pages[2] = &MakeTestPage<2>;
  pages[3] = &MakeTestPage<3>;
  pages[4] = &MakeTestPage<4>;
  pages[6] = &MakeTestPage<6>;
  pages[7] = &MakeTestPage<7>;
  pages[8] = &MakeTestPage<8>;
  return pages;
}

// Starts a script of page results with a fresh state of the wizard.
inline void StartScript(std::vector<int> results) {
  Script() = PageScript{};
  Script().results = std::move(results);
  State().PageIndex = 0;
  State().InstallType = 0;
  State().UpgradeMode = false;
}

// The background window as the temporary-folder run makes it, main window of the application.
class Background {
 public:
  Background() : window_(toolkit::CreateForm<TInstaller>()) {
    toolkit::Application().SetMainForm(window_.get());
    window_->Show();
    kolvar::testing::PumpFor(100);
  }
  ~Background() { toolkit::Application().SetMainForm(nullptr); }
  TInstaller& operator*() { return *window_; }
  TInstaller* operator->() { return window_.get(); }

 private:
  std::unique_ptr<TInstaller> window_;
};

inline std::vector<int> VisitedPositions() {
  std::vector<int> positions;
  for (const Visit& v : Script().visits)
    positions.push_back(v.position);
  return positions;
}

}  // namespace kolvar::bootstrap::testing
