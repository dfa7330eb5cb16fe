// TConfig: the configuration page of a new installation. Continue runs the three configuration
// tasks in turn (database engine, HTML Help and chart components, program group); each task's
// line changes its look when the task is done, and after the last one the wizard goes on.
#pragma once

#include <windows.h>

#include <functional>

#include "pages/wizard_page.h"
#include "toolkit/std_controls.h"

namespace kolvar::sysconfig {

using toolkit::TControl;

class TConfig : public pages::TWizardPage {
 public:
  TConfig();

  // The page closes itself with result 1 after a complete run.
  toolkit::TMButton* BNext = MakeNextButton(toolkit::mrNone);
  toolkit::TMButton* BBack = MakeBackButton();
  toolkit::TPanel* BBDE = MakeTaskLine(L"BBDE", L" Configurare BDE", 25);
  toolkit::TPanel* BCFGSYS = MakeTaskLine(L"BCFGSYS", L" Actualizare HTML Help && Chart FX", 43);
  toolkit::TPanel* BGROUP = MakeTaskLine(L"BGROUP", L" Creare grup", 97);
  toolkit::TNiceButton* BCancel = MakeCancelButton();

  // The pending look: no bevel, black, right-aligned.
  void ResetTaskPanel(toolkit::TPanel* panel);
  // The done look: raised, red, left-aligned; repainted at once, then pending messages are
  // handled so the change shows while the next task runs.
  void MarkTaskDone(toolkit::TPanel* panel);

  // The three tasks, in the order they run (DoConfigBDE, DoConfigConfigSys, DoConfigGroup
  // unless replaced). A task that throws ends the run.
  std::function<void()> Tasks[3];

 protected:
  void FormCreate() override;
  void BNextClick(TControl* sender);

 private:
  toolkit::TPanel* MakeTaskLine(const wchar_t* name, const wchar_t* caption, int top);
};

}  // namespace kolvar::sysconfig
