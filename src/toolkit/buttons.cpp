#include "toolkit/buttons.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/form.h"
#include "toolkit/pure/captions.h"
#include "toolkit/title_bar.h"

namespace kolvar::toolkit {
namespace {

constexpr COLORREF kAccelRed = RGB(0xFF, 0, 0);
constexpr UINT_PTR kReleaseTimer = 1;
TNiceButton* gHotButton = nullptr;

// The parts of a caption line around its accelerator letter.
struct AccelParts {
  std::wstring before, letter, after;
};

AccelParts SplitAccelerator(const std::wstring& line) {
  AccelParts parts;
  std::wstring* target = &parts.before;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'&' && i + 1 < line.size()) {
      if (line[i + 1] == L'&') {
        *target += L'&';
        ++i;
        continue;
      }
      if (target == &parts.before) {
        parts.letter = line[i + 1];
        target = &parts.after;
        ++i;
        continue;
      }
    }
    if (line[i] == L'&')
      continue;
    *target += line[i];
  }
  return parts;
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void FillRoundRect(HDC dc, const RECT& r, int radius, COLORREF fill, COLORREF outline) {
  ScopedBrush brush(::CreateSolidBrush(fill));
  ScopedPen pen(::CreatePen(PS_SOLID, 1, outline));
  ScopedSelect b(dc, brush.get());
  ScopedSelect p(dc, pen.get());
  ::RoundRect(dc, r.left, r.top, r.right, r.bottom, radius * 2, radius * 2);
}

}  // namespace

int AcceleratedLineWidth(HDC dc, const std::wstring& line, const TFont& font) {
  ScopedSelect select(dc, font.Handle());
  return TextWidth(dc, StripAccelerators(line));
}

int DrawAcceleratedLine(HDC dc,
                        int x,
                        int y,
                        const std::wstring& line,
                        const TFont& font,
                        COLORREF color,
                        COLORREF accelColor,
                        bool underline,
                        bool stripOnly) {
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  AccelParts parts = SplitAccelerator(line);
  if (stripOnly) {
    parts.before += parts.letter + parts.after;
    parts.letter.clear();
    parts.after.clear();
  }
  int start = x;
  {
    ScopedSelect select(dc, font.Handle());
    ::SetTextColor(dc, color);
    ::TextOutW(dc, x, y, parts.before.c_str(), static_cast<int>(parts.before.size()));
    x += TextWidth(dc, parts.before);
  }
  if (!parts.letter.empty()) {
    TFont accelFont = font;
    if (underline)
      accelFont.Style ^= fsUnderline;
    ScopedSelect select(dc, accelFont.Handle());
    ::SetTextColor(dc, accelColor);
    ::TextOutW(dc, x, y, parts.letter.c_str(), 1);
    x += TextWidth(dc, parts.letter);
  }
  {
    ScopedSelect select(dc, font.Handle());
    ::SetTextColor(dc, color);
    ::TextOutW(dc, x, y, parts.after.c_str(), static_cast<int>(parts.after.size()));
    x += TextWidth(dc, parts.after);
  }
  ::SetBkMode(dc, oldMode);
  return x - start;
}

// --- TMButton -----------------------------------------------------------------------------------

TMButton::TMButton(TWinControl* parent, std::wstring name) : TButton(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 90, 40};
  color_ = clBtnFace;
}

void TMButton::SetKind(TMButtonKind kind) {
  if (kind_ == kind)
    return;
  kind_ = kind;
  if (!mrAssigned_)
    modalResult_ = KindModalResult(kind);
  if (Caption().empty())
    SetCaption(KindCaption(kind));
  if (kind < mkAdd)
    CaptionVisible = false;
  Invalidate();
}

void TMButton::SetModalResult(int result) {
  modalResult_ = result;
  mrAssigned_ = true;
}

TColor TMButton::DisableColor() const {
  return disableColor_ != static_cast<TColor>(-1) ? disableColor_
                                                  : DarkenColor(ResolveColor(Color()), 3);
}

