// The button kinds: default caption, modal result and pictures of each. No <windows.h> here.
#pragma once

#include <string>

namespace kolvar::toolkit {

enum TMButtonKind {
  mkFirst,
  mkPrev,
  mkNext,
  mkLast,
  mkAdd,
  mkDelete,
  mkRecord,
  mkView,
  mkPrint,
  mkOK,
  mkCancel,
  mkHelp,
  mkCustom,
  mkYes,
  mkNo,
  mkClose,
  mkAbort,
  mkRetry,
  mkIgnore,
  mkAll,
  mkEdit,
  mkAnalitic,
  mkDetalii,
  mkKolvar,
  mkSave,
  mkPlus,
  mkUnelte,
  mkConfig,
  mkStoc,
  mkSold,
  mkIntr,
  mkTransf,
  mkIes,
  mkBani,
  mkMail,
  mkBigExit,
  mkPlusAdd,
  mkPlusBlue,
  mkPlusPorto,
  mkPlusPeach,
  mkPlusSnorkel,
  mkMinusDel,
  mkFirstPag,
  mkLastPag,
  mkPrevPag,
  mkNextPag,
  mknPrev,
  mknNext,
  mkFind,
  mkFindNext,
  mkGrafic,
  mkSaveAs,
  mknFirst,
  mknLast,
  mkContr,
  mkExpl,
  mkPermis,
  mkAction,
  mkAdvanced,
};
constexpr int kButtonKindCount = mkAdvanced + 1;

// The kind's name as written in the code ("mkOK"); empty for a value out of range.
const char* ButtonKindName(int kind);
// The default caption ("O&K"); empty for kinds without one.
const wchar_t* KindCaption(int kind);
// The default modal result (0 for most kinds).
int KindModalResult(int kind);
// Name of the holder picture a large button of this kind shows; empty for none.
const char* ButtonImageName(int kind);
// Name of the holder picture a compact button shows: its own where it has one, else the large
// button's; empty for none.
const char* NiceButtonImageName(int kind);

}  // namespace kolvar::toolkit
