#include "pages/folder_lists.h"

#include <winnetwk.h>

#include <algorithm>

#include "pages/pure/folder_rules.h"
#include "platform/files.h"
#include "platform/text.h"
#include "toolkit/form.h"

namespace kolvar::pages {

using namespace toolkit;

namespace {

constexpr COLORREF kSelectedBack = RGB(0x07, 0x45, 0x8A);  // the toolkit's active title colour
constexpr COLORREF kIdleSelectedBack = RGB(0xCF, 0xCF, 0xCF);
constexpr int kDropDownCount = 8;

wchar_t UpperLetter(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

wchar_t LowerLetter(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Keeps the system from asking for a disk while a removable drive is read.
class QuietDrives {
 public:
  QuietDrives() : old_(::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietDrives() { ::SetErrorMode(old_); }

 private:
  UINT old_;
};

// The side of the square pictures, from the control's font and its form's scale.
int PictureSize(const TControl& control) {
  TMForm* form = control.OwnerForm();
  return ScaleValue(16, form ? form->PixelsPerInch() : 96, 96);
}

int LineHeight(const TControl& control) {
  int text = MeasureText(L"Wg", control.Font(), DT_SINGLELINE).cy;
  return std::max(text, PictureSize(control)) + 2;
}

TFolderPicture PictureOfDrive(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return TFolderPicture::Floppy;
    case DRIVE_REMOTE:
      return TFolderPicture::Network;
    case DRIVE_CDROM:
      return TFolderPicture::CdRom;
    default:
      return TFolderPicture::Fixed;
  }
}

// The volume label of `root`, or a network drive's share; empty when there is none or when
// reading it could wait on a removable disk.
std::wstring DriveLabel(wchar_t letter, UINT type) {
  if (type == DRIVE_REMOVABLE || type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
    return L"";
  if (type == DRIVE_REMOTE) {
    wchar_t local[3] = {letter, L':', 0};
    wchar_t remote[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (::WNetGetConnectionW(local, remote, &size) == NO_ERROR && remote[0])
      return remote;
  }
  QuietDrives quiet;
  wchar_t root[4] = {letter, L':', L'\\', 0};
  wchar_t name[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(root, name, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0))
    return L"";
  return name;
}

// Draws a one-pixel flat frame and a frame in the control's colour inside it over the window's
// client-edge border.
void PaintFlatBorder(HWND window, COLORREF frame, COLORREF inside) {
  HDC dc = ::GetWindowDC(window);
  RECT r;
  ::GetWindowRect(window, &r);
  ::OffsetRect(&r, -r.left, -r.top);
  FrameSolid(dc, r, frame);
  ::InflateRect(&r, -1, -1);
  FrameSolid(dc, r, inside);
  ::ReleaseDC(window, dc);
}

// Paints one list line: its picture at `indent`, then its text; highlighted when selected.
void PaintLine(const DRAWITEMSTRUCT& item,
               const TControl& control,
               TFolderPicture picture,
               int indent,
               const std::wstring& text,
               bool hasFocus) {
  RECT r = item.rcItem;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  COLORREF back = ::GetSysColor(COLOR_WINDOW);
  COLORREF fore = ResolveColor(control.Font().Color);
  FillSolid(item.hDC, r, back);
  int size = PictureSize(control);
  int x = r.left + 2 + indent;
  int top = r.top + (r.bottom - r.top - size) / 2;
  DrawFolderPicture(item.hDC, picture, RECT{x, top, x + size, top + size});
  x += size + 4;
  SIZE extent = MeasureText(text, control.Font(), DT_SINGLELINE | DT_NOPREFIX);
  RECT textBox{x - 2, r.top, std::min<LONG>(r.right, x + extent.cx + 2), r.bottom};
  if (selected) {
    FillSolid(item.hDC, textBox, hasFocus ? kSelectedBack : kIdleSelectedBack);
    fore = hasFocus ? RGB(255, 255, 255) : fore;
  }
  RECT textRect{x, r.top, r.right, r.bottom};
  DrawTextIn(item.hDC, text, textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, control.Font(),
             fore);
  if ((item.itemState & ODS_FOCUS) && hasFocus)
    ::DrawFocusRect(item.hDC, &textBox);
}

}  // namespace

// --- pictures -----------------------------------------------------------------------------------

void DrawFolderPicture(HDC dc, TFolderPicture picture, const RECT& box) {
  int s = box.right - box.left;
  auto at = [&](int x16, int y16) {
    return POINT{box.left + x16 * s / 16, box.top + y16 * s / 16};
  };
  auto shape = [&](std::initializer_list<POINT> points, COLORREF fill, COLORREF line) {
    ScopedBrush brush(::CreateSolidBrush(fill));
    ScopedPen pen(::CreatePen(PS_SOLID, 1, line));
    ScopedSelect b(dc, brush.get());
    ScopedSelect p(dc, pen.get());
    std::vector<POINT> list(points);
    ::Polygon(dc, list.data(), static_cast<int>(list.size()));
  };
  auto rect = [&](int l, int t, int r, int b, COLORREF fill, COLORREF line) {
    shape({at(l, t), at(r, t), at(r, b), at(l, b)}, fill, line);
  };
  const COLORREF outline = RGB(64, 64, 64);
  switch (picture) {
    case TFolderPicture::Closed:
      shape({at(1, 3), at(6, 3), at(7, 5), at(15, 5), at(15, 14), at(1, 14)}, RGB(240, 200, 80),
            RGB(150, 110, 20));
      rect(1, 6, 15, 14, RGB(250, 216, 110), RGB(150, 110, 20));
      break;
    case TFolderPicture::Open:
      shape({at(1, 3), at(6, 3), at(7, 5), at(14, 5), at(14, 14), at(1, 14)}, RGB(220, 180, 60),
            RGB(150, 110, 20));
      shape({at(3, 8), at(16, 8), at(14, 14), at(1, 14)}, RGB(255, 232, 150), RGB(150, 110, 20));
      break;
    case TFolderPicture::Fixed:
      rect(1, 6, 15, 12, RGB(200, 200, 200), outline);
      rect(11, 8, 13, 10, RGB(0, 200, 0), RGB(0, 120, 0));
      break;
    case TFolderPicture::Floppy:
      rect(2, 2, 14, 14, RGB(40, 60, 140), outline);
      rect(5, 2, 11, 7, RGB(200, 200, 210), outline);
      rect(4, 9, 12, 14, RGB(240, 240, 240), outline);
      break;
    case TFolderPicture::Network:
      rect(1, 3, 15, 9, RGB(200, 200, 200), outline);
      rect(11, 5, 13, 7, RGB(0, 200, 0), RGB(0, 120, 0));
      rect(7, 9, 9, 13, RGB(90, 90, 90), outline);
      rect(2, 13, 14, 15, RGB(90, 90, 90), outline);
      break;
    case TFolderPicture::CdRom: {
      ScopedBrush brush(::CreateSolidBrush(RGB(215, 215, 230)));
      ScopedPen pen(::CreatePen(PS_SOLID, 1, outline));
      ScopedSelect b(dc, brush.get());
      ScopedSelect p(dc, pen.get());
      POINT a = at(1, 1), z = at(15, 15), ha = at(6, 6), hz = at(10, 10);
      ::Ellipse(dc, a.x, a.y, z.x, z.y);
      ScopedBrush hole(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
      ScopedSelect h(dc, hole.get());
      ::Ellipse(dc, ha.x, ha.y, hz.x, hz.y);
      break;
    }
  }
}

// --- TOwnerDrawList ----------------------------------------------------------------------------

LRESULT TOwnerDrawList::Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (msg) {
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
      if (!brush_)
        brush_.reset(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
      return reinterpret_cast<LRESULT>(brush_.get());
    case WM_COMMAND:
      Command(HIWORD(wParam));
      return 0;
    default:
      handled = false;
      return 0;
  }
}

int TOwnerDrawList::ItemHeight() const {
  return LineHeight(*this);
}

bool TOwnerDrawList::IsNavigationKey(WORD key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      return true;
    default:
      return false;
  }
}

COLORREF TOwnerDrawList::FrameColor() const {
  return ResolveColor(Focused() ? BorderColorF : BorderColor);
}

void TOwnerDrawList::DoEnter() {
  TWinControl::DoEnter();
  ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TOwnerDrawList::DoExit() {
  TWinControl::DoExit();
  ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

// --- TDriveComboBox -----------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(TWinControl* parent, std::wstring name)
    : TOwnerDrawList(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 145, 22};
  color_ = clWindow;
  SetTabStop(true);
  FillDrives();
  wchar_t current[MAX_PATH] = {};
  if (::GetCurrentDirectoryW(MAX_PATH, current) && current[1] == L':')
    drive_ = UpperLetter(current[0]);
  if (IndexOf(drive_) < 0 && !drives_.empty())
    drive_ = drives_.front().letter;
}

void TDriveComboBox::FillDrives() {
  drives_.clear();
  DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i)))
      continue;
    wchar_t letter = static_cast<wchar_t>(L'A' + i);
    wchar_t root[4] = {letter, L':', L'\\', 0};
    UINT type = ::GetDriveTypeW(root);
    drives_.push_back({letter, type, DriveLabel(letter, type)});
  }
}

std::wstring TDriveComboBox::Line(int index) const {
  const Entry& e = drives_.at(index);
  return DriveLine(e.letter, e.label);
}

int TDriveComboBox::IndexOf(wchar_t letter) const {
  for (size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].letter == letter)
      return static_cast<int>(i);
  }
  return -1;
}

void TDriveComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"COMBOBOX";
  params.Style |= WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
}

void TDriveComboBox::HandleCreated() {
  for (size_t i = 0; i < drives_.size(); ++i)
    ::SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Line(i).c_str()));
  FontHasChanged();
  ::SendMessageW(handle_, CB_SETCURSEL, IndexOf(drive_), 0);
}

void TDriveComboBox::FontHasChanged() {
  TWinControl::FontHasChanged();
  if (!handle_)
    return;
  ::SendMessageW(handle_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ItemHeight());
  ::SendMessageW(handle_, CB_SETITEMHEIGHT, 0, ItemHeight());
  BoundsChanged();
}

void TDriveComboBox::BoundsChanged() {
  if (!handle_)
    return;
  // A drop-down list takes the height given to its window as the height of the open list.
  int rows = std::clamp(Count(), 1, kDropDownCount);
  ::SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height() + rows * ItemHeight() + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDriveComboBox::SetDrive(wchar_t letter) {
  letter = UpperLetter(letter);
  int index = IndexOf(letter);
  if (index < 0)
    return;
  if (handle_)
    ::SendMessageW(handle_, CB_SETCURSEL, index, 0);
  if (letter == drive_)
    return;
  drive_ = letter;
  if (DirList && DirList->Drive() != letter)
    DirList->SetDirectory(std::wstring{letter, L':', L'\\'});
}

void TDriveComboBox::SelectionChanged() {
  int index = static_cast<int>(::SendMessageW(handle_, CB_GETCURSEL, 0, 0));
  if (index >= 0 && index < Count())
    SetDrive(drives_[index].letter);
}

void TDriveComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= drives_.size()) {
    FillSolid(item.hDC, item.rcItem, ::GetSysColor(COLOR_WINDOW));
    return;
  }
  const Entry& e = drives_[item.itemID];
  bool inEdit = (item.itemState & ODS_COMBOBOXEDIT) != 0;
  PaintLine(item, *this, PictureOfDrive(e.type), 0, Line(item.itemID), inEdit ? Focused() : true);
}