void TMButton::SetHot(bool hot) {
  if (hot_ == hot)
    return;
  hot_ = hot;
  Invalidate();
}

void TMButton::MouseEnter() {
  mouseOver_ = true;
  if (!Enabled())
    return;
  // The focus follows the mouse among light buttons.
  if (LightButton) {
    HWND focus = ::GetFocus();
    auto* other = dynamic_cast<TMButton*>(TWinControl::FromHandle(focus));
    if (other && other != this && other->LightButton)
      SetFocus();
  }
  SetHot(true);
}

void TMButton::MouseLeave() {
  mouseOver_ = false;
  if (!Focused())
    SetHot(false);
}

void TMButton::DoEnter() {
  SetHot(true);
  TButton::DoEnter();
}

void TMButton::DoExit() {
  if (!mouseOver_)
    SetHot(false);
  TButton::DoExit();
}

void TMButton::PaintPreview(HDC dc, const RECT& client, bool hot, bool pressed, bool focused) {
  bool saved = hot_;
  hot_ = hot;
  DrawButton(dc, client, pressed, focused);
  hot_ = saved;
}

void TMButton::DrawButton(HDC dc, const RECT& client, bool pressed, bool focused) {
  bool newStyle = Style != TButtonStyle::bsWin31;
  bool face = !LightButton || hot_;
  COLORREF fill = ResolveColor(face ? ColorOver : Color());
  FillSolid(dc, client, ResolveColor(Color()));
  RECT inner = client;
  if (face) {
    if (newStyle) {
      FillSolid(dc, client, fill);
      ::DrawEdge(dc, &inner, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    } else {
      FrameSolid(dc, inner, ::GetSysColor(COLOR_WINDOWFRAME));
      for (POINT p :
           {POINT{inner.left, inner.top}, POINT{inner.right - 1, inner.top},
            POINT{inner.left, inner.bottom - 1}, POINT{inner.right - 1, inner.bottom - 1}}) {
        ::SetPixel(dc, p.x, p.y, fill);
      }
      ::InflateRect(&inner, -1, -1);
      if (focused && !LightButton) {
        FrameSolid(dc, inner, ::GetSysColor(COLOR_WINDOWFRAME));
        ::InflateRect(&inner, -1, -1);
      }
      FillSolid(dc, inner, fill);
      RECT shadow = inner;
      Frame3D(dc, shadow,
              pressed ? ::GetSysColor(COLOR_BTNSHADOW) : ::GetSysColor(COLOR_BTNHIGHLIGHT),
              pressed ? fill : ::GetSysColor(COLOR_BTNSHADOW), 1);
    }
  }
  TFont font = Font();
  if (newStyle && focused && !LightButton)
    font.Style |= fsBold;

  const TBitmap* own = Glyph && !Glyph->Empty() ? Glyph.get() : ButtonImage(kind_).get();
  int cells = std::max(1, NumGlyphs);
  TPicture scaled = own ? ScaledPicture(*own, cells, PixelsPerInchOf(this)) : nullptr;
  const TBitmap* glyph = scaled.get();
  int gw = glyph && !glyph->Empty() ? glyph->Width() / cells : 0;
  int gh = glyph && !glyph->Empty() ? glyph->Height() : 0;

  std::vector<std::wstring> lines;
  int tw = 0, th = 0, lineHeight = 0;
  if (CaptionVisible && !Caption().empty()) {
    lines = SplitHashLines(Caption());
    ScopedSelect select(dc, font.Handle());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    lineHeight = tm.tmHeight;
    for (const auto& line : lines)
      tw = std::max(tw, AcceleratedLineWidth(dc, line, font));
    tw = std::min(tw, static_cast<int>(client.right));
    th = lineHeight * static_cast<int>(lines.size());
  }
  int w = client.right - client.left, h = client.bottom - client.top;
  GlyphAndCaption place =
      LayoutGlyphAndCaption(w, h, gw, gh, tw, th, ButtonLayout, Margin, Spacing);
  int shift = pressed && face ? 1 : 0;
  if (gw > 0) {
    DrawCell(dc, *glyph, cells, LargeGlyphCell(cells, Enabled(), pressed), place.glyph.x + shift,
             place.glyph.y + shift + Delta, true);
  }
  COLORREF textColor = ResolveColor(font.Color);
  bool redFont = textColor == kAccelRed;
  for (size_t i = 0; i < lines.size(); ++i) {
    int lw;
    { lw = AcceleratedLineWidth(dc, lines[i], font); }
    int x = place.caption.x + (tw - lw) / 2 + shift;
    int y = place.caption.y + static_cast<int>(i) * lineHeight + shift;
    if (Enabled()) {
      DrawAcceleratedLine(dc, x, y, lines[i], font, textColor,
                          textColor == kAccelRed ? textColor : kAccelRed, redFont, false);
    } else {
      DrawAcceleratedLine(dc, x, y, lines[i], font, ResolveColor(DisableColor()), 0, false, true);
    }
  }
  if (!LightButton && focused) {
    RECT focus = client;
    ::InflateRect(&focus, -4, -4);
    if (pressed)
      ::OffsetRect(&focus, 1, 1);
    ::DrawFocusRect(dc, &focus);
  }
}

// --- TNiceButton --------------------------------------------------------------------------------

TNiceButton::TNiceButton(TWinControl* parent, std::wstring name)
    : TButton(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 100, 28};
  color_ = parent ? parent->Color() : clBtnFace;
  parentColor_ = true;
  Font().Style |= fsBold;
}

