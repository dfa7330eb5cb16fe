// The folder picker: a drive list linked to a folder tree, O&K and &Renunt.
#pragma once

#include <string>

#include "pages/folder_lists.h"
#include "toolkit/actives.h"
#include "toolkit/buttons.h"
#include "toolkit/title_bar.h"

namespace kolvar::pages {

class TDirDialog : public toolkit::TTitleForm {
 public:
  TDirDialog();

  toolkit::TTitleBar* TitleBar1 = new toolkit::TTitleBar(this, L"TitleBar1");
  toolkit::TActiveLabel* ActiveLabel1 = new toolkit::TActiveLabel(this, L"ActiveLabel1");
  toolkit::TActiveLabel* ActiveLabel2 = new toolkit::TActiveLabel(this, L"ActiveLabel2");
  TDriveComboBox* DriveComboBox1 = new TDriveComboBox(this, L"DriveComboBox1");
  TDirectoryListBox* dirs = new TDirectoryListBox(this, L"dirs");
  toolkit::TNiceButton* NiceButton1 = new toolkit::TNiceButton(this, L"NiceButton1");
  toolkit::TNiceButton* NiceButton2 = new toolkit::TNiceButton(this, L"NiceButton2");

  // Opens the tree at `folder` (or the nearest existing folder above it); the drive list follows.
  void Preset(const std::wstring& folder);
};

// Shows the folder picker at `startFolder`. On O&K returns true with `answer` set to the chosen
// folder ending with one backslash; otherwise returns false and leaves `answer` alone.
bool PickFolder(const std::wstring& startFolder, std::wstring& answer);

// The process's current folder (what the picker starts from unless a page presets it).
std::wstring CurrentFolder();

}  // namespace kolvar::pages