void TDriveComboBox::Command(WORD code) {
  bool dropped = ::SendMessageW(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
  // While the list is open the arrows only move its highlight; the drive changes when it
  // closes, so that passing over an empty drive does not read it.
  if ((code == CBN_SELCHANGE && !dropped) || code == CBN_CLOSEUP)
    SelectionChanged();
}

LRESULT TDriveComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
    // The system draws a sunken edge; the toolkit's look is a flat frame.
    HDC dc = ::GetDC(handle_);
    RECT r;
    ::GetClientRect(handle_, &r);
    FrameSolid(dc, r, FrameColor());
    ::ReleaseDC(handle_, dc);
    return result;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

bool TDriveComboBox::WantsKey(WORD key) const {
  if (IsNavigationKey(key) || key == VK_F4)
    return true;
  // Enter and Escape close an open list instead of answering the dialog.
  return (key == VK_RETURN || key == VK_ESCAPE) && handle_ &&
         ::SendMessageW(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

// --- TDirectoryListBox --------------------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(TWinControl* parent, std::wstring name)
    : TOwnerDrawList(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 145, 97};
  color_ = clWindow;
  SetTabStop(true);
  wchar_t current[MAX_PATH] = {};
  DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
  SetDirectory(length > 0 && length < MAX_PATH ? current : L"C:\\");
}

wchar_t TDirectoryListBox::Drive() const {
  if (directory_.size() >= 2 && directory_[1] == L':')
    return UpperLetter(directory_[0]);
  return 0;
}

void TDirectoryListBox::SetDirectory(const std::wstring& folder) {
  std::vector<std::wstring> chain = PathChain(folder);
  if (chain.empty())
    return;
  std::wstring chosen = chain.front();
  {
    QuietDrives quiet;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (DirectoryExists(*it)) {
        chosen = *it;
        break;
      }
    }
  }
  bool changed = !EqualsNoCaseAscii(chosen, directory_);
  directory_ = chosen;
  Fill();
  FillWindow();
  if (changed && OnChange)
    OnChange(this);
}

void TDirectoryListBox::Fill() {
  items_.clear();
  std::vector<std::wstring> chain = PathChain(directory_);
  for (size_t i = 0; i < chain.size(); ++i) {
    std::wstring caption = FolderCaption(chain[i]);
    if (i == 0 && caption.size() == 3 && caption[1] == L':')
      caption[0] = LowerLetter(caption[0]);
    items_.push_back({chain[i], caption, static_cast<int>(i), true});
  }
  std::vector<std::wstring> names;
  {
    QuietDrives quiet;
    WIN32_FIND_DATAW data;
    ScopedFind find(::FindFirstFileW(JoinPath(directory_, L"*").c_str(), &data));
    if (find.get() != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
          names.push_back(name);
      } while (::FindNextFileW(find.get(), &data));
    }
  }
  SortFolderNames(names);
  int level = static_cast<int>(chain.size());
  for (const std::wstring& name : names)
    items_.push_back({JoinPath(directory_, name), name, level, false});
}

