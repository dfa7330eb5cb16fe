#include "toolkit/control.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/form.h"

namespace kolvar::toolkit {
namespace {

constexpr wchar_t kWindowClass[] = L"KolvarControl";
constexpr wchar_t kControlProp[] = L"KolvarControlObject";

void RegisterToolkitClass() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ToolkitWindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  ::RegisterClassExW(&wc);
  registered = true;
}

TShiftState ShiftFromWParam(WPARAM wParam) {
  TShiftState shift = 0;
  if (wParam & MK_SHIFT)
    shift |= ssShift;
  if (wParam & MK_CONTROL)
    shift |= ssCtrl;
  if (wParam & MK_LBUTTON)
    shift |= ssLeft;
  if (wParam & MK_RBUTTON)
    shift |= ssRight;
  if (wParam & MK_MBUTTON)
    shift |= ssMiddle;
  if (::GetKeyState(VK_MENU) < 0)
    shift |= ssAlt;
  return shift;
}

// A class of our own built on system class `system` ("BUTTON", "EDIT"): same behaviour, our
// window procedure in front, and no CS_PARENTDC (a child drawing through its parent's DC keeps
// the parent flagged for painting under Wine). Returns its name; `proc` gets the system's
// window procedure.
std::wstring SuperClass(const wchar_t* system, WNDPROC* proc) {
  std::wstring name = std::wstring(L"Kolvar") + system;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE self = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(self, name.c_str(), &wc)) {
    WNDCLASSEXW base{};
    base.cbSize = sizeof(base);
    ::GetClassInfoExW(nullptr, system, &base);
    *proc = base.lpfnWndProc;
    return name;
  }
  if (!::GetClassInfoExW(nullptr, system, &wc))
    return system;
  *proc = wc.lpfnWndProc;
  wc.lpfnWndProc = ToolkitWindowProc;
  wc.style &= ~static_cast<UINT>(CS_PARENTDC | CS_GLOBALCLASS);
  wc.hInstance = self;
  wc.lpszClassName = name.c_str();
  ::RegisterClassExW(&wc);
  return name;
}

}  // namespace

LRESULT CALLBACK ToolkitWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  TWinControl* control = TWinControl::FromHandle(window);
  if (!control && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    control = static_cast<TWinControl*>(cs->lpCreateParams);
    if (control)
      control->AttachHandle(window);
  }
  if (!control)
    return ::DefWindowProcW(window, msg, wParam, lParam);
  try {
    return control->WndProc(msg, wParam, lParam);
  } catch (...) {
    Application().HandleException();
    return 0;
  }
}

// --- helpers ------------------------------------------------------------------------------------

COLORREF ResolveColor(TColor color) {
  if (color == clNone)
    return RGB(255, 255, 255);
  if (IsSystemColor(color))
    return ::GetSysColor(SystemColorIndex(color));
  return color & 0xFFFFFF;
}

int ScreenDpi() {
  ScopedGetDC dc(nullptr);
  int dpi = dc.get() ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

int PixelsPerInchOf(const TControl* control) {
  TMForm* form = control ? control->OwnerForm() : nullptr;
  return form ? form->PixelsPerInch() : 96;
}

TShiftState KeyboardShift() {
  TShiftState shift = 0;
  if (::GetKeyState(VK_SHIFT) < 0)
    shift |= ssShift;
  if (::GetKeyState(VK_CONTROL) < 0)
    shift |= ssCtrl;
  if (::GetKeyState(VK_MENU) < 0)
    shift |= ssAlt;
  return shift;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  COLORREF old = ::SetBkColor(dc, color);
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  ::SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& r, COLORREF color) {
  FillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, color);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, color);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, color);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, color);
}

void DrawTextIn(HDC dc,
                const std::wstring& text,
                RECT rect,
                UINT format,
                const TFont& font,
                COLORREF color) {
  ScopedSelect select(dc, font.Handle());
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, color);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
}