TNiceButton::~TNiceButton() {
  if (gHotButton == this)
    gHotButton = nullptr;
}

TNiceButton* TNiceButton::HotButton() {
  return gHotButton;
}

void TNiceButton::SetKind(TMButtonKind kind) {
  if (kind_ == kind)
    return;
  kind_ = kind;
  if (!mrAssigned_)
    modalResult_ = KindModalResult(kind);
  if (!cpAssigned_) {
    settingKindCaption_ = true;
    SetCaption(KindCaption(kind));
    settingKindCaption_ = false;
  }
  DropBuffers();
  Invalidate();
}

void TNiceButton::SetModalResult(int result) {
  modalResult_ = result;
  mrAssigned_ = true;
}

void TNiceButton::CaptionChanged() {
  if (!settingKindCaption_)
    cpAssigned_ = true;
  DropBuffers();
  TButton::CaptionChanged();
}

void TNiceButton::EnabledChanged() {
  if (!Enabled() && gHotButton == this)
    gHotButton = nullptr;
  TButton::EnabledChanged();
}

void TNiceButton::BoundsChanged() {
  DropBuffers();
  TButton::BoundsChanged();
}

void TNiceButton::ColorChanged() {
  DropBuffers();
  Invalidate();
}

void TNiceButton::DropBuffers() {
  buffers_.clear();
}

void TNiceButton::SetForcedDown(bool down) {
  if (forcedDown_ == down)
    return;
  forcedDown_ = down;
  Invalidate();
  if (HandleAllocated())
    ::UpdateWindow(HandleIfAllocated());
}

TPicture TNiceButton::Picture() const {
  const TBitmap* own = nullptr;
  if (kind_ == mkCustom) {
    own = Glyph.get();
  } else {
    own = NiceButtonImage(kind_).get();
  }
  if (!own || own->Empty())
    return nullptr;
  return ScaledPicture(*own, std::max(1, NumGlyphs), PixelsPerInchOf(this));
}

TPicture TNiceButton::Face() const {
  return ScaledPicture(*Mesaj().Picture("ButtonFacePKE"), 9, PixelsPerInchOf(this));
}

