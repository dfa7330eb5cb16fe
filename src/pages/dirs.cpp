#include "pages/dirs.h"

#include "pages/dir_dialog.h"
#include "pages/page_memo.h"
#include "pages/pure/folder_rules.h"
#include "platform/files.h"
#include "toolkit/msg_dialog.h"
#include "toolkit/pure/palette.h"

namespace kolvar::pages {

using namespace toolkit;

namespace {

// The folders page's file system: the real one, the message through the message dialog.
class PageEnvironment : public DirsEnvironment {
 public:
  bool FolderExists(const std::wstring& path) override { return DirectoryExists(path); }
  bool CreateFolder(const std::wstring& path) override {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
  }
  void ClientDataMissing() override {
    ShowMsgDialog(L"La instalarea client baza de date trebuie sa existe!", L"Eroare!", mtError,
                  TAlignment::taCenter, MsgDlgMask(mbCancel), mbCancel);
  }
};

// The look of both folder fields.
void SetUpField(TActiveEdit* field, int top) {
  field->SetBounds(60, top, 207, 21);
  field->SetColor(clGrid);
  field->Font().Style |= fsBold;
  field->FontChanged();
  field->BorderColor = cl3;
  field->BorderColorF = cl2;
  field->FlatStyle = true;
}

void SetUpLabel(TActiveLabel* label, const wchar_t* caption, TWinControl* field, int top) {
  label->SetBounds(4, top + 3, 54, 16);
  label->SetParentColor(true);
  label->SetCaption(caption);
  label->FocusControl = field;
}

void SetUpSearchButton(TMButton* button, int top) {
  button->SetParentColor(true);
  button->SetCaption(L"Cauta...");
  button->SetKind(mkFind);
  button->CaptionVisible = false;
  button->SetModalResult(mrNone);
  button->SetBounds(271, top, 29, 21);
}

}  // namespace

TDirs::TDirs() : TWizardPage(L"TDirs", L"Alegeti directoarele destinatie!", false) {
  Panel1->SetBevelOuter(TBevelCut::bvNone);
  Panel1->SetParentColor(true);
  Panel1->SetCaption(L"");
  Panel1->SetBounds(168, 29, 305, 83);
  SetUpLabel(LProgram, L"&Program:", RProgram, 4);
  SetUpField(RProgram, 4);
  SetUpSearchButton(BProgram, 4);
  SetUpLabel(LDate, L"&Date:", RDate, 28);
  SetUpField(RDate, 28);
  SetUpSearchButton(BDate, 28);

  auto* memo = new TNoteMemo<TMemo>(Panel1, L"netmemo", false);
  netmemo = memo;
  netmemo->SetParentColor(true);
  netmemo->Font().Style |= fsBold;
  netmemo->FontChanged();
  netmemo->ScrollBars = TScrollStyle::ssVertical;
  netmemo->SetBounds(5, 53, 295, 29);
  netmemo->SetTabStop(false);
  netmemo->SetLines({
      L"Ati selectat o instalare de tip client. ",
      L"Introduceti in campul \"Date\" calea pana la baza ",
      L"de date server. Daca este necesar, folositi \"Map ",
      L"network drive\" din File Manager / Explorer",
  });

  LProgram->OnClick = Bind(this, &TDirs::LProgramClick);
  LDate->OnClick = Bind(this, &TDirs::LDateClick);
  BProgram->OnClick = Bind(this, &TDirs::BProgramClick);
  BDate->OnClick = Bind(this, &TDirs::BDateClick);
  RDate->OnChange = Bind(this, &TDirs::RDateChange);
  BNext->OnClick = Bind(this, &TDirs::BNextClick);
  SetActiveControl(RProgram);
}

void TDirs::FormCreate() {
  auto& state = bootstrap::State();
  state.PageIndex = 1;
  DirsLayout layout = LayoutFor(state);
  RProgram->SetText(layout.program);
  RDate->SetText(layout.data);
  LDate->SetVisible(layout.dataShown);
  RDate->SetVisible(layout.dataShown);
  BDate->SetVisible(layout.dataShown);
  netmemo->SetVisible(layout.memoShown);
  // Filling the data field above counts as no change of the user's.
  BNext->SetEnabled(layout.nextEnabled);
}

void TDirs::RDateChange(TControl*) {
  BNext->SetEnabled(true);
}

void TDirs::PickInto(TActiveEdit* field) {
  std::wstring answer;
  if (PickFolder(CurrentFolder(), answer))
    field->SetText(answer);
}

void TDirs::LProgramClick(TControl*) {
  PickInto(RProgram);
}

void TDirs::LDateClick(TControl*) {
  PickInto(RDate);
}

void TDirs::BProgramClick(TControl*) {
  PickInto(RProgram);
}

void TDirs::BDateClick(TControl*) {
  PickInto(RDate);
}

void TDirs::BNextClick(TControl*) {
  PageEnvironment env;
  FolderCheck check = StoreFolders(bootstrap::State(), RProgram->Text(), RDate->Text(), env);
  if (check)
    SetModalResult(mrOk);
  else
    (check.refused == DirsField::kProgram ? RProgram : RDate)->SetFocus();
}

}  // namespace kolvar::pages