SIZE MeasureText(const std::wstring& text, const TFont& font, UINT format, int width) {
  ScopedGetDC dc(nullptr);
  ScopedSelect select(dc.get(), font.Handle());
  RECT r{0, 0, width > 0 ? width : 0, 0};
  ::DrawTextW(dc.get(), text.empty() ? L" " : text.c_str(),
              text.empty() ? 1 : static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  if (text.empty())
    r.right = r.left;
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// --- TFont --------------------------------------------------------------------------------------

TFont& TFont::operator=(const TFont& other) {
  if (this == &other)
    return *this;
  Name = other.Name;
  Height = other.Height;
  Style = other.Style;
  Color = other.Color;
  Charset = other.Charset;
  handle_.reset();
  return *this;
}

HFONT TFont::Handle() const {
  if (handle_ && madeName_ == Name && madeHeight_ == Height && madeStyle_ == Style &&
      madeCharset_ == Charset) {
    return handle_.get();
  }
  LOGFONTW lf{};
  lf.lfHeight = Height;
  lf.lfWeight = (Style & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (Style & fsItalic) ? TRUE : FALSE;
  lf.lfUnderline = (Style & fsUnderline) ? TRUE : FALSE;
  lf.lfStrikeOut = (Style & fsStrikeOut) ? TRUE : FALSE;
  lf.lfCharSet = Charset;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  ::lstrcpynW(lf.lfFaceName, Name.c_str(), LF_FACESIZE);
  handle_.reset(::CreateFontIndirectW(&lf));
  madeName_ = Name;
  madeHeight_ = Height;
  madeStyle_ = Style;
  madeCharset_ = Charset;
  if (!handle_)
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  return handle_.get();
}

// --- TControl -----------------------------------------------------------------------------------

TControl::TControl(TWinControl* parent, std::wstring name)
    : name_(std::move(name)), parent_(parent) {
  if (parent_) {
    font_ = parent_->font_;
    parent_->controls_.push_back(this);
  }
}

TControl::~TControl() {
  for (TWinControl* above = parent_; above; above = above->parent_)
    above->ControlGoing(this);
  if (parent_) {
    auto& siblings = parent_->controls_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    if (parent_->mouseCapture_ == this)
      parent_->mouseCapture_ = nullptr;
    if (parent_->mouseOver_ == this)
      parent_->mouseOver_ = nullptr;
    if (!IsWindowed() && parent_->HandleAllocated() && visible_) {
      RECT r = bounds_.ToRECT();
      ::InvalidateRect(parent_->HandleIfAllocated(), &r, TRUE);
    }
  }
}

TMForm* TControl::OwnerForm() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (auto* form = dynamic_cast<TMForm*>(const_cast<TControl*>(c)))
      return form;
  }
  return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  TRect next{left, top, std::max(0, width), std::max(0, height)};
  if (next.Left == bounds_.Left && next.Top == bounds_.Top && next.Width == bounds_.Width &&
      next.Height == bounds_.Height) {
    return;
  }
  if (!IsWindowed())
    Invalidate();
  bounds_ = next;
  BoundsChanged();
  if (!IsWindowed())
    Invalidate();
  if (parent_ && align_ != TAlign::alNone)
    parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
  if (align_ == align)
    return;
  align_ = align;
  if (parent_)
    parent_->Realign();
}

POINT TControl::ClientToScreen(int x, int y) const {
  POINT p{x, y};
  const TControl* c = this;
  while (c && !c->IsWindowed()) {
    p.x += c->bounds_.Left;
    p.y += c->bounds_.Top;
    c = c->parent_;
  }
  if (c)
    ::ClientToScreen(static_cast<const TWinControl*>(c)->HandleIfAllocated(), &p);
  return p;
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_)
      return false;
  }
  return true;
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible)
    return;
  if (!IsWindowed() && !visible)
    Invalidate();
  visible_ = visible;
  VisibleChanged();
  if (parent_ && align_ != TAlign::alNone)
    parent_->Realign();
}

