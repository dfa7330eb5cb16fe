#include "pages/dir_dialog.h"

#include "pages/pure/folder_rules.h"
#include "pages/wizard_page.h"

namespace kolvar::pages {

using namespace toolkit;

TDirDialog::TDirDialog() : TTitleForm(L"TDirDialog") {
  SetBorderStyle(TBorderStyle::bsNone);
  KeyPreview = true;
  Position = TPosition::poScreenCenter;
  SetColor(kPageColor);
  SetClientSize(600, 340);
  TitleBar1->SetAlign(TAlign::alTop);
  TitleBar1->SetHeight(kTitleHeight);
  TitleBar1->SetStartColor(kTitleColor);
  TitleBar1->SetEndColor(kTitleColor);
  TFont titleFont = TitleBar1->Font();
  titleFont.Height = -13;
  titleFont.Color = clWhite;
  TitleBar1->SetFont(titleFont);
  SetCaption(L"Alegeti calea!");

  ActiveLabel1->SetBounds(9, 36, 40, 17);
  ActiveLabel1->SetParentColor(true);
  ActiveLabel1->SetCaption(L"&Disc:");
  ActiveLabel1->FocusControl = DriveComboBox1;
  ActiveLabel2->SetBounds(9, 63, 40, 17);
  ActiveLabel2->SetParentColor(true);
  ActiveLabel2->SetCaption(L"&Cale:");
  ActiveLabel2->FocusControl = dirs;
  DriveComboBox1->SetBounds(50, 35, 215, 22);
  DriveComboBox1->DirList = dirs;
  dirs->SetBounds(50, 63, 499, 235);
  dirs->OnChange = [this](TControl*) { DriveComboBox1->SetDrive(dirs->Drive()); };

  NiceButton1->SetKind(mkOK);
  NiceButton1->SetBounds(338, 305, 100, 28);
  NiceButton1->Default = true;
  NiceButton2->SetKind(mkCancel);
  NiceButton2->SetBounds(449, 305, 100, 28);
  NiceButton2->Cancel = true;
  DriveComboBox1->SetDrive(dirs->Drive());
  SetActiveControl(dirs);
}

void TDirDialog::Preset(const std::wstring& folder) {
  dirs->SetDirectory(folder);
  DriveComboBox1->SetDrive(dirs->Drive());
}

bool PickFolder(const std::wstring& startFolder, std::wstring& answer) {
  auto dialog = CreateForm<TDirDialog>();
  dialog->Preset(startFolder);
  if (dialog->ShowModal() != mrOk)
    return false;
  answer = PickerAnswer(dialog->dirs->Directory());
  return true;
}

std::wstring CurrentFolder() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace kolvar::pages
