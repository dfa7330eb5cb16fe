#include "toolkit/actives.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/form.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/radio_layout.h"

namespace kolvar::toolkit {
namespace {

constexpr COLORREF kAccelRed = RGB(255, 0, 0);
constexpr COLORREF kEmbossGrey = RGB(128, 128, 128);

// A caption cut around its accelerator letter ("&&" is a plain "&").
struct AccelParts {
  std::wstring before;
  std::wstring accel;
  std::wstring after;
};

AccelParts SplitAccel(const std::wstring& caption) {
  AccelParts parts;
  std::wstring* into = &parts.before;
  for (size_t i = 0; i < caption.size(); ++i) {
    wchar_t c = caption[i];
    if (c == L'&' && i + 1 < caption.size()) {
      c = caption[++i];
      if (c != L'&' && parts.accel.empty() && into == &parts.before) {
        parts.accel = c;
        into = &parts.after;
        continue;
      }
    } else if (c == L'&') {
      continue;
    }
    *into += c;
  }
  return parts;
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  if (!text.empty())
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int TextHeightOfWg(const TFont& font) {
  return MeasureText(L"Wg", font, DT_SINGLELINE).cy;
}

}  // namespace

int DrawAccelCaption(HDC dc,
                     const std::wstring& caption,
                     int x,
                     int y,
                     const TFont& font,
                     COLORREF color,
                     COLORREF accelColor,
                     bool underline) {
  AccelParts parts = SplitAccel(caption);
  TFont accelFont = font;
  if (underline)
    accelFont.Style |= fsUnderline;
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = ::SelectObject(dc, font.Handle());
  int start = x;
  auto out = [&](const std::wstring& text, COLORREF c) {
    if (text.empty())
      return;
    ::SetTextColor(dc, c);
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    x += TextWidth(dc, text);
  };
  out(parts.before, color);
  ::SelectObject(dc, accelFont.Handle());
  out(parts.accel, accelColor);
  ::SelectObject(dc, font.Handle());
  out(parts.after, color);
  ::SelectObject(dc, oldFont);
  ::SetBkMode(dc, oldMode);
  return x - start;
}

SIZE MeasureAccelCaption(const std::wstring& caption, const TFont& font) {
  AccelParts parts = SplitAccel(caption);
  return MeasureText(parts.before + parts.accel + parts.after, font, DT_SINGLELINE);
}

// --- TActiveLabel -------------------------------------------------------------------------------

TActiveLabel::TActiveLabel(TWinControl* parent, std::wstring name)
    : TLabel(parent, std::move(name)) {
  SetAutoSize(false);
}

void TActiveLabel::Click() {
  if (FocusControl && FocusControl->CanFocus())
    FocusControl->SetFocus();
  TLabel::Click();
}

void TActiveLabel::Paint(HDC dc) {
  RECT r{0, 0, Width(), Height()};
  if (!Transparent())
    FillSolid(dc, r, ResolveColor(Color()));
  std::wstring caption = Caption();
  if (caption.empty() || caption == L"&")
    caption = L" ";
  SIZE size = MeasureAccelCaption(caption, Font());
  int x = Alignment() == TAlignment::taRightJustify ? Width() - size.cx
          : Alignment() == TAlignment::taCenter     ? (Width() - size.cx) / 2
                                                    : 0;
  if (!Enabled()) {
    DrawAccelCaption(dc, caption, x + 1, 1, Font(), RGB(255, 255, 255), RGB(255, 255, 255), false);
    DrawAccelCaption(dc, caption, x, 0, Font(), kEmbossGrey, kEmbossGrey, false);
    return;
  }
  bool lit = FocusControl && FocusControl->Focused();
  COLORREF color = ResolveColor(Font().Color);
  DrawAccelCaption(dc, caption, x, 0, Font(), color, kAccelRed, lit);
}

// --- label highlight ----------------------------------------------------------------------------

void TLabelHighlight::Enter() {
  if (!Label || lit_)
    return;
  oldColor_ = Label->Font().Color;
  oldStyle_ = Label->Font().Style;
  lit_ = true;
  Label->Font().Color = LabelColor;
  Label->FontChanged();
}

void TLabelHighlight::Exit() {
  if (!Label || !lit_)
    return;
  lit_ = false;
  Label->Font().Color = oldColor_;
  Label->Font().Style = oldStyle_;
  Label->FontChanged();
}

// --- TActiveEdit --------------------------------------------------------------------------------

TActiveEdit::TActiveEdit(TWinControl* parent, std::wstring name) : TEdit(parent, std::move(name)) {}

void TActiveEdit::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TActiveEdit::SetAssocLabel(TActiveLabel* label) {
  highlight_.Exit();
  highlight_.Label = label;
  if (label)
    label->FocusControl = this;
}

void TActiveEdit::DoEnter() {
  highlight_.Enter();
  TEdit::DoEnter();
  if (FlatStyle)
    PaintFlatBorder();
  if (alignment_ != TAlignment::taLeftJustify)
    Invalidate();
}

void TActiveEdit::DoExit() {
  highlight_.Exit();
  TEdit::DoExit();
  if (FlatStyle)
    PaintFlatBorder();
  if (alignment_ != TAlignment::taLeftJustify)
    Invalidate();
}

bool TActiveEdit::DrawsOwnText() const {
  return alignment_ != TAlignment::taLeftJustify && !Focused();
}

int TActiveEdit::TextMargin() const {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  int systemHeight = std::abs(Font().Height);
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    systemHeight = std::abs(metrics.lfMessageFont.lfHeight);
  return std::min(systemHeight, std::abs(Font().Height)) / 4;
}

void TActiveEdit::PaintOwnText(HDC dc) {
  RECT client;
  ::GetClientRect(handle_, &client);
  FillSolid(dc, client, ResolveColor(Color()));
  std::wstring text = Text();
  if (PasswordChar)
    text.assign(text.size(), PasswordChar);
  COLORREF color = Enabled() ? ResolveColor(Font().Color) : kEmbossGrey;
  RECT box = client;
  UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
  if (alignment_ == TAlignment::taRightJustify) {
    box.right -= TextMargin() - 2;
    format |= DT_RIGHT;
  } else {
    format |= DT_CENTER;
  }
  DrawTextIn(dc, text, box, format, Font(), color);
}

void TActiveEdit::PaintFlatBorder() {
  if (!handle_)
    return;
  ::RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT TActiveEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      if (DrawsOwnText()) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(handle_, &ps);
        PaintOwnText(dc);
        ::EndPaint(handle_, &ps);
        return 0;
      }
      break;
    case WM_NCPAINT: {
      if (!FlatStyle || !(::GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
        break;
      HDC dc = ::GetWindowDC(handle_);
      RECT r;
      ::GetWindowRect(handle_, &r);
      ::OffsetRect(&r, -r.left, -r.top);
      if (BevelOuter == TBevelCut::bvNone) {
        FrameSolid(dc, r, ResolveColor(Focused() ? BorderColorF : BorderColor));
        ::InflateRect(&r, -1, -1);
        FrameSolid(dc, r, ResolveColor(Color()));
      } else {
        ::DrawEdge(dc, &r, BevelOuter == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
                   BF_RECT);
        ::InflateRect(&r, -1, -1);
        FrameSolid(dc, r, ResolveColor(Color()));
      }
      ::ReleaseDC(handle_, dc);
      return 0;
    }
    default:
      break;
  }
  return TEdit::WndProc(msg, wParam, lParam);
}

// --- TActiveMemo --------------------------------------------------------------------------------

TActiveMemo::TActiveMemo(TWinControl* parent, std::wstring name) : TMemo(parent, std::move(name)) {}

void TActiveMemo::SetAssocLabel(TActiveLabel* label) {
  highlight_.Exit();
  highlight_.Label = label;
  if (label)
    label->FocusControl = this;
}

void TActiveMemo::DoEnter() {
  highlight_.Enter();
  TMemo::DoEnter();
}

void TActiveMemo::DoExit() {
  highlight_.Exit();
  TMemo::DoExit();
}

// --- TMarkControl -------------------------------------------------------------------------------

TMarkControl::TMarkControl(TWinControl* parent, std::wstring name)
    : TCustomControl(parent, std::move(name)) {
  DoubleBuffered = true;
}

void TMarkControl::SetAlignment(TLeftRight alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TMarkControl::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TMarkControl::DoExit() {
  TCustomControl::DoExit();
  Invalidate();
}

void TMarkControl::Paint(HDC dc) {
  RECT client{0, 0, Width(), Height()};
  FillSolid(dc, client, ResolveColor(Color()));
  int cells = MarkCells();
  int ppi = PixelsPerInchOf(this);
  const TBitmap* own = MarkPicture();
  TPicture scaled = own ? ScaledPicture(*own, cells, ppi) : nullptr;
  const TBitmap* picture = scaled.get();
  int cellWidth = picture && !picture->Empty() ? picture->Width() / cells : 0;
  int cellHeight = picture ? picture->Height() : 0;
  int textHeight = TextHeightOfWg(Font());
  int lineHeight = std::max(cellHeight, textHeight);
  int top = LineAtTop ? 0 : (Height() - lineHeight) / 2;
  bool boxLeft = alignment_ != TAlignment::taLeftJustify;
  int boxX = boxLeft ? 0 : Width() - cellWidth;
  if (cellWidth > 0) {
    DrawCell(dc, *picture, cells, MarkCell(), boxX, top + (lineHeight - cellHeight) / 2, true);
  }
  bool focused = Focused();
  COLORREF color = !Enabled() ? ::GetSysColor(COLOR_GRAYTEXT)
                   : focused  ? kAccelRed
                              : ResolveColor(Font().Color);
  int textX = boxLeft ? cellWidth + ScaleValue(4, ppi, 96) : 0;
  int textY = top + (lineHeight - textHeight) / 2;
  // Disabled, the accelerator letter is not marked: it takes the text colour.
  DrawAccelCaption(dc, Caption(), textX, textY, Font(), color, Enabled() ? kAccelRed : color,
                   focused);
}

// --- TMCustomCheckBox ---------------------------------------------------------------------------

TMCustomCheckBox::TMCustomCheckBox(TWinControl* parent, std::wstring name)
    : TMarkControl(parent, std::move(name)) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TMCustomCheckBox::SetState(TCheckBoxState state) {
  if (state == state_)
    return;
  state_ = state;
  Invalidate();
  TMarkControl::Click();
}

void TMCustomCheckBox::SetChecked(bool checked) {
  SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TMCustomCheckBox::Toggle() {
  switch (state_) {
    case TCheckBoxState::cbUnchecked:
      state_ = AllowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked;
      break;
    case TCheckBoxState::cbChecked:
      state_ = TCheckBoxState::cbUnchecked;
      break;
    case TCheckBoxState::cbGrayed:
      state_ = TCheckBoxState::cbChecked;
      break;
  }
  Invalidate();
}

void TMCustomCheckBox::Click() {
  Toggle();
  TMarkControl::Click();
}

void TMCustomCheckBox::AcceleratorPressed() {
  if (Focused())
    Click();
}

void TMCustomCheckBox::KeyDown(WORD& key, TShiftState shift) {
  TMarkControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    key = 0;
    Click();
  }
}

void TMCustomCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // A quick second click counts as a click of its own.
  if (button == TMouseButton::mbLeft) {
    if (CanFocus())
      SetFocus();
    pressed_ = true;
    ::SetCapture(Handle());
  }
  TMarkControl::MouseDown(button, shift, x, y);
}

void TMCustomCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool wasPressed = pressed_ && button == TMouseButton::mbLeft;
  if (wasPressed) {
    pressed_ = false;
    ::ReleaseCapture();
  }
  TMarkControl::MouseUp(button, shift, x, y);
  if (wasPressed && x >= 0 && y >= 0 && x < Width() && y < Height())
    Click();
}

const TBitmap* TMCustomCheckBox::MarkPicture() const {
  if (CustomGlyph && Glyph)
    return Glyph.get();
  return MarkImage(glCheck).get();
}

int TMCustomCheckBox::MarkCell() const {
  switch (state_) {
    case TCheckBoxState::cbChecked:
      return 0;
    case TCheckBoxState::cbUnchecked:
      return 1;
    case TCheckBoxState::cbGrayed:
      return 2;
  }
  return 1;
}

// --- TMRadioButton ------------------------------------------------------------------------------

TMRadioButton::TMRadioButton(TWinControl* parent, std::wstring name)
    : TMarkControl(parent, std::move(name)) {
  SetBounds(0, 0, 113, 17);
}

void TMRadioButton::SetChecked(bool checked) {
  if (checked == checked_)
    return;
  checked_ = checked;
  SetTabStop(checked);
  Invalidate();
  if (!checked)
    return;
  if (TWinControl* parent = Parent()) {
    for (TControl* sibling : parent->Controls()) {
      if (auto* radio = dynamic_cast<TMRadioButton*>(sibling); radio && radio != this)
        radio->SetChecked(false);
    }
  }
  Click();
}

void TMRadioButton::AcceleratorPressed() {
  if (Focused() && CanChange())
    SetChecked(true);
}

void TMRadioButton::KeyDown(WORD& key, TShiftState shift) {
  TMarkControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    key = 0;
    if (CanChange())
      SetChecked(true);
  }
}

void TMRadioButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TMarkControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || (shift & ssDouble))
    return;
  if (CanFocus())
    SetFocus();
  if (CanChange())
    SetChecked(true);
}

LRESULT TMRadioButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_LBUTTONDBLCLK) {
    if (CanChange())
      DblClick();
    return 0;
  }
  return TMarkControl::WndProc(msg, wParam, lParam);
}

const TBitmap* TMRadioButton::MarkPicture() const {
  return MarkImage(glRadio).get();
}

// --- TMGroupButton ------------------------------------------------------------------------------

TMGroupButton::TMGroupButton(TMCustomRadioGroup* group, std::wstring name)
    : TMRadioButton(group, std::move(name)), group_(group) {
  LineAtTop = true;
  SetVisible(false);
}

bool TMGroupButton::CanChange() {
  return group_->CanModify();
}

void TMGroupButton::Click() {
  TMRadioButton::Click();
  group_->ButtonClicked(this);
}

bool TMGroupButton::WantsKey(WORD key) const {
  return group_->WantsKey(key);
}

void TMGroupButton::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_BACK) {
    if (!CanChange())
      key = 0;
    return;
  }
  TMRadioButton::KeyDown(key, shift);
  if (key)
    group_->KeyDown(key, shift);
}

// --- TMCustomRadioGroup -------------------------------------------------------------------------

