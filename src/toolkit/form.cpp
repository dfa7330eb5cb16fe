#include "toolkit/form.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/error.h"
#include "toolkit/actives.h"
#include "toolkit/application.h"
#include "toolkit/pure/captions.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {
namespace {

struct DisabledWindows {
  HWND except;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
  auto* list = reinterpret_cast<DisabledWindows*>(param);
  if (window != list->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    list->windows.push_back(window);
  }
  return TRUE;
}

// Every windowed control of `root` in tab order, depth first.
void CollectTabOrder(TWinControl* root, std::vector<TWinControl*>& out) {
  for (TControl* c : root->Controls()) {
    if (!c->IsWindowed())
      continue;
    auto* w = static_cast<TWinControl*>(c);
    out.push_back(w);
    CollectTabOrder(w, out);
  }
}

template <typename F>
void ForEachControl(TWinControl* root, F f) {
  for (TControl* c : root->Controls()) {
    f(c);
    if (c->IsWindowed())
      ForEachControl(static_cast<TWinControl*>(c), f);
  }
}

// Clicks the first showing, enabled button of `form` that `wanted` picks; false when none.
template <typename P>
bool ClickFirstButton(TWinControl* form, P wanted) {
  TButton* found = nullptr;
  ForEachControl(form, [&](TControl* c) {
    auto* b = dynamic_cast<TButton*>(c);
    if (!found && b && wanted(b) && b->Showing() && b->Enabled())
      found = b;
  });
  if (found)
    found->Click();
  return found != nullptr;
}

// Posted by a form to itself when it has been activated: the always-on-top windows go back above
// it once the activation has run to its end (Wine raises the activated window on the display
// last, after the activation messages). The display's focus news can come later still and raise
// it again: a timer puts them back once more a moment afterwards.
constexpr UINT kKeepTopmostAboveMessage = WM_APP + 0x21;
constexpr UINT_PTR kKeepTopmostAboveTimer = 0x4B54;
constexpr UINT kKeepTopmostAboveDelayMs = 300;

bool IsTopmost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Puts an always-on-top window back on top of the screen. Asking for the top of the always-on-top
// band is not enough: where the system's own order already has the window there (Wine), nothing
// moves on the display either. Leaving the band and coming back into it places the window for
// real; on Windows the first step puts it above every ordinary window, so nothing shows between.
void RaiseTopmost(HWND window) {
  constexpr UINT kPlaceOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kPlaceOnly);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kPlaceOnly);
}

BOOL CALLBACK RaiseTopmostOne(HWND window, LPARAM except) {
  if (window != reinterpret_cast<HWND>(except) && ::IsWindowVisible(window) && IsTopmost(window))
    RaiseTopmost(window);
  return TRUE;
}

// The thread's visible always-on-top windows, put back above `shown`, an ordinary window that
// has just been shown or activated. Wine without a window manager raises such a window on the
// display above the always-on-top ones, while its own order of windows (and so every hit test)
// still has them on top.
void KeepTopmostAbove(HWND shown) {
  if (IsTopmost(shown))
    return;
  ::EnumThreadWindows(::GetCurrentThreadId(), &RaiseTopmostOne, reinterpret_cast<LPARAM>(shown));
}

}  // namespace

TMForm::TMForm(std::wstring name) : TWinControl(nullptr, std::move(name)) {
  CreationTime = ::GetTickCount();
  SetVisible(false);
  color_ = clBtnFace;
  Font().Name = L"MS Sans Serif";
  Font().Height = -11;
  Font().Color = clWindowText;
  bounds_ = TRect{0, 0, 320, 240};
}

TMForm::~TMForm() {
  if (Application().MainForm() == this)
    Application().SetMainForm(nullptr);
}

void TMForm::AfterConstruction() {
  if (afterConstructionDone_)
    return;
  afterConstructionDone_ = true;
  Loaded();
  FormLoaded = true;
  int dpi = ScreenDpi();
  if (dpi != pixelsPerInch_) {
    ScaleConstraints(dpi, pixelsPerInch_);
    ScaleBy(dpi, pixelsPerInch_);
  }
  FormCreate();
  FormCreated = true;
}