bool TNiceButton::HitTest(int x, int y) const {
  if (Stretch)
    return true;
  TPicture picture = Picture();
  bool hasPicture = picture != nullptr;
  int cells = std::max(1, NumGlyphs);
  int ppi = PixelsPerInchOf(this);
  if (hasPicture) {
    int cw = picture->Width() / cells, ch = picture->Height();
    int gx = NiceGlyphLeft(Width(), cw, CaptionVisible, ppi), gy = (Height() - ch) / 2;
    if (x >= gx && x < gx + cw && y >= gy && y < gy + ch)
      return true;
  }
  if (!CaptionVisible)
    return false;
  int plateLeft = NicePlateLeft(hasPicture, InsideDraw, ppi);
  int plateHeight = GradientsEnabled() ? Face()->Height() : Height();
  int top = (Height() - plateHeight) / 2;
  return x >= plateLeft && x < Width() && y >= top && y < top + plateHeight;
}

void TNiceButton::Click() {
  if (!ClickedByMouse() && HandleAllocated()) {
    SetForcedDown(true);
    ::SetTimer(HandleIfAllocated(), kReleaseTimer, 20, nullptr);
  }
  if (Focused())
    BecomeHot();
  TButton::Click();
}

void TNiceButton::BecomeHot() {
  if (!Enabled() || gHotButton == this)
    return;
  TNiceButton* previous = gHotButton;
  gHotButton = this;
  if (previous)
    previous->Invalidate();
  Invalidate();
}

void TNiceButton::StopHot() {
  if (gHotButton != this || Focused())
    return;
  gHotButton = nullptr;
  Invalidate();
}

void TNiceButton::DoEnter() {
  Invalidate();
  TButton::DoEnter();
}

void TNiceButton::DoExit() {
  Invalidate();
  TButton::DoExit();
  if (gHotButton == this) {
    POINT p;
    ::GetCursorPos(&p);
    ::ScreenToClient(HandleIfAllocated(), &p);
    bool over = p.x >= 0 && p.y >= 0 && p.x < Width() && p.y < Height() && HitTest(p.x, p.y);
    if (!over)
      StopHot();
  }
}

LRESULT TNiceButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::ScreenToClient(handle_, &p);
      if (HitTest(p.x, p.y))
        return HTCLIENT;
      StopHot();
      return HTNOWHERE;
    }
    case WM_MOUSEMOVE:
      if (!Hot() && Enabled()) {
        HWND focus = ::GetFocus();
        auto* other = dynamic_cast<TNiceButton*>(TWinControl::FromHandle(focus));
        if (other && other != this)
          SetFocus();
        BecomeHot();
      }
      return TButton::WndProc(msg, wParam, lParam);
    case WM_MOUSELEAVE:
      StopHot();
      return TButton::WndProc(msg, wParam, lParam);
    case WM_TIMER:
      if (wParam == kReleaseTimer) {
        ::KillTimer(handle_, kReleaseTimer);
        SetForcedDown(false);
        return 0;
      }
      return TButton::WndProc(msg, wParam, lParam);
    default:
      return TButton::WndProc(msg, wParam, lParam);
  }
}

