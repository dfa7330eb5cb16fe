#include "toolkit/fmt_label.h"

#include <cstdlib>
#include <map>

#include "toolkit/form.h"

namespace kolvar::toolkit {
namespace {

std::map<UINT_PTR, TBlinkObj*>& BlinkTimers() {
  static std::map<UINT_PTR, TBlinkObj*> timers;
  return timers;
}

// Measures and selects the fonts of markup pieces, derived from the label's own font.
class GdiFonts : public TextMeasurer {
 public:
  GdiFonts(HDC dc, const TFont& base, const MarkupFont& start, int ppi)
      : dc_(dc), base_(base), start_(start), ppi_(ppi) {}

  const TFont& FontFor(const MarkupFont& m) {
    for (auto& entry : fonts_) {
      if (entry.first == m)
        return entry.second;
    }
    TFont font = base_;
    if (m.size != start_.size)
      font.Height = -ScaleValue(m.size, ppi_, 72);
    font.Style &= ~static_cast<unsigned>(fsBold | fsItalic);
    if (m.style & kStyleBold)
      font.Style |= fsBold;
    if (m.style & kStyleItalic)
      font.Style |= fsItalic;
    font.Color = m.color;
    fonts_.emplace_back(m, font);
    return fonts_.back().second;
  }

  TextExtent Measure(std::wstring_view text, const MarkupFont& m) override {
    HGDIOBJ old = ::SelectObject(dc_, FontFor(m).Handle());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc_, &metrics);
    SIZE size{};
    if (!text.empty())
      ::GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc_, old);
    return {size.cx, metrics.tmHeight, metrics.tmAscent};
  }

 private:
  HDC dc_;
  const TFont& base_;
  MarkupFont start_;
  int ppi_;
  std::vector<std::pair<MarkupFont, TFont>> fonts_;
};

}  // namespace

// --- TBlinkObj ----------------------------------------------------------------------------------

TBlinkObj::TBlinkObj(TFmtLabel* label, PlacedSegment piece, TColor shadowColor)
    : ParentLabel(label), Piece(std::move(piece)), ShadowColor(shadowColor) {
  Timer = ::SetTimer(nullptr, 0, 300, &TBlinkObj::TimerProc);
  if (Timer)
    BlinkTimers()[Timer] = this;
}

TBlinkObj::~TBlinkObj() {
  if (!Timer)
    return;
  ::KillTimer(nullptr, Timer);
  BlinkTimers().erase(Timer);
}

void CALLBACK TBlinkObj::TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
  auto it = BlinkTimers().find(id);
  if (it == BlinkTimers().end())
    return;
  try {
    it->second->Tick();
  } catch (...) {
    // A flash that cannot be drawn is skipped; the next tick tries again.
  }
}

void TBlinkObj::Tick() {
  if (!ParentLabel->Showing())
    return;
  TWinControl* parent = ParentLabel->Parent();
  HWND window = parent ? parent->HandleIfAllocated() : nullptr;
  if (!window)
    return;
  FBlinkOn = !FBlinkOn;
  HDC dc = ::GetDC(window);
  const TRect& r = ParentLabel->BoundsRect();
  int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, r.Left, r.Top, r.Right(), r.Bottom());
  ::SetViewportOrgEx(dc, r.Left, r.Top, nullptr);
  ParentLabel->DrawPiece(dc, Piece, ShadowColor, FBlinkOn);
  ::RestoreDC(dc, saved);
  ::ReleaseDC(window, dc);
}

// --- TFmtLabel ----------------------------------------------------------------------------------

TFmtLabel::TFmtLabel(TWinControl* parent, std::wstring name)
    : TLabel(parent, std::move(name)), ShadowColor(ResolveColor(clBtnShadow)) {
  SetAutoSize(false);
}

TFmtLabel::~TFmtLabel() = default;

void TFmtLabel::SetAlign(TMAlign align) {
  malign_ = align;
  PlaceByAlign();
}

MarkupFont TFmtLabel::StartFont() const {
  MarkupFont m;
  m.color = Font().Color;
  int ppi = PixelsPerInchOf(this);
  m.size = std::max(1, ScaleValue(std::abs(Font().Height), 72, ppi));
  m.style =
      ((Font().Style & fsItalic) ? kStyleItalic : 0) | ((Font().Style & fsBold) ? kStyleBold : 0);
  return m;
}