void TControl::VisibleChanged() {
  Invalidate();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled)
    return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetCaption(const std::wstring& caption) {
  if (caption_ == caption)
    return;
  caption_ = caption;
  CaptionChanged();
}

void TControl::SetFont(const TFont& font) {
  font_ = font;
  FontChanged();
}

void TControl::FontChanged() {
  FontHasChanged();
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  ApplyColor(color);
}

void TControl::ApplyColor(TColor color) {
  if (color_ != color) {
    color_ = color;
    ColorChanged();
  }
  if (!IsWindowed())
    return;
  for (TControl* child : static_cast<TWinControl*>(this)->Controls()) {
    if (child->parentColor_)
      child->ApplyColor(color);
  }
}

void TControl::SetParentColor(bool value) {
  parentColor_ = value;
  if (value && parent_)
    ApplyColor(parent_->Color());
}

TRect TControl::RectInParentWindow() const {
  return bounds_;
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated())
    return;
  RECT r = bounds_.ToRECT();
  ::InvalidateRect(parent_->HandleIfAllocated(), &r, FALSE);
}

void TControl::Repaint() {
  Invalidate();
  const TControl* c = this;
  while (c && !c->IsWindowed())
    c = c->parent_;
  if (c && static_cast<const TWinControl*>(c)->HandleAllocated()) {
    ::UpdateWindow(static_cast<const TWinControl*>(c)->HandleIfAllocated());
  }
}

void TControl::ScaleBy(int numerator, int denominator) {
  bounds_.Left = ScaleValue(bounds_.Left, numerator, denominator);
  bounds_.Top = ScaleValue(bounds_.Top, numerator, denominator);
  bounds_.Width = ScaleValue(bounds_.Width, numerator, denominator);
  bounds_.Height = ScaleValue(bounds_.Height, numerator, denominator);
  font_.Height = ScaleValue(font_.Height, numerator, denominator);
  BoundsChanged();
  FontHasChanged();
}

void TControl::Click() {
  if (OnClick)
    OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown)
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp)
    OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove)
    OnMouseMove(this, shift, x, y);
}

// --- TWinControl --------------------------------------------------------------------------------

TWinControl::TWinControl(TWinControl* parent, std::wstring name)
    : TControl(parent, std::move(name)) {}

TWinControl::~TWinControl() {
  // Children first: each takes its own window down while this object is still whole.
  while (!controls_.empty())
    delete controls_.back();
  DestroyHandle();
}

void TWinControl::DestroyHandle() {
  if (!handle_)
    return;
  HWND window = handle_;
  ::RemovePropW(window, kControlProp);
  if (originalProc_) {
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
  }
  handle_ = nullptr;
  ::DestroyWindow(window);
}

TWinControl* TWinControl::FromHandle(HWND window) {
  if (!window)
    return nullptr;
  return static_cast<TWinControl*>(::GetPropW(window, kControlProp));
}

void TWinControl::AttachHandle(HWND window) {
  handle_ = window;
  ::SetPropW(window, kControlProp, this);
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Style |= Parent() ? WS_CHILD : WS_POPUP;
  if (Visible())
    params.Style |= WS_VISIBLE;
  if (!Enabled())
    params.Style |= WS_DISABLED;
  if (tabStop_)
    params.Style |= WS_TABSTOP;
  if (Parent())
    params.ParentWindow = Parent()->Handle();
}