void TNiceButton::DrawButton(HDC dc, const RECT& client, bool pressed, bool focused) {
  int w = client.right - client.left, h = client.bottom - client.top;
  Look look = !Enabled() ? kDisabled : (forcedDown_ || pressed) ? kPressed : Hot() ? kHot : kNormal;
  bool buffered = Buffered || FramelessSwitch();
  if (!buffered) {
    Render(dc, w, h, look, focused);
    return;
  }
  int key = look * 2 + (focused ? 1 : 0);
  auto it = buffers_.find(key);
  ScopedMemoryDC memory(dc);
  if (it == buffers_.end()) {
    ScopedBitmap bitmap(::CreateCompatibleBitmap(dc, w, h));
    {
      ScopedSelect select(memory.get(), bitmap.get());
      Render(memory.get(), w, h, look, focused);
    }
    it = buffers_.emplace(key, std::move(bitmap)).first;
  }
  ScopedSelect select(memory.get(), it->second.get());
  ::BitBlt(dc, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
}

void TNiceButton::Render(HDC dc, int w, int h, Look look, bool focused) {
  COLORREF back = ResolveColor(Color());
  FillSolid(dc, RECT{0, 0, w, h}, back);
  TPicture picture = Picture();
  bool hasPicture = picture != nullptr;
  int cells = std::max(1, NumGlyphs);
  int ppi = PixelsPerInchOf(this);
  bool hot = look == kHot || look == kPressed;
  if (CaptionVisible) {
    int left = NicePlateLeft(hasPicture, InsideDraw, ppi);
    if (GradientsEnabled()) {
      TPicture plate = Face();
      const TBitmap& face = *plate;
      int col = face.Width() / 9, fh = face.Height();
      int base = look == kPressed ? 6 : look == kHot ? 3 : 0;
      int top = Stretch ? 0 : (h - fh) / 2;
      int height = Stretch ? h : fh;
      auto piece = [&](int column, int x, int width) {
        RECT src{(base + column) * col, 0, (base + column) * col + col, fh};
        if (!Stretch) {
          RECT dst{x, top, x + width, top + height};
          DrawBitmap(dc, face, dst, src, true);
          return;
        }
        // Three rows: the middle one stretched to the button's height.
        int third = fh / 3;
        DrawBitmap(dc, face, RECT{x, 0, x + width, third}, RECT{src.left, 0, src.right, third},
                   true);
        DrawBitmap(dc, face, RECT{x, third, x + width, h - third},
                   RECT{src.left, third, src.right, fh - third}, true);
        DrawBitmap(dc, face, RECT{x, h - third, x + width, h},
                   RECT{src.left, fh - third, src.right, fh}, true);
      };
      int right = w - col;
      piece(0, left, col);
      for (int x = left + col; x < right; x += col)
        piece(1, x, std::min(col, right - x));
      piece(2, right, col);
    } else {
      COLORREF fill = look == kPressed ? RGB(0x80, 0x80, 0x80)
                      : look == kHot   ? RGB(0xDF, 0xDF, 0xDF)
                                       : LightenColor(back, 20);
      FillRoundRect(dc, RECT{left, 0, w, h}, h / 3, fill, RGB(0xA9, 0xA9, 0xA9));
    }
    TFont font = Font();
    font.Style |= fsBold;
    ScopedSelect select(dc, font.Handle());
    SIZE wg{};
    ::GetTextExtentPoint32W(dc, L"Wg", 2, &wg);
    int tw = AcceleratedLineWidth(dc, Caption(), font);
    int shift = look == kPressed ? 1 : 0;
    int x = left + (w - left - tw) / 2 + shift, y = (h - wg.cy) / 2 + shift;
    if (look == kDisabled) {
      DrawAcceleratedLine(dc, x, y, Caption(), font, RGB(0xC0, 0xC0, 0xC0), 0, false, true);
    } else if (hot) {
      DrawAcceleratedLine(dc, x, y, Caption(), font, kAccelRed, kAccelRed, true, false);
    } else {
      DrawAcceleratedLine(dc, x, y, Caption(), font, ResolveColor(font.Color), kAccelRed, focused,
                          false);
    }
  }
  if (hasPicture) {
    int cw = picture->Width() / cells, ch = picture->Height();
    int cell = NiceGlyphCell(cells, look != kDisabled, hot);
    if (Stretch && !CaptionVisible) {
      DrawBitmap(dc, *picture, RECT{0, 0, w, h}, RECT{cell * cw, 0, cell * cw + cw, ch}, true);
    } else {
      DrawCell(dc, *picture, cells, cell, NiceGlyphLeft(w, cw, CaptionVisible, ppi), (h - ch) / 2,
               true);
    }
  }
}

}  // namespace kolvar::toolkit
