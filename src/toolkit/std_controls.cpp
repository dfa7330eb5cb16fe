#include "toolkit/std_controls.h"

#include <algorithm>

#include "platform/text.h"
#include "toolkit/form.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/captions.h"
#include "toolkit/pure/layout.h"

namespace kolvar::toolkit {

// --- TButton ------------------------------------------------------------------------------------

TButton::TButton(TWinControl* parent, std::wstring name) : TWinControl(parent, std::move(name)) {
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"BUTTON";
  params.Style |= BS_OWNERDRAW;
}

void TButton::Click() {
  if (modalResult_ != 0) {
    if (TMForm* form = OwnerForm())
      form->SetModalResult(modalResult_);
  }
  TWinControl::Click();
}

LRESULT TButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONUP: {
      // The system button reports the click while it handles the release: mark it as the
      // mouse's so that the keyboard-only behaviour stays out of it.
      mouseClick_ = true;
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      mouseClick_ = false;
      return result;
    }
    case WM_LBUTTONDBLCLK:
      // A quick second press is a press, not a double click.
      return TWinControl::WndProc(WM_LBUTTONDOWN, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    default:
      return TWinControl::WndProc(msg, wParam, lParam);
  }
}

LRESULT TButton::Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    Click();
    return 0;
  }
  if (msg == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    RECT client = item->rcItem;
    pressed_ = (item->itemState & ODS_SELECTED) != 0;
    bool focused = (item->itemState & ODS_FOCUS) != 0;
    int w = client.right - client.left, h = client.bottom - client.top;
    if (w <= 0 || h <= 0)
      return TRUE;
    ScopedMemoryDC memory(item->hDC);
    ScopedBitmap buffer(::CreateCompatibleBitmap(item->hDC, w, h));
    ScopedSelect select(memory.get(), buffer.get());
    RECT local{0, 0, w, h};
    DrawButton(memory.get(), local, pressed_, focused);
    ::BitBlt(item->hDC, client.left, client.top, w, h, memory.get(), 0, 0, SRCCOPY);
    return TRUE;
  }
  handled = false;
  return 0;
}

// --- TPanel -------------------------------------------------------------------------------------

void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight, int width) {
  for (int i = 0; i < width; ++i) {
    FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    ::InflateRect(&r, -1, -1);
  }
}

TPanel::TPanel(TWinControl* parent, std::wstring name) : TCustomControl(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 185, 41};
  color_ = parent ? parent->Color() : clBtnFace;
}

void TPanel::SetBevelOuter(TBevelCut cut) {
  bevelOuter_ = cut;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut cut) {
  bevelInner_ = cut;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int width) {
  bevelWidth_ = std::max(1, width);
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

int TPanel::BevelSize() const {
  int size = 0;
  if (bevelOuter_ != TBevelCut::bvNone)
    size += bevelWidth_;
  if (bevelInner_ != TBevelCut::bvNone)
    size += bevelWidth_;
  return size;
}

TRect TPanel::ClientRect() const {
  TRect r = TWinControl::ClientRect();
  int b = BevelSize();
  return TRect{b, b, std::max(0, r.Width - 2 * b), std::max(0, r.Height - 2 * b)};
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return TCustomControl::WndProc(msg, wParam, lParam);
}

void TPanel::Paint(HDC dc) {
  RECT r;
  ::GetClientRect(handle_, &r);
  COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), dark = ::GetSysColor(COLOR_BTNSHADOW);
  auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone)
      return;
    if (cut == TBevelCut::bvSpace) {
      ::InflateRect(&r, -bevelWidth_, -bevelWidth_);
      return;
    }
    bool raised = cut == TBevelCut::bvRaised;
    Frame3D(dc, r, raised ? light : dark, raised ? dark : light, bevelWidth_);
  };
  bevel(bevelOuter_);
  bevel(bevelInner_);
  if (Caption().empty())
    return;
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  format |= alignment_ == TAlignment::taCenter         ? DT_CENTER
            : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                       : DT_LEFT;
  DrawTextIn(dc, Caption(), r, format, Font(),
             Enabled() ? ResolveColor(Font().Color) : ::GetSysColor(COLOR_GRAYTEXT));
}

// --- TLabel -------------------------------------------------------------------------------------

TLabel::TLabel(TWinControl* parent, std::wstring name) : TGraphicControl(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 65, 17};
  color_ = parent ? parent->Color() : clBtnFace;
  parentColor_ = true;
}

UINT TLabel::TextFormat() const {
  UINT format = DT_EXPANDTABS;
  format |= alignment_ == TAlignment::taCenter         ? DT_CENTER
            : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                       : DT_LEFT;
  if (wordWrap_)
    format |= DT_WORDBREAK;
  if (!ShowAccelChar)
    format |= DT_NOPREFIX;
  return format;
}