HWND TWinControl::Handle() {
  if (!handle_)
    CreateWnd();
  return handle_;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  // Making the parent's window makes its children's, this one's included.
  if (handle_)
    return;
  RegisterToolkitClass();
  std::wstring className = kWindowClass;
  if (params.ClassName)
    className = SuperClass(params.ClassName, &originalProc_);
  HWND window =
      ::CreateWindowExW(params.ExStyle, className.c_str(), Caption().c_str(), params.Style,
                        bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height,
                        params.ParentWindow, nullptr, ::GetModuleHandleW(nullptr), this);
  if (!window)
    return;
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  for (TControl* child : controls_) {
    if (child->IsWindowed())
      static_cast<TWinControl*>(child)->Handle();
  }
  Realign();
  HandleCreated();
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (originalProc_)
    return ::CallWindowProcW(originalProc_, handle_, msg, wParam, lParam);
  return ::DefWindowProcW(handle_, msg, wParam, lParam);
}

LRESULT TWinControl::Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  return 0;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      HWND from = msg == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                                     : reinterpret_cast<HWND>(lParam);
      if (TWinControl* child = FromHandle(from); child && child != this) {
        bool handled = false;
        LRESULT result = child->Notify(msg, wParam, lParam, handled);
        if (handled)
          return result;
      }
      return DefaultHandler(msg, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
      return HandleMouse(msg, wParam, lParam);
    case WM_SETFOCUS:
      DoEnter();
      return DefaultHandler(msg, wParam, lParam);
    case WM_KILLFOCUS:
      DoExit();
      return DefaultHandler(msg, wParam, lParam);
    case WM_WINDOWPOSCHANGED:
      SyncBoundsFromWindow();
      return DefaultHandler(msg, wParam, lParam);
    default:
      return DefaultHandler(msg, wParam, lParam);
  }
}

TControl* TWinControl::GraphicChildAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->IsWindowed() || !c->Visible() || !c->BoundsRect().Contains(x, y))
      continue;
    if (c->HitTest(x - c->Left(), y - c->Top()))
      return c;
  }
  return nullptr;
}

void TWinControl::TrackLeave() {
  if (trackingLeave_)
    return;
  TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
  trackingLeave_ = ::TrackMouseEvent(&tme) != FALSE;
}

LRESULT TWinControl::HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
  int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  TShiftState shift = ShiftFromWParam(wParam);
  if (msg == WM_MOUSELEAVE) {
    trackingLeave_ = false;
    if (mouseOver_)
      std::exchange(mouseOver_, nullptr)->MouseLeave();
    if (mouseInside_) {
      mouseInside_ = false;
      MouseLeave();
    }
    return DefaultHandler(msg, wParam, lParam);
  }
  TControl* target = mouseCapture_ ? mouseCapture_ : GraphicChildAt(x, y);
  if (target && !target->Enabled())
    target = nullptr;
  if (msg == WM_MOUSEMOVE) {
    TrackLeave();
    if (!mouseInside_) {
      mouseInside_ = true;
      MouseEnter();
    }
    if (target != mouseOver_ && !mouseCapture_) {
      if (mouseOver_)
        mouseOver_->MouseLeave();
      mouseOver_ = target;
      if (target)
        target->MouseEnter();
    }
  }
  TMouseButton button = TMouseButton::mbLeft;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP)
    button = TMouseButton::mbRight;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP)
    button = TMouseButton::mbMiddle;
  if (target) {
    int cx = x - target->Left(), cy = y - target->Top();
    switch (msg) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        mouseCapture_ = target;
        ::SetCapture(handle_);
        target->MouseDown(button, shift, cx, cy);
        break;
      case WM_LBUTTONDBLCLK:
        target->DblClick();
        target->MouseDown(button, shift | ssDouble, cx, cy);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP: {
        bool wasCaptured = mouseCapture_ == target;
        mouseCapture_ = nullptr;
        if (::GetCapture() == handle_)
          ::ReleaseCapture();
        target->MouseUp(button, shift, cx, cy);
        if (wasCaptured && msg == WM_LBUTTONUP && target->BoundsRect().Contains(x, y)) {
          target->Click();
        }
        break;
      }
      case WM_MOUSEMOVE:
        target->MouseMove(shift, cx, cy);
        break;
    }
    return 0;
  }
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(button, shift, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      MouseDown(button, shift | ssDouble, x, y);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      MouseUp(button, shift, x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
  }
  return DefaultHandler(msg, wParam, lParam);
}