void TDirectoryListBox::FillWindow() {
  if (!handle_)
    return;
  ::SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
  for (const Item& item : items_)
    ::SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.caption.c_str()));
  int current = static_cast<int>(PathChain(directory_).size()) - 1;
  ::SendMessageW(handle_, LB_SETCURSEL, current, 0);
  ::SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(handle_, nullptr, TRUE);
}

int TDirectoryListBox::ItemIndex() const {
  if (!handle_)
    return static_cast<int>(PathChain(directory_).size()) - 1;
  return static_cast<int>(::SendMessageW(handle_, LB_GETCURSEL, 0, 0));
}

void TDirectoryListBox::OpenItem(int index) {
  if (index < 0 || index >= Count())
    return;
  SetDirectory(items_[index].path);
}

void TDirectoryListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"LISTBOX";
  params.Style |=
      WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDirectoryListBox::HandleCreated() {
  FontHasChanged();
  FillWindow();
}

void TDirectoryListBox::FontHasChanged() {
  TWinControl::FontHasChanged();
  if (handle_)
    ::SendMessageW(handle_, LB_SETITEMHEIGHT, 0, ItemHeight());
}

void TDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= items_.size()) {
    FillSolid(item.hDC, item.rcItem, ::GetSysColor(COLOR_WINDOW));
    return;
  }
  const Item& line = items_[item.itemID];
  TFolderPicture picture = line.open ? TFolderPicture::Open : TFolderPicture::Closed;
  if (item.itemID == 0 && line.open) {
    wchar_t root[4] = {line.path[0], L':', L'\\', 0};
    picture = line.path.size() >= 2 && line.path[1] == L':' ? PictureOfDrive(::GetDriveTypeW(root))
                                                            : TFolderPicture::Network;
  }
  int step = PictureSize(*this) * 3 / 4;
  PaintLine(item, *this, picture, line.level * step, line.caption, Focused());
}

void TDirectoryListBox::Command(WORD code) {
  if (code == LBN_DBLCLK)
    OpenItem(ItemIndex());
}

LRESULT TDirectoryListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCPAINT) {
    LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
    PaintFlatBorder(handle_, FrameColor(), ::GetSysColor(COLOR_WINDOW));
    return result;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

void TDirectoryListBox::KeyDown(WORD& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == VK_RETURN && !(shift & (ssAlt | ssCtrl))) {
    OpenItem(ItemIndex());
    key = 0;
  }
}

bool TDirectoryListBox::WantsKey(WORD key) const {
  return IsNavigationKey(key) || key == VK_RETURN;
}

}  // namespace kolvar::pages