void TLabel::AdjustSize() {
  if (!autoSize_)
    return;
  SIZE size = MeasureText(Caption().empty() ? L" " : Caption(), Font(), TextFormat(),
                          wordWrap_ ? Width() : 0);
  int left = Left();
  if (alignment_ == TAlignment::taRightJustify)
    left = Left() + Width() - size.cx;
  SetBounds(left, Top(), wordWrap_ ? Width() : size.cx, size.cy);
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  autoSize_ = value;
  AdjustSize();
}

void TLabel::SetWordWrap(bool value) {
  wordWrap_ = value;
  AdjustSize();
  Invalidate();
}

void TLabel::SetTransparent(bool value) {
  transparent_ = value;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout layout) {
  layout_ = layout;
  Invalidate();
}

void TLabel::CaptionChanged() {
  AdjustSize();
  Invalidate();
}

void TLabel::FontHasChanged() {
  AdjustSize();
  Invalidate();
}

void TLabel::Paint(HDC dc) {
  RECT r{0, 0, Width(), Height()};
  if (!transparent_)
    FillSolid(dc, r, ResolveColor(Color()));
  UINT format = TextFormat();
  if (layout_ != TTextLayout::tlTop) {
    SIZE size = MeasureText(Caption(), Font(), format, Width());
    int free = Height() - size.cy;
    r.top += layout_ == TTextLayout::tlCenter ? free / 2 : free;
  }
  if (Enabled()) {
    DrawTextIn(dc, Caption(), r, format, Font(), ResolveColor(Font().Color));
  } else {
    RECT shadow = r;
    ::OffsetRect(&shadow, 1, 1);
    DrawTextIn(dc, Caption(), shadow, format, Font(), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextIn(dc, Caption(), r, format, Font(), ::GetSysColor(COLOR_BTNSHADOW));
  }
}

// --- TEdit --------------------------------------------------------------------------------------

TEdit::TEdit(TWinControl* parent, std::wstring name) : TWinControl(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 121, 21};
  color_ = clWindow;
  SetTabStop(true);
}

void TEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = L"EDIT";
  params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (readOnly_)
    params.Style |= ES_READONLY;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::wstring TEdit::Text() const {
  HWND window = HandleIfAllocated();
  if (!window)
    return Caption();
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void TEdit::SetMaxLength(int length) {
  maxLength_ = std::max(0, length);
  if (HandleAllocated())
    ::SendMessageW(HandleIfAllocated(), EM_LIMITTEXT, maxLength_, 0);
}

void TEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated())
    ::SendMessageW(HandleIfAllocated(), EM_SETREADONLY, value, 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated())
    ::SendMessageW(HandleIfAllocated(), EM_SETSEL, 0, -1);
}

void TEdit::ColorChanged() {
  brush_.reset();
  Invalidate();
}

bool TEdit::WantsKey(WORD key) const {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END;
}

LRESULT TEdit::Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    if (OnChange)
      OnChange(this);
    handled = true;
    return 0;
  }
  if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    COLORREF back = ResolveColor(Color());
    ::SetTextColor(dc, Enabled() ? ResolveColor(Font().Color) : ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkColor(dc, back);
    if (!brush_ || brushColor_ != back) {
      brush_.reset(::CreateSolidBrush(back));
      brushColor_ = back;
    }
    handled = true;
    return reinterpret_cast<LRESULT>(brush_.get());
  }
  return 0;
}

// --- TMemo --------------------------------------------------------------------------------------

TMemo::TMemo(TWinControl* parent, std::wstring name) : TEdit(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 185, 89};
}

void TMemo::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (WantReturns)
    params.Style |= ES_WANTRETURN;
  if (!WordWrap)
    params.Style |= ES_AUTOHSCROLL;
  if (ScrollBars == TScrollStyle::ssVertical || ScrollBars == TScrollStyle::ssBoth) {
    params.Style |= WS_VSCROLL;
  }
  if (ScrollBars == TScrollStyle::ssHorizontal || ScrollBars == TScrollStyle::ssBoth) {
    params.Style |= WS_HSCROLL;
  }
}

bool TMemo::WantsKey(WORD key) const {
  return TEdit::WantsKey(key) || key == VK_UP || key == VK_DOWN || key == VK_PRIOR ||
         key == VK_NEXT || (key == VK_RETURN && WantReturns);
}

std::vector<std::wstring> TMemo::Lines() const {
  std::vector<std::wstring> lines;
  std::wstring text = Text(), line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r')
      continue;
    if (text[i] == L'\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += text[i];
    }
  }
  if (!line.empty())
    lines.push_back(line);
  return lines;
}