TControl* TWinControl::FindChild(const std::wstring& name) const {
  for (TControl* c : controls_) {
    if (c->Name() == name)
      return c;
    if (c->IsWindowed()) {
      if (TControl* found = static_cast<TWinControl*>(c)->FindChild(name))
        return found;
    }
  }
  return nullptr;
}

void TWinControl::SetTabStop(bool value) {
  tabStop_ = value;
  if (!handle_)
    return;
  LONG_PTR style = ::GetWindowLongPtrW(handle_, GWL_STYLE);
  style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  ::SetWindowLongPtrW(handle_, GWL_STYLE, style);
}

int TWinControl::TabOrder() const {
  if (!Parent())
    return -1;
  int order = 0;
  for (TControl* c : Parent()->controls_) {
    if (c == this)
      return order;
    if (c->IsWindowed())
      ++order;
  }
  return -1;
}

void TWinControl::SetTabOrder(int order) {
  if (!Parent())
    return;
  auto& list = Parent()->controls_;
  list.erase(std::remove(list.begin(), list.end(), static_cast<TControl*>(this)), list.end());
  int seen = 0;
  auto it = list.begin();
  for (; it != list.end(); ++it) {
    if ((*it)->IsWindowed() && seen++ == order)
      break;
  }
  list.insert(it, this);
}

bool TWinControl::Focused() const {
  return handle_ && ::GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled())
      return false;
  }
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus())
    return;
  ::SetFocus(Handle());
}

void TWinControl::Invalidate() {
  if (handle_)
    ::InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::ScaleBy(int numerator, int denominator) {
  aligning_ = true;
  TControl::ScaleBy(numerator, denominator);
  for (TControl* c : controls_)
    c->ScaleBy(numerator, denominator);
  aligning_ = false;
  if (handle_) {
    for (TControl* c : controls_) {
      if (c->IsWindowed())
        static_cast<TWinControl*>(c)->BoundsChanged();
    }
  }
  BoundsChanged();
  Realign();
  Invalidate();
}

TRect TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    ::GetClientRect(handle_, &r);
    return TRect{0, 0, r.right, r.bottom};
  }
  return TRect{0, 0, Width(), Height()};
}

