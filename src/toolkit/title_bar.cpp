#include "toolkit/title_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/title_layout.h"

namespace kolvar::toolkit {
namespace {

bool gFrameless = false;

// GetWindowDC / ReleaseDC.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetWindowDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_)
      ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

LRESULT HitCode(HitZone zone) {
  switch (zone) {
    case HitZone::kCaption:
      return HTCAPTION;
    case HitZone::kTopLeft:
      return HTTOPLEFT;
    case HitZone::kTopRight:
      return HTTOPRIGHT;
    case HitZone::kBottomLeft:
      return HTBOTTOMLEFT;
    case HitZone::kBottomRight:
      return HTBOTTOMRIGHT;
    case HitZone::kTop:
      return HTTOP;
    case HitZone::kLeft:
      return HTLEFT;
    case HitZone::kBottom:
      return HTBOTTOM;
    case HitZone::kRight:
      return HTRIGHT;
    default:
      return HTCLIENT;
  }
}

}  // namespace

bool FramelessSwitch() {
  return gFrameless;
}
void SetFramelessSwitch(bool on) {
  gFrameless = on;
}

// --- TTitleBar ----------------------------------------------------------------------------------

TTitleBar::TTitleBar(TWinControl* parent, std::wstring name)
    : TGraphicControl(parent, std::move(name)) {
  scara_ = ScreenDpi() / 96.0;
  Font().Name = L"Ms Sans Serif";
  Font().Style = fsBold;
  Font().Color = clBlack;
  // The size goes with the screen scale; the form scales the rest of its parts itself.
  Font().Height = -ScaleValue(TitleFontSize(scara_), 96, 72);
  bounds_ = TRect{0, 0, 200, TitleBarHeight(1.0)};
  color_ = startColor_;
  Recompute();
}

void TTitleBar::Recompute() {
  // The spaces are given at 96 dots per inch and keep their proportion on the form's screen.
  int ppi = PixelsPerInchOf(this);
  int faceWidth = Mesaj().Picture("IconFace")->Width();
  iconSpace_ = TitleIconSpace(iconStyle_ != TIconStyle::isNone, faceWidth, ppi);
  width_ = TitleCaptionWidth(Width(), iconSpace_, ppi);
}

void TTitleBar::BoundsChanged() {
  Recompute();
}

void TTitleBar::CaptionChanged() {
  Invalidate();
}

void TTitleBar::SetStartColor(TColor color) {
  if (startColor_ == color)
    return;
  startColor_ = color;
  color_ = color;
  Invalidate();
}

void TTitleBar::SetEndColor(TColor color) {
  if (endColor_ == color)
    return;
  endColor_ = color;
  Invalidate();
}

void TTitleBar::SetVertical(bool vertical) {
  if (vertical_ == vertical)
    return;
  vertical_ = vertical;
  Invalidate();
}

void TTitleBar::SetIconStyle(TIconStyle style) {
  if (iconStyle_ == style)
    return;
  iconStyle_ = style;
  Recompute();
  Invalidate();
}

void TTitleBar::SetCaptionColor(TColor color) {
  if (Font().Color == color)
    return;
  Font().Color = color;
  Invalidate();
}

void TTitleBar::SetGrayed(bool grayed) {
  if (grayed_ == grayed)
    return;
  grayed_ = grayed;
  InvalidateCaption();
}

void TTitleBar::InvalidateCaption() {
  if (!Parent() || !Parent()->HandleAllocated())
    return;
  int left = TitleCaptionLeft(scara_, iconSpace_);
  RECT r{Left() + left, Top(), Left() + left + std::max(0, width_), Top() + Height()};
  ::InvalidateRect(Parent()->HandleIfAllocated(), &r, FALSE);
}

void TTitleBar::Paint(HDC dc) {
  int w = Width(), h = Height();
  COLORREF start = ResolveColor(startColor_), end = ResolveColor(endColor_);
  if (GradientsEnabled() && start != end) {
    int count = vertical_ ? h : w;
    for (int i = 0; i < count; ++i) {
      COLORREF c = GradientColor(start, end, i, count);
      RECT line = vertical_ ? RECT{0, i, w, i + 1} : RECT{i, 0, i + 1, h};
      FillSolid(dc, line, c);
    }
  } else {
    FillSolid(dc, RECT{0, 0, w, h}, start);
  }
  if (iconStyle_ != TIconStyle::isNone) {
    int ppi = PixelsPerInchOf(this);
    TPicture facePicture = ScaledPicture(*Mesaj().Picture("IconFace"), 1, ppi);
    const TBitmap& face = *facePicture;
    int fx = static_cast<int>(5 * scara_), fy = (h - face.Height()) / 2;
    DrawCell(dc, face, 1, 0, fx, fy, true);
    TPicture symbolPicture = ScaledPicture(
        *Mesaj().Picture(iconStyle_ == TIconStyle::isSearch ? "Find" : "Detalii"), 3, ppi);
    const TBitmap& symbol = *symbolPicture;
    int sw = symbol.Width() / 3;
    DrawCell(dc, symbol, 3, 0, fx + (face.Width() - sw) / 2, (h - symbol.Height()) / 2, true);
  }
  if (Caption().empty())
    return;
  // Measured centred in half the screen's width, drawn from the left and cut at the caption
  // width: a long caption is clipped, never wrapped.
  SIZE text =
      MeasureText(Caption(), Font(), DT_CENTER | DT_NOPREFIX, ::GetSystemMetrics(SM_CXSCREEN) / 2);
  int left = TitleCaptionLeft(scara_, iconSpace_);
  int top = (h - text.cy) / 2;
  RECT box{left, top, left + std::max(0, width_), top + text.cy};
  COLORREF color = grayed_ ? RGB(0x80, 0x80, 0x80) : ResolveColor(Font().Color);
  DrawTextIn(dc, Caption(), box, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE, Font(), color);
}

// --- TTitleForm ---------------------------------------------------------------------------------

TTitleForm::TTitleForm(std::wstring name) : TPaintedForm(std::move(name)) {
  KeyPreview = true;
}

void TTitleForm::Loaded() {
  if (!titleBar_) {
    for (TControl* c : Controls()) {
      if (c->Name() == L"TitleBar1")
        titleBar_ = dynamic_cast<TTitleBar*>(c);
    }
  }
  if (titleBar_ && titleBar_->Caption().empty())
    titleBar_->SetCaption(Caption());
}

void TTitleForm::SetTitleBar(TTitleBar* bar) {
  titleBar_ = bar;
  if (bar)
    bar->SetCaption(Caption());
}

void TTitleForm::CreateParams(TCreateParams& params) {
  if (FramelessSwitch()) {
    const std::wstring& n = Name();
    if (n.rfind(L"TSearchFormExt", 0) == 0 || n.rfind(L"TLista", 0) == 0) {
      SetBorderWidth(0);
    } else if (BorderStyle() == TBorderStyle::bsSizeable && !fWin10Sizeable) {
      fWin10Sizeable = true;
      SetBorderStyle(TBorderStyle::bsNone);
      SetBorderWidth(std::max(3, BorderWidth()));
    }
  }
  TPaintedForm::CreateParams(params);
}

void TTitleForm::WindowStyles(DWORD& style, DWORD& exStyle) const {
  style |= WS_POPUP;
  if (fWin10Sizeable) {
    style |= WS_MAXIMIZEBOX | WS_SYSMENU;
    return;
  }
  // No system caption bar: the painted title bar is the only title. A form designed with a
  // border keeps a thin one and its system menu.
  if (BorderStyle() != TBorderStyle::bsNone) {
    style |= WS_BORDER;
    if (BorderIcons & biSystemMenu)
      style |= WS_SYSMENU;
  }
}

void TTitleForm::CaptionChanged() {
  TPaintedForm::CaptionChanged();
  if (titleBar_)
    titleBar_->SetCaption(Caption());
}

void TTitleForm::EnabledByModal(bool enabled) {
  if (titleBar_)
    titleBar_->SetGrayed(!enabled);
}

bool TTitleForm::PreviewKey(WORD& key, TShiftState shift) {
  if (key == VK_F4 && (shift & ssAlt)) {
    key = 0;
    return true;
  }
  if (key == 'M' && (shift & ssCtrl) && (shift & ssAlt)) {
    Application().Minimize();
    key = 0;
    return true;
  }
  return TPaintedForm::PreviewKey(key, shift);
}

void TTitleForm::DrawOutline(HDC dc, int width, int height) {
  COLORREF color = ResolveColor(Color());
  RECT r{0, 0, width, height};
  FrameSolid(dc, r, DarkenColor(color, 4));
  ::InflateRect(&r, -1, -1);
  FrameSolid(dc, r, LightenColor(color, 10));
  for (int i = 2; i < BorderWidth(); ++i) {
    ::InflateRect(&r, -1, -1);
    FrameSolid(dc, r, color);
  }
}

void TTitleForm::PaintWindow(HDC dc) {
  TPaintedForm::PaintWindow(dc);
  // Without a non-client border the outline lies on the client area's edge.
  RECT window, client;
  ::GetWindowRect(handle_, &window);
  ::GetClientRect(handle_, &client);
  if (client.right == window.right - window.left && client.bottom == window.bottom - window.top) {
    DrawOutline(dc, client.right, client.bottom);
  }
}

LRESULT TTitleForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST: {
      LRESULT hit = TPaintedForm::WndProc(msg, wParam, lParam);
      if (hit != HTCLIENT && !(fWin10Sizeable && hit == HTBORDER))
        return hit;
      RECT window, client;
      ::GetWindowRect(handle_, &window);
      ::GetClientRect(handle_, &client);
      POINT origin{0, 0};
      ::ClientToScreen(handle_, &origin);
      HitZone zone = FramelessHitTest(GET_X_LPARAM(lParam) - window.left,
                                      GET_Y_LPARAM(lParam) - window.top, window.right - window.left,
                                      window.bottom - window.top, origin.x - window.left,
                                      origin.y - window.top, fWin10Sizeable, PixelsPerInch());
      return HitCode(zone);
    }
    case WM_NCPAINT: {
      LRESULT result = TPaintedForm::WndProc(msg, wParam, lParam);
      RECT window;
      ::GetWindowRect(handle_, &window);
      ScopedWindowDC dc(handle_);
      DrawOutline(dc.get(), window.right - window.left, window.bottom - window.top);
      return result;
    }
    case WM_SETTEXT: {
      LRESULT result = TPaintedForm::WndProc(msg, wParam, lParam);
      std::wstring text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      if (text != Caption())
        SetCaption(text);
      return result;
    }
    case WM_GETMINMAXINFO: {
      LRESULT result = TPaintedForm::WndProc(msg, wParam, lParam);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (titleBar_) {
        RECT window, client;
        ::GetWindowRect(handle_, &window);
        ::GetClientRect(handle_, &client);
        info->ptMinTrackSize.y =
            (window.bottom - window.top - client.bottom) + ScaleValue(25, PixelsPerInch(), 96);
      }
      if (fWin10Sizeable || BorderStyle() == TBorderStyle::bsSizeable) {
        SIZE max = MaxFormSize();
        info->ptMaxTrackSize.x = std::min<LONG>(info->ptMaxTrackSize.x, max.cx);
        info->ptMaxTrackSize.y = std::min<LONG>(info->ptMaxTrackSize.y, max.cy);
      }
      return result;
    }
    default:
      return TPaintedForm::WndProc(msg, wParam, lParam);
  }
}