void TMemo::SetLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i)
      text += L"\r\n";
    text += lines[i];
  }
  SetText(text);
}

void TMemo::AddLine(const std::wstring& line) {
  std::wstring text = Text();
  if (!text.empty() && text.back() != L'\n')
    text += L"\r\n";
  text += line;
  SetCaption(text);
  if (HandleAllocated()) {
    ::SetWindowTextW(HandleIfAllocated(), text.c_str());
    int end = ::GetWindowTextLengthW(HandleIfAllocated());
    ::SendMessageW(HandleIfAllocated(), EM_SETSEL, end, end);
    ::SendMessageW(HandleIfAllocated(), EM_SCROLLCARET, 0, 0);
  }
}

// --- TGauge -------------------------------------------------------------------------------------

TGauge::TGauge(TWinControl* parent, std::wstring name) : TGraphicControl(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 100, 100};
  Font().Style |= fsBold;
}

int TGauge::PercentDone() const {
  return PercentOf(progress_, minValue_, maxValue_);
}

void TGauge::SetProgress(int value) {
  int before = PercentDone();
  progress_ = ClampProgress(value, minValue_, maxValue_);
  if (PercentDone() != before)
    Repaint();
}

void TGauge::SetMinValue(int value) {
  minValue_ = std::min(value, maxValue_);
  progress_ = ClampProgress(progress_, minValue_, maxValue_);
  Invalidate();
}

void TGauge::SetMaxValue(int value) {
  maxValue_ = std::max(value, minValue_);
  progress_ = ClampProgress(progress_, minValue_, maxValue_);
  Invalidate();
}

void TGauge::Paint(HDC dc) {
  RECT r{0, 0, Width(), Height()};
  FrameSolid(dc, r, ::GetSysColor(COLOR_BTNSHADOW));
  ::InflateRect(&r, -1, -1);
  int percent = PercentDone();
  int filled = r.left + (r.right - r.left) * percent / 100;
  COLORREF fore = ResolveColor(ForeColor), back = ResolveColor(BackColor);
  RECT done{r.left, r.top, filled, r.bottom}, rest{filled, r.top, r.right, r.bottom};
  FillSolid(dc, done, fore);
  FillSolid(dc, rest, back);
  if (!ShowText)
    return;
  std::wstring text = DecimalText(percent) + L"%";
  UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX;
  // The text reads in the back colour over the filled part and in the fore colour elsewhere.
  int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, done.left, done.top, done.right, done.bottom);
  DrawTextIn(dc, text, r, format, Font(), back);
  ::RestoreDC(dc, saved);
  saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, rest.left, rest.top, rest.right, rest.bottom);
  DrawTextIn(dc, text, r, format, Font(), fore);
  ::RestoreDC(dc, saved);
}

// --- TImage -------------------------------------------------------------------------------------

TImage::TImage(TWinControl* parent, std::wstring name) : TGraphicControl(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 105, 105};
}

void TImage::SetPicture(TPicture picture) {
  picture_ = std::move(picture);
  pictureDpi_ = PixelsPerInchOf(this);
  PictureChanged();
}

TPicture TImage::ShownPicture() const {
  const TBitmap* current = CurrentPicture();
  if (!current || current->Empty())
    return nullptr;
  // Scaled by the form's dots per inch over the picture's own.
  int dpi = std::max(1, CurrentPictureDpi());
  return ScaledPicture(*current, 1, ScaleValue(PixelsPerInchOf(this), 96, dpi));
}

void TImage::ScaleBy(int numerator, int denominator) {
  TGraphicControl::ScaleBy(numerator, denominator);
  // A strip's picture keeps whole cells, which may differ by a pixel from the bounds scaled.
  if (autoSize_)
    PictureChanged();
}

void TImage::SetAutoSize(bool value) {
  autoSize_ = value;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (TPicture shown = ShownPicture(); autoSize_ && shown)
    SetBounds(Left(), Top(), shown->Width(), shown->Height());
  Invalidate();
}

void TImage::Paint(HDC dc) {
  TPicture shown = ShownPicture();
  if (!shown)
    return;
  const TBitmap* picture = shown.get();
  Box box = PictureRect(Width(), Height(), picture->Width(), picture->Height(), Stretch,
                        Proportional, Center);
  RECT dest{box.x, box.y, box.x + box.w, box.y + box.h};
  RECT source{0, 0, picture->Width(), picture->Height()};
  DrawBitmap(dc, *picture, dest, source, Transparent);
}

}  // namespace kolvar::toolkit