TMCustomRadioGroup::TMCustomRadioGroup(TWinControl* parent, std::wstring name)
    : TCustomControl(parent, std::move(name)) {
  SetBounds(0, 0, 185, 105);
}

void TMCustomRadioGroup::SetItems(const std::vector<std::wstring>& items) {
  items_ = items;
  updating_ = true;
  while (buttons_.size() > items_.size()) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (buttons_.size() < items_.size()) {
    buttons_.push_back(new TMGroupButton(this, L""));
    buttons_.back()->SetFont(Font());
    buttons_.back()->SetColor(Color());
    buttons_.back()->SetEnabled(Enabled());
  }
  for (size_t i = 0; i < items_.size(); ++i) {
    buttons_[i]->SetCaption(items_[i]);
    buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
  }
  updating_ = false;
  if (itemIndex_ >= Count())
    SetItemIndex(Count() - 1);
  ArrangeButtons();
}

void TMCustomRadioGroup::SetItemIndex(int index) {
  index = std::clamp(index, -1, Count() - 1);
  if (index == itemIndex_)
    return;
  updating_ = true;
  if (itemIndex_ >= 0 && itemIndex_ < Count())
    buttons_[itemIndex_]->SetChecked(false);
  itemIndex_ = index;
  if (itemIndex_ >= 0)
    buttons_[itemIndex_]->SetChecked(true);
  updating_ = false;
}