void TMForm::WindowStyles(DWORD& style, DWORD& exStyle) const {
  switch (borderStyle_) {
    case TBorderStyle::bsNone:
      style |= WS_POPUP;
      break;
    case TBorderStyle::bsSingle:
      style |= WS_CAPTION | WS_BORDER;
      break;
    case TBorderStyle::bsSizeable:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TBorderStyle::bsDialog:
      style |= WS_POPUP | WS_CAPTION;
      exStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (borderStyle_ != TBorderStyle::bsNone && (BorderIcons & biSystemMenu)) {
    style |= WS_SYSMENU;
    if (borderStyle_ != TBorderStyle::bsDialog) {
      if (BorderIcons & biMinimize)
        style |= WS_MINIMIZEBOX;
      if (BorderIcons & biMaximize)
        style |= WS_MAXIMIZEBOX;
    }
  }
}

void TMForm::CreateParams(TCreateParams& params) {
  params.Style = WS_CLIPCHILDREN;
  params.ExStyle = 0;
  WindowStyles(params.Style, params.ExStyle);
  if (!Enabled())
    params.Style |= WS_DISABLED;
  TMForm* main = Application().MainForm();
  if (main && main != this && main->HandleAllocated()) {
    params.ParentWindow = main->HandleIfAllocated();
  } else if (main == this) {
    // Only the main window stands in the task bar; other windows stay unmanaged, which also
    // spares a window manager's round trip each time one is hidden.
    params.ExStyle |= WS_EX_APPWINDOW;
  }
}

void TMForm::HandleCreated() {
  RelabelSystemMenu();
  if (borderWidth_ > 0) {
    ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TMForm::RelabelSystemMenu() {
  HMENU menu = ::GetSystemMenu(handle_, FALSE);
  if (!menu)
    return;
  struct Item {
    UINT command;
    const wchar_t* text;
  };
  static const Item items[] = {{SC_RESTORE, L"&Restaureaza"},  {SC_MOVE, L"&Muta"},
                               {SC_SIZE, L"&Dimensioneaza"},   {SC_MINIMIZE, L"Mi&nimizeaza"},
                               {SC_MAXIMIZE, L"Ma&ximizeaza"}, {SC_CLOSE, L"&Inchide\tALT+F4"}};
  for (const Item& item : items) {
    UINT state = ::GetMenuState(menu, item.command, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1))
      continue;
    ::ModifyMenuW(menu, item.command,
                  MF_BYCOMMAND | MF_STRING | (state & (MF_GRAYED | MF_DISABLED)), item.command,
                  item.text);
  }
  ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

TRect TMForm::ClientRect() const {
  if (HandleIfAllocated())
    return TWinControl::ClientRect();
  DWORD style = 0, exStyle = 0;
  WindowStyles(style, exStyle);
  RECT r{0, 0, 0, 0};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int w = Width() - (r.right - r.left) - 2 * borderWidth_;
  int h = Height() - (r.bottom - r.top) - 2 * borderWidth_;
  return TRect{0, 0, std::max(0, w), std::max(0, h)};
}

void TMForm::SetClientSize(int width, int height) {
  TRect now = ClientRect();
  SetBounds(Left(), Top(), Width() + width - now.Width, Height() + height - now.Height);
}

void TMForm::SetBorderWidth(int width) {
  borderWidth_ = std::max(0, width);
  if (handle_) {
    ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TMForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  if (control && handle_ && ::GetActiveWindow() == handle_)
    control->SetFocus();
}

void TMForm::ActiveControlChanged(TWinControl* control) {
  activeControl_ = control;
}

void TMForm::ControlGoing(const TControl* going) {
  // A document view replaced while the form was hidden must not be focused when it comes back.
  if (activeControl_ == going)
    activeControl_ = nullptr;
  if (FocusButton == going)
    FocusButton = nullptr;
}

TWinControl* TMForm::FirstControl() {
  if (activeControl_ && activeControl_->CanFocus())
    return activeControl_;
  std::vector<TWinControl*> order;
  CollectTabOrder(this, order);
  for (TWinControl* c : order) {
    if (c->TabStop() && c->CanFocus())
      return c;
  }
  return nullptr;
}

void TMForm::SelectNext(TWinControl* from, bool forward) {
  std::vector<TWinControl*> order;
  CollectTabOrder(this, order);
  if (order.empty())
    return;
  int n = static_cast<int>(order.size());
  int start = static_cast<int>(std::find(order.begin(), order.end(), from) - order.begin());
  if (start >= n)
    start = forward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    int i = ((start + (forward ? step : -step)) % n + n) % n;
    if (order[i]->TabStop() && order[i]->CanFocus()) {
      order[i]->SetFocus();
      return;
    }
  }
}

bool TMForm::PreviewKey(WORD& key, TShiftState shift) {
  if (KeyPreview) {
    FormKeyDown(key, shift);
    if (key && OnKeyDown)
      OnKeyDown(this, key, shift);
    if (key == 0)
      return true;
  }
  TWinControl* focused = nullptr;
  for (HWND w = ::GetFocus(); w && !focused; w = ::GetParent(w)) {
    focused = TWinControl::FromHandle(w);
  }
  if (focused && focused != this && focused->OwnerForm() == this) {
    focused->KeyDown(key, shift);
    if (key == 0)
      return true;
  }
  if (shift & (ssAlt | ssCtrl))
    return false;
  bool wanted = focused && focused != this && focused->WantsKey(key);
  switch (key) {
    case VK_TAB:
      if (wanted)
        return false;
      SelectNext(focused, !(shift & ssShift));
      return true;
    case VK_RETURN: {
      if (wanted)
        return false;
      if (auto* button = dynamic_cast<TButton*>(focused); button && button->Enabled()) {
        button->Click();
        return true;
      }
      return ClickFirstButton(this, [](TButton* b) { return b->Default; });
    }
    case VK_ESCAPE:
      return ClickFirstButton(this, [](TButton* b) { return b->Cancel; });
    default:
      return false;
  }
}

bool TMForm::DialogChar(wchar_t ch) {
  TControl* hit = nullptr;
  ForEachControl(this, [&](TControl* c) {
    if (!hit && c->Showing() && c->Enabled() && IsAccelerator(c->Caption(), ch))
      hit = c;
  });
  if (!hit)
    return false;
  if (auto* button = dynamic_cast<TButton*>(hit)) {
    button->SetFocus();
    button->Click();
    return true;
  }
  // An active label's accelerator works through its click, which focuses its control and runs
  // the label's own handler.
  if (auto* active = dynamic_cast<TActiveLabel*>(hit)) {
    active->Click();
    return true;
  }
  if (auto* label = dynamic_cast<TLabel*>(hit); label && label->FocusControl) {
    label->FocusControl->SetFocus();
    return true;
  }
  if (hit->IsWindowed()) {
    static_cast<TWinControl*>(hit)->SetFocus();
    static_cast<TWinControl*>(hit)->AcceleratorPressed();
    return true;
  }
  return false;
}

bool TMForm::RightClickUnderMessage() {
  TMForm* active = Application().ActiveForm();
  if (!active || active == this || !active->IsMessageDialog())
    return false;
  ::PostMessageW(active->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  return true;
}

void TMForm::ScaleBy(int numerator, int denominator) {
  int left = Left(), top = Top();
  TRect client = ClientRect();
  // The parts measure their text and choose their pictures by the form's dots per inch while
  // they are scaled: it changes first.
  pixelsPerInch_ = ScaleValue(pixelsPerInch_, numerator, denominator);
  TWinControl::ScaleBy(numerator, denominator);
  SetBounds(left, top, Width(), Height());
  // The client area scales; the frame and the caption the system draws keep their own size.
  SetClientSize(ScaleValue(client.Width, numerator, denominator),
                ScaleValue(client.Height, numerator, denominator));
}

void TMForm::ScaleConstraints(int numerator, int denominator) {
  Constraints.MinWidth = ScaleValue(Constraints.MinWidth, numerator, denominator);
  Constraints.MinHeight = ScaleValue(Constraints.MinHeight, numerator, denominator);
  Constraints.MaxWidth = ScaleValue(Constraints.MaxWidth, numerator, denominator);
  Constraints.MaxHeight = ScaleValue(Constraints.MaxHeight, numerator, denominator);
}

void TMForm::Zoom(int steps) {
  for (; steps > 0; --steps) {
    ScaleConstraints(101, 100);
    ScaleBy(101, 100);
    ++DPIScale;
  }
  for (; steps < 0; ++steps) {
    ScaleConstraints(200 - 101, 100);
    ScaleBy(100, 101);
    --DPIScale;
  }
}

void TMForm::ZoomReset() {
  Zoom(-DPIScale);
}

void TMForm::FillButtonList() {
  ForEachControl(this, [&](TControl* c) {
    if (auto* b = dynamic_cast<TButton*>(c))
      Botoane.Add(b, b->Enabled());
  });
}

void TMForm::DisableButtons() {
  FocusButton = nullptr;
  HWND focus = ::GetFocus();
  for (int i = 0; i < Botoane.Count(); ++i) {
    TButton* b = Botoane.GetButton(i);
    Botoane.SetEnabled(i, b->Enabled());
    if (b->HandleAllocated() && b->HandleIfAllocated() == focus)
      FocusButton = b;
    if (activeControl_ == b)
      FocusButton = b;
    b->SetEnabled(false);
  }
}

void TMForm::RestoreButtons() {
  for (int i = 0; i < Botoane.Count(); ++i)
    Botoane.GetButton(i)->SetEnabled(Botoane.GetEnabled(i));
  if (FocusButton && FocusButton->Showing() && FocusButton->Enabled()) {
    activeControl_ = FocusButton;
    if (::GetActiveWindow() == handle_)
      FocusButton->SetFocus();
  }
}

void TMForm::DoShow() {
  AfterConstruction();
  if (PrimaData) {
    PrimaData = false;
    if (CreationTime == 0)
      CreationTime = ::GetTickCount();
    FillButtonList();
  }
  FormShow();
  if (Position == TPosition::poScreenCenter) {
    SetBounds((::GetSystemMetrics(SM_CXSCREEN) - Width()) / 2,
              (::GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(), Height());
  }
}

void TMForm::VisibleChanged() {
  if (Visible()) {
    DoShow();
    if (!Visible())
      return;  // FormShow hid it again
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(handle_);
    KeepTopmostAbove(handle_);
    ::UpdateWindow(handle_);
  } else if (handle_) {
    ::ShowWindow(handle_, SW_HIDE);
  }
}

void TMForm::BringToFront() {
  Show();
  if (IsTopmost(Handle()))
    RaiseTopmost(handle_);
  else
    ::SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(handle_);
  KeepTopmostAbove(handle_);
}

int TMForm::ShowModal() {
  if (Visible() || modal_)
    throw Error(L"Cannot make a visible window modal");
  AfterConstruction();
  HWND active = ::GetActiveWindow();
  if (::GetCapture())
    ::SendMessageW(::GetCapture(), WM_CANCELMODE, 0, 0);
  ::ReleaseCapture();
  HWND self = Handle();
  if (active && active != self)
    ::SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(active));
  DisabledWindows disabled{self, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled));
  for (HWND w : disabled.windows)
    ::EnableWindow(w, FALSE);
  modal_ = true;
  modalResult_ = 0;
  struct Restore {
    TMForm* form;
    DisabledWindows& disabled;
    HWND active;
    ~Restore() {
      for (auto it = disabled.windows.rbegin(); it != disabled.windows.rend(); ++it) {
        if (::IsWindow(*it))
          ::EnableWindow(*it, TRUE);
      }
      if (active && ::IsWindow(active))
        ::SetActiveWindow(active);
      form->modal_ = false;
      form->SetVisible(false);
    }
  } restore{this, disabled, active};
  Show();
  while (true) {
    Application().HandleMessage();
    if (Application().Terminated())
      modalResult_ = mrCancel;
    if (modalResult_ != 0 && CloseModal())
      break;
  }
  return modalResult_;
}

bool TMForm::CloseModal() {
  TCloseAction action = TCloseAction::caHide;
  FormClose(action);
  if (action == TCloseAction::caNone && !Application().Terminated()) {
    modalResult_ = 0;
    return false;
  }
  return true;
}

void TMForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  FormClose(action);
  if (action == TCloseAction::caNone)
    return;
  if (Application().MainForm() == this) {
    Application().Terminate();
  } else if (action == TCloseAction::caMinimize) {
    ::ShowWindow(Handle(), SW_MINIMIZE);
  } else {
    Hide();
  }
}

LRESULT TMForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && (::GetWindowLongPtrW(handle_, GWL_STYLE) & WS_SYSMENU)) {
        return 0;
      }
      return TWinControl::WndProc(msg, wParam, lParam);
    case WM_INITMENUPOPUP: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      if (HIWORD(lParam)) {
        ::EnableMenuItem(reinterpret_cast<HMENU>(wParam), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
      }
      return result;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        ::PostMessageW(handle_, kKeepTopmostAboveMessage, 0, 0);
        ::SetTimer(handle_, kKeepTopmostAboveTimer, kKeepTopmostAboveDelayMs, nullptr);
        if (!Activated && Visible()) {
          Activated = true;
          FormActivate();
        }
        if (TWinControl* first = FirstControl()) {
          first->SetFocus();
          return 0;
        }
      }
      return TWinControl::WndProc(msg, wParam, lParam);
    case kKeepTopmostAboveMessage:
      KeepTopmostAbove(handle_);
      return 0;
    case WM_TIMER:
      if (wParam != kKeepTopmostAboveTimer)
        return TWinControl::WndProc(msg, wParam, lParam);
      ::KillTimer(handle_, kKeepTopmostAboveTimer);
      KeepTopmostAbove(handle_);
      return 0;
    case WM_ENABLE:
      if (wParam) {
        RestoreButtons();
      } else {
        DisableButtons();
      }
      EnabledByModal(wParam != 0);
      return TWinControl::WndProc(msg, wParam, lParam);
    case WM_SETCURSOR:
      if (LOWORD(lParam) == static_cast<WORD>(HTERROR) && HIWORD(lParam) == WM_RBUTTONDOWN &&
          RightClickUnderMessage()) {
        return TRUE;
      }
      return TWinControl::WndProc(msg, wParam, lParam);
    case WM_RBUTTONDOWN:
      if (RightClickUnderMessage())
        return 0;
      return TWinControl::WndProc(msg, wParam, lParam);
    case WM_MOUSEWHEEL: {
      TShiftState shift = KeyboardShift();
      if ((shift & ssCtrl) && (shift & ssAlt)) {
        if (shift & ssShift) {
          ZoomReset();
        } else {
          Zoom(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1);
        }
      }
      return TWinControl::WndProc(msg, wParam, lParam);
    }
    case WM_WINDOWPOSCHANGING:
      if (!FormLoaded)
        return 0;
      return TWinControl::WndProc(msg, wParam, lParam);
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (Constraints.MinWidth > 0)
        info->ptMinTrackSize.x = Constraints.MinWidth;
      if (Constraints.MinHeight > 0)
        info->ptMinTrackSize.y = Constraints.MinHeight;
      if (Constraints.MaxWidth > 0)
        info->ptMaxTrackSize.x = Constraints.MaxWidth;
      if (Constraints.MaxHeight > 0)
        info->ptMaxTrackSize.y = Constraints.MaxHeight;
      return 0;
    }
    case WM_NCCALCSIZE: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      if (borderWidth_ > 0) {
        auto* r = reinterpret_cast<RECT*>(lParam);  // the first rectangle in both forms
        ::InflateRect(r, -borderWidth_, -borderWidth_);
      }
      return result;
    }
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(msg, wParam);
    default:
      return TWinControl::WndProc(msg, wParam, lParam);
  }
}

}  // namespace kolvar::toolkit
