#include "toolkit/pure/button_kinds.h"

namespace kolvar::toolkit {
namespace {

struct KindInfo {
  const char* name;
  const wchar_t* caption;
  int modalResult;
  const char* buttonImage;  // the large button's picture
  const char* niceImage;    // the compact button's own picture, "" to use the large one's
};

// In the order of TMButtonKind.
constexpr KindInfo kKinds[kButtonKindCount] = {
    {"mkFirst", L"f", 0, "Buget", ""},
    {"mkPrev", L"&p", 0, "Precedent", ""},
    {"mkNext", L"&u", 0, "Urmator", ""},
    {"mkLast", L"", 0, "", ""},
    {"mkAdd", L"&Adaug", 0, "Add", "Add"},
    {"mkDelete", L"&Sterg", 0, "Delete", "Delete"},
    {"mkRecord", L"&Jurnal", 0, "Jurnal", "Jurnal"},
    {"mkView", L"&w", 0, "Vizual", "Vizual"},
    {"mkPrint", L"&Listare", 0, "Print", "Print"},
    {"mkOK", L"O&K", 1, "OK", "OK"},
    {"mkCancel", L"&Renunt", 2, "Cancel", "Cancel"},
    {"mkHelp", L"S&faturi", 0, "Help", "Help"},
    {"mkCustom", L"", 0, "", ""},
    {"mkYes", L"&Da", 6, "OK", "OK"},
    {"mkNo", L"&Nu", 7, "Nu", "Nu"},
    {"mkClose", L"I&esire", 2, "Exit", "Exit"},
    {"mkAbort", L"&Abandon", 3, "Cancel", "Cancel"},
    {"mkRetry", L"&Retry", 4, "Retry", "Retry"},
    {"mkIgnore", L"&Ignora", 5, "", "PrnSetup"},
    {"mkAll", L"&Toate", 12, "All", "All"},
    {"mkEdit", L"&Modific", 0, "Edit", "Edit"},
    {"mkAnalitic", L"Analiti&c", 0, "Analitic", "Analitic"},
    {"mkDetalii", L"&Detalii", 0, "Detalii", "Detalii"},
    {"mkKolvar", L"Kolv&ar", 0, "Kolvar", ""},
    {"mkSave", L"Salve&z", 0, "Save", "Save"},
    {"mkPlus", L"", 0, "Plus", ""},
    {"mkUnelte", L"", 0, "BUnelte", "BUnelte"},
    {"mkConfig", L"", 0, "Config", "Config"},
    {"mkStoc", L"", 0, "Stoc", ""},
    {"mkSold", L"", 0, "Sold", ""},
    {"mkIntr", L"", 0, "BIntr", ""},
    {"mkTransf", L"", 0, "BSediu", ""},
    {"mkIes", L"", 0, "BIes", ""},
    {"mkBani", L"", 0, "BBani", ""},
    {"mkMail", L"E&Mail", 0, "Mail", "Mail"},
    {"mkBigExit", L"", 0, "BigExit", "BigExit"},
    {"mkPlusAdd", L"", 0, "PlusAdd", ""},
    {"mkPlusBlue", L"", 0, "PlusBlue", "PlusBlue"},
    {"mkPlusPorto", L"", 0, "PlusPorto", ""},
    {"mkPlusPeach", L"", 0, "PlusPeach", ""},
    {"mkPlusSnorkel", L"", 0, "PlusSnorkel", ""},
    {"mkMinusDel", L"", 0, "MinusDel", ""},
    {"mkFirstPag", L"", 0, "FirstPag", ""},
    {"mkLastPag", L"", 0, "LastPag", ""},
    {"mkPrevPag", L"", 0, "PrevPag", ""},
    {"mkNextPag", L"", 0, "NextPag", ""},
    {"mknPrev", L"", 0, "nPrev", ""},
    {"mknNext", L"", 0, "nNext", ""},
    {"mkFind", L"", 0, "Find", "Find"},
    {"mkFindNext", L"", 0, "FindNext", ""},
    {"mkGrafic", L"", 0, "Grafic", ""},
    {"mkSaveAs", L"", 0, "SaveAs", "SaveAs"},
    {"mknFirst", L"", 0, "nFirst", ""},
    {"mknLast", L"", 0, "nLast", ""},
    {"mkContr", L"", 0, "Contract", ""},
    {"mkExpl", L"", 0, "Explicatii", ""},
    {"mkPermis", L"", 0, "Permis", ""},
    {"mkAction", L"?", 0, "UrmatorBlue", ""},
    {"mkAdvanced", L"", 0, "Avansat", "Avansat"},
};

const KindInfo* Info(int kind) {
  return kind >= 0 && kind < kButtonKindCount ? &kKinds[kind] : nullptr;
}

}  // namespace

const char* ButtonKindName(int kind) {
  return Info(kind) ? Info(kind)->name : "";
}

const wchar_t* KindCaption(int kind) {
  return Info(kind) ? Info(kind)->caption : L"";
}

int KindModalResult(int kind) {
  return Info(kind) ? Info(kind)->modalResult : 0;
}

const char* ButtonImageName(int kind) {
  return Info(kind) ? Info(kind)->buttonImage : "";
}

const char* NiceButtonImageName(int kind) {
  const KindInfo* info = Info(kind);
  if (!info)
    return "";
  return info->niceImage[0] ? info->niceImage : info->buttonImage;
}

}  // namespace kolvar::toolkit