void TMCustomRadioGroup::SetColumns(int columns) {
  columns_ = std::max(1, columns);
  ArrangeButtons();
}

bool TMCustomRadioGroup::CanModify() {
  bool can = true;
  if (OnModify)
    OnModify(this, can);
  return can;
}

void TMCustomRadioGroup::ButtonClicked(TMGroupButton* button) {
  if (updating_)
    return;
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end())
    return;
  updating_ = true;
  itemIndex_ = static_cast<int>(it - buttons_.begin());
  updating_ = false;
  TCustomControl::Click();
}

void TMCustomRadioGroup::MoveSelection(int index) {
  if (Count() == 0)
    return;
  index = std::clamp(index, 0, Count() - 1);
  if (index != itemIndex_ && CanModify())
    SetItemIndex(index);
  if (itemIndex_ >= 0 && !buttons_[itemIndex_]->Focused())
    buttons_[itemIndex_]->SetFocus();
}

void TMCustomRadioGroup::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  int current = std::max(itemIndex_, 0);
  switch (key) {
    case VK_HOME:
      MoveSelection(0);
      break;
    case VK_END:
      MoveSelection(Count() - 1);
      break;
    case VK_PRIOR:
    case VK_UP:
    case VK_LEFT:
      MoveSelection(itemIndex_ < 0 ? 0 : current - 1);
      break;
    case VK_NEXT:
    case VK_DOWN:
    case VK_RIGHT:
      MoveSelection(itemIndex_ < 0 ? 0 : current + 1);
      break;
    default:
      return;
  }
  key = 0;
}

bool TMCustomRadioGroup::WantsKey(WORD key) const {
  switch (key) {
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
      return true;
    default:
      return false;
  }
}

void TMCustomRadioGroup::ArrangeButtons() {
  auto cells = ArrangeRadioButtons(Count(), columns_, Width(), Height(), Font().Height);
  for (int i = 0; i < Count(); ++i) {
    const CellRect& c = cells[i];
    buttons_[i]->SetBounds(c.left, c.top, c.width, c.height);
    buttons_[i]->SetVisible(true);
  }
}

void TMCustomRadioGroup::BoundsChanged() {
  TCustomControl::BoundsChanged();
  ArrangeButtons();
}

void TMCustomRadioGroup::FontHasChanged() {
  TCustomControl::FontHasChanged();
  for (TMGroupButton* b : buttons_)
    b->SetFont(Font());
  ArrangeButtons();
}

void TMCustomRadioGroup::ScaleBy(int numerator, int denominator) {
  // The buttons took the group's scaled font already; scaling them on would scale it twice.
  TCustomControl::ScaleBy(numerator, denominator);
  for (TMGroupButton* b : buttons_)
    b->SetFont(Font());
  ArrangeButtons();
}

void TMCustomRadioGroup::EnabledChanged() {
  TCustomControl::EnabledChanged();
  for (TMGroupButton* b : buttons_)
    b->SetEnabled(Enabled());
}

}  // namespace kolvar::toolkit