MarkupLayout TFmtLabel::Measure(HDC dc) {
  GdiFonts fonts(dc, Font(), StartFont(), PixelsPerInchOf(this));
  auto lines = ParseMarkup(Caption(), StartFont());
  auto align = static_cast<TextAlign>(static_cast<int>(Alignment()));
  return LayoutMarkup(lines, fonts, Width(), Height(), align, WordWrap());
}

COLORREF TFmtLabel::BackgroundColor() const {
  if (Transparent() && Parent())
    return ResolveColor(Parent()->Color());
  return ResolveColor(Color());
}

void TFmtLabel::DrawPiece(HDC dc, const PlacedSegment& piece, TColor shadowColor, bool on) {
  if (piece.segment.text.empty())
    return;
  GdiFonts fonts(dc, Font(), StartFont(), PixelsPerInchOf(this));
  const TFont& font = fonts.FontFor(piece.segment.font);
  HGDIOBJ old = ::SelectObject(dc, font.Handle());
  int mode = ::SetBkMode(dc, TRANSPARENT);
  const std::wstring& text = piece.segment.text;
  COLORREF background = BackgroundColor();
  if (piece.segment.shadow) {
    ::SetTextColor(dc, on ? ResolveColor(shadowColor) : background);
    ::TextOutW(dc, piece.x + 1, piece.y + 1, text.c_str(), static_cast<int>(text.size()));
  }
  ::SetTextColor(dc, on ? ResolveColor(piece.segment.font.color) : background);
  ::TextOutW(dc, piece.x, piece.y, text.c_str(), static_cast<int>(text.size()));
  ::SetBkMode(dc, mode);
  ::SelectObject(dc, old);
}

void TFmtLabel::Paint(HDC dc) {
  FBlinkList.clear();
  if (!Transparent())
    FillSolid(dc, RECT{0, 0, Width(), Height()}, ResolveColor(Color()));
  if (Caption().empty())
    return;
  MarkupLayout layout = Measure(dc);
  for (const PlacedSegment& piece : layout.segments) {
    DrawPiece(dc, piece, ShadowColor, true);
    if (piece.segment.blink && !piece.segment.text.empty())
      FBlinkList.push_back(std::make_unique<TBlinkObj>(this, piece, ShadowColor));
  }
}

void TFmtLabel::AdjustBounds() {
  if (adjusting_)
    return;
  adjusting_ = true;
  if (!Caption().empty()) {
    HDC screen = ::GetDC(nullptr);
    MarkupLayout layout = Measure(screen);
    ::ReleaseDC(nullptr, screen);
    if (layout.width > Width() || layout.height > Height())
      SetBounds(Left(), Top(), std::max(layout.width, Width()), std::max(layout.height, Height()));
  }
  PlaceByAlign();
  adjusting_ = false;
}

void TFmtLabel::PlaceByAlign() {
  TWinControl* parent = Parent();
  if (malign_ == TMAlign::alMNone || !parent)
    return;
  TRect client = parent->ClientRect();
  int left = Left(), top = Top();
  switch (malign_) {
    case TMAlign::alMTop:
      top = client.Top + 1;
      break;
    case TMAlign::alMBottom:
      top = client.Bottom() - Height() - 1;
      break;
    case TMAlign::alMLeft:
      left = client.Left + 1;
      break;
    case TMAlign::alMRight:
      left = client.Right() - Width() - 2;
      break;
    case TMAlign::alMCenter:
      left = client.Left + (client.Width - Width()) / 2;
      top = client.Top + (client.Height - Height()) / 2;
      break;
    case TMAlign::alMNone:
      break;
  }
  if (left != Left() || top != Top())
    SetBounds(left, top, Width(), Height());
}

void TFmtLabel::CaptionChanged() {
  TLabel::CaptionChanged();
  AdjustBounds();
}

void TFmtLabel::FontHasChanged() {
  TLabel::FontHasChanged();
  AdjustBounds();
}

void TFmtLabel::BoundsChanged() {
  TLabel::BoundsChanged();
  AdjustBounds();
}

}  // namespace kolvar::toolkit