// --- TMovePanel ---------------------------------------------------------------------------------

TMovePanel::TMovePanel(TWinControl* parent, std::wstring name) : TPanel(parent, std::move(name)) {}

LRESULT TMovePanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == handle_ && HIWORD(lParam) == WM_LBUTTONDOWN) {
        ::GetCursorPos(&Orig);
        ::ScreenToClient(handle_, &Orig);
        Down = true;
        ::SetCapture(handle_);
      }
      return TPanel::WndProc(msg, wParam, lParam);
    case WM_MOUSEMOVE:
      if (Down) {
        if (TMForm* form = OwnerForm()) {
          int dx = GET_X_LPARAM(lParam) - Orig.x, dy = GET_Y_LPARAM(lParam) - Orig.y;
          if (dx || dy)
            form->SetBounds(form->Left() + dx, form->Top() + dy, form->Width(), form->Height());
        }
      }
      return TPanel::WndProc(msg, wParam, lParam);
    case WM_LBUTTONUP:
      if (::GetCapture() == handle_)
        ::ReleaseCapture();
      Down = false;
      return TPanel::WndProc(msg, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      Down = false;
      DblClick();
      return 0;
    default:
      return TPanel::WndProc(msg, wParam, lParam);
  }
}

}  // namespace kolvar::toolkit