void TWinControl::Realign() {
  if (aligning_)
    return;
  aligning_ = true;
  TRect area = ClientRect();
  auto place = [&](TAlign which) {
    for (TControl* c : controls_) {
      if (c->Align() != which || !c->Visible())
        continue;
      TRect r = c->BoundsRect();
      switch (which) {
        case TAlign::alTop:
          r = TRect{area.Left, area.Top, area.Width, r.Height};
          area.Top += r.Height;
          area.Height -= r.Height;
          break;
        case TAlign::alBottom:
          r = TRect{area.Left, area.Bottom() - r.Height, area.Width, r.Height};
          area.Height -= r.Height;
          break;
        case TAlign::alLeft:
          r = TRect{area.Left, area.Top, r.Width, area.Height};
          area.Left += r.Width;
          area.Width -= r.Width;
          break;
        case TAlign::alRight:
          r = TRect{area.Right() - r.Width, area.Top, r.Width, area.Height};
          area.Width -= r.Width;
          break;
        case TAlign::alClient:
          r = area;
          break;
        default:
          break;
      }
      c->SetBounds(r);
    }
  };
  for (TAlign a :
       {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    place(a);
  }
  aligning_ = false;
}

void TWinControl::BoundsChanged() {
  if (!handle_ || syncingBounds_)
    return;
  ::SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  // The window reports its new size after bounds_ already holds it: lay out here.
  Realign();
}

void TWinControl::SyncBoundsFromWindow() {
  RECT r;
  ::GetWindowRect(handle_, &r);
  if (HWND parent = ::GetParent(handle_);
      parent && (::GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD)) {
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  TRect now{r.left, r.top, r.right - r.left, r.bottom - r.top};
  bool resized = now.Width != bounds_.Width || now.Height != bounds_.Height;
  syncingBounds_ = true;
  bounds_ = now;
  syncingBounds_ = false;
  if (resized)
    Realign();
}

void TWinControl::CaptionChanged() {
  if (handle_)
    ::SetWindowTextW(handle_, Caption().c_str());
  Invalidate();
}

void TWinControl::EnabledChanged() {
  if (handle_)
    ::EnableWindow(handle_, Enabled());
  Invalidate();
}

void TWinControl::VisibleChanged() {
  if (handle_)
    ::ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::FontHasChanged() {
  if (handle_)
    ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  Invalidate();
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown)
    OnKeyDown(this, key, shift);
}

namespace {

void RepaintFollowers(TWinControl* root, const TWinControl* focused) {
  for (TControl* c : root->Controls()) {
    if (c->FollowsFocusOf(focused))
      c->Invalidate();
    if (c->IsWindowed())
      RepaintFollowers(static_cast<TWinControl*>(c), focused);
  }
}

}  // namespace

void TWinControl::DoEnter() {
  TMForm* form = OwnerForm();
  if (form && form != this)
    form->ActiveControlChanged(this);
  if (form)
    RepaintFollowers(form, this);
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit() {
  if (TMForm* form = OwnerForm())
    RepaintFollowers(form, this);
  if (OnExit)
    OnExit(this);
}

LRESULT TWinControl::PaintMessage(UINT msg, WPARAM wParam) {
  if (msg == WM_ERASEBKGND)
    return 1;
  if (msg == WM_PRINTCLIENT) {
    PaintWindow(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  ScopedPaint paint(handle_);
  PaintWindow(paint.dc());
  return 0;
}

void TWinControl::PaintBackground(HDC dc) {
  RECT r;
  ::GetClientRect(handle_, &r);
  FillSolid(dc, r, ResolveColor(Color()));
}

void TWinControl::PaintGraphicChildren(HDC dc, const RECT& clip) {
  for (TControl* c : controls_) {
    if (c->IsWindowed() || !c->Visible())
      continue;
    RECT r = c->BoundsRect().ToRECT(), both;
    if (!::IntersectRect(&both, &r, &clip))
      continue;
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    POINT origin;
    ::OffsetViewportOrgEx(dc, r.left, r.top, &origin);
    c->Paint(dc);
    ::RestoreDC(dc, saved);
  }
}

void TWinControl::PaintWindow(HDC dc) {
  PaintBackground(dc);
  RECT clip;
  ::GetClipBox(dc, &clip);
  PaintGraphicChildren(dc, clip);
}

// --- TCustomControl -----------------------------------------------------------------------------

LRESULT TCustomControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(msg, wParam);
    default:
      return TWinControl::WndProc(msg, wParam, lParam);
  }
}

void TCustomControl::PaintWindow(HDC dc) {
  RECT client;
  ::GetClientRect(handle_, &client);
  RECT clip;
  if (::GetClipBox(dc, &clip) == NULLREGION)
    return;
  if (!DoubleBuffered || client.right <= 0 || client.bottom <= 0) {
    PaintBackground(dc);
    Paint(dc);
    PaintGraphicChildren(dc, clip);
    return;
  }
  ScopedMemoryDC memory(dc);
  ScopedBitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
  {
    ScopedSelect select(memory.get(), bitmap.get());
    ::IntersectClipRect(memory.get(), clip.left, clip.top, clip.right, clip.bottom);
    PaintBackground(memory.get());
    Paint(memory.get());
    PaintGraphicChildren(memory.get(), clip);
    ::BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memory.get(),
             clip.left, clip.top, SRCCOPY);
  }
}

}  // namespace kolvar::toolkit
