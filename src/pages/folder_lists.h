// The folder picker's two lists: the drives of the machine and the folder tree of one drive.
// Both are owner-drawn system lists with the toolkit's flat border and pictures drawn in code,
// usable by keyboard alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/pure/colors.h"

namespace kolvar::pages {

class TDirectoryListBox;

// What both lists share: owner-drawn lines of one height (from the font and the form's scale),
// a flat frame that follows the focus, the window colour behind the lines.
class TOwnerDrawList : public toolkit::TWinControl {
 public:
  using toolkit::TWinControl::TWinControl;

  toolkit::TColor BorderColor = 0xCFCFCF;
  toolkit::TColor BorderColorF = 0xA9A9A9;

  LRESULT Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 protected:
  // Draws one line.
  virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;
  // A notification code from the system list (LBN_..., CBN_...).
  virtual void Command(WORD code) {}
  int ItemHeight() const;
  // The keys that move a list's highlight.
  static bool IsNavigationKey(WORD key);
  // The frame colour for the focus now.
  COLORREF FrameColor() const;
  void DoEnter() override;
  void DoExit() override;

 private:
  ScopedBrush brush_;
};

// A drop-down list of every drive letter with a picture of its kind and, where it can be read
// without waiting on a removable drive, its volume label (a network drive's share). Choosing a
// drive moves the linked folder tree to it.
class TDriveComboBox : public TOwnerDrawList {
 public:
  TDriveComboBox(toolkit::TWinControl* parent, std::wstring name);

  // The chosen drive letter (upper case).
  wchar_t Drive() const { return drive_; }
  // Chooses `letter` when the machine has it (the list and the linked tree follow).
  void SetDrive(wchar_t letter);
  // The folder tree that follows the chosen drive, or null.
  TDirectoryListBox* DirList = nullptr;

  // The drives as listed: letter and line text.
  int Count() const { return static_cast<int>(drives_.size()); }
  std::wstring Line(int index) const;

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool WantsKey(WORD key) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void BoundsChanged() override;
  void FontHasChanged() override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;
  void Command(WORD code) override;

 private:
  struct Entry {
    wchar_t letter;
    UINT type;
    std::wstring label;
  };
  void FillDrives();
  void SelectionChanged();
  int IndexOf(wchar_t letter) const;

  std::vector<Entry> drives_;
  wchar_t drive_ = L'C';
};

// The folder tree of one drive: the folders from the root down to the current one, then the
// current folder's subfolders. A double click or Enter opens the highlighted folder.
class TDirectoryListBox : public TOwnerDrawList {
 public:
  TDirectoryListBox(toolkit::TWinControl* parent, std::wstring name);

  // The current folder: "C:\" for a root, else without a trailing backslash.
  const std::wstring& Directory() const { return directory_; }
  // Opens `folder`, or the nearest folder above it that exists, or the drive's root.
  void SetDirectory(const std::wstring& folder);
  // The drive letter of the current folder (0 for a network path).
  wchar_t Drive() const;
  // Opens the item at `index` (the current folder stays when the index is out of range).
  void OpenItem(int index);
  // The listed folders, in order.
  int Count() const { return static_cast<int>(items_.size()); }
  const std::wstring& ItemPath(int index) const { return items_.at(index).path; }
  // The highlighted item (-1 when none).
  int ItemIndex() const;
  toolkit::TNotifyEvent OnChange;

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void KeyDown(WORD& key, toolkit::TShiftState shift) override;
  bool WantsKey(WORD key) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void FontHasChanged() override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;
  void Command(WORD code) override;

 private:
  struct Item {
    std::wstring path;
    std::wstring caption;
    int level;
    bool open;  // on the way down to the current folder
  };
  void Fill();
  void FillWindow();

  std::wstring directory_;
  std::vector<Item> items_;
};

// The folders of a picture row: drawn kinds of the pictures in both lists.
enum class TFolderPicture { Floppy, Fixed, Network, CdRom, Closed, Open };
// Draws `picture` in the square `box`.
void DrawFolderPicture(HDC dc, TFolderPicture picture, const RECT& box);

}  // namespace kolvar::pages
