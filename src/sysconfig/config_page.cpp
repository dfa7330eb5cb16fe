#include "sysconfig/config_page.h"

#include "bootstrap/install_state.h"
#include "pages/task_line.h"
#include "sysconfig/component_tools.h"
#include "sysconfig/engine_config.h"
#include "sysconfig/program_group.h"
#include "toolkit/application.h"

namespace kolvar::sysconfig {

using namespace toolkit;

TConfig::TConfig() : TWizardPage(L"TConfig", L"Configurare sistem", true) {
  InstructionsChord = true;
  BNext->OnClick = Bind(this, &TConfig::BNextClick);
  Tasks[0] = [] { DoConfigBDE(); };
  Tasks[1] = [] { DoConfigConfigSys(); };
  Tasks[2] = [] { DoConfigGroup(); };
}

TPanel* TConfig::MakeTaskLine(const wchar_t* name, const wchar_t* caption, int top) {
  auto* line = new TPanel(this, name);
  line->SetBounds(165, top, 308, 18);
  line->SetParentColor(true);
  line->SetCaption(caption);
  return line;
}

void TConfig::FormCreate() {
  bootstrap::State().PageIndex = 3;
  for (TPanel* line : {BBDE, BCFGSYS, BGROUP})
    ResetTaskPanel(line);
}

void TConfig::ResetTaskPanel(TPanel* panel) {
  pages::SetTaskLinePending(panel);
}

void TConfig::MarkTaskDone(TPanel* panel) {
  pages::SetTaskLineDone(panel);
  Application().ProcessMessages();
}

void TConfig::BNextClick(TControl*) {
  BNext->SetEnabled(false);
  // A task that fails ends the handler here: the general error report shows it, later lines
  // stay pending and only Back and Abandon are left.
  TPanel* lines[] = {BBDE, BCFGSYS, BGROUP};
  for (int i = 0; i < 3; ++i) {
    Tasks[i]();
    MarkTaskDone(lines[i]);
  }
  // Replaces whatever a click on Back or Abandon left while the tasks ran.
  SetModalResult(mrOk);
  BNext->SetEnabled(true);
}

}  // namespace kolvar::sysconfig
