// The two looks of a task line, the panel that names one step of a working page (the
// configuration tasks, the database upgrade steps): pending until its step is done, then done.
#pragma once

#include "toolkit/std_controls.h"

namespace kolvar::pages {

// Pending: no bevel, black text, right-aligned.
inline void SetTaskLinePending(toolkit::TPanel* line) {
  line->SetBevelOuter(toolkit::TBevelCut::bvNone);
  line->Font().Color = toolkit::clBlack;
  line->FontChanged();
  line->SetAlignment(toolkit::TAlignment::taRightJustify);
}

// Done: raised, red text, left-aligned, repainted at once.
inline void SetTaskLineDone(toolkit::TPanel* line) {
  line->SetBevelOuter(toolkit::TBevelCut::bvRaised);
  line->Font().Color = toolkit::clRed;
  line->FontChanged();
  line->SetAlignment(toolkit::TAlignment::taLeftJustify);
  line->Repaint();
}

// Whether `line` shows the look (for tests and callers that need to know).
inline bool TaskLineDone(const toolkit::TPanel* line) {
  return line->BevelOuter() == toolkit::TBevelCut::bvRaised &&
         line->Font().Color == toolkit::clRed &&
         line->Alignment() == toolkit::TAlignment::taLeftJustify;
}
inline bool TaskLinePending(const toolkit::TPanel* line) {
  return line->BevelOuter() == toolkit::TBevelCut::bvNone &&
         line->Font().Color == toolkit::clBlack &&
         line->Alignment() == toolkit::TAlignment::taRightJustify;
}

}  // namespace kolvar::pages
