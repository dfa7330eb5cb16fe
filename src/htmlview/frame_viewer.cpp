#include "htmlview/frame_viewer.h"

#include <shellapi.h>

#include <algorithm>
#include <map>

#include "htmlview/open_link.h"
#include "htmlview/pure/charset.h"
#include "htmlview/pure/image_info.h"
#include "htmlview/pure/table_widths.h"
#include "platform/text.h"

namespace kolvar::htmlview {

using namespace kolvar::toolkit;

namespace {

constexpr UINT kNavigateMessage = WM_APP + 0x31;
constexpr int kLineStep = 20;
constexpr int kStripRows = 64;
// Documents larger than this are cut; the reader adds a note at the end.
constexpr DWORD kMaxFileBytes = 8 * 1024 * 1024;
constexpr DWORD kMaxPictureBytes = 16 * 1024 * 1024;
constexpr int kMaxFrameDepth = 4;
constexpr int kMaxFrames = 32;
const wchar_t kTruncatedNote[] = L"(Documentul este prea mare: restul nu este afi\u0219at.)";

COLORREF ToColorRef(Rgb rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Reads at most `limit` bytes of `path`; false when it cannot be opened.
bool ReadBounded(const std::wstring& path, DWORD limit, std::string& out, bool& cut) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size))
    return false;
  cut = size.QuadPart > limit;
  DWORD want = cut ? limit : static_cast<DWORD>(size.QuadPart);
  out.resize(want);
  DWORD got = 0;
  if (want > 0 && !::ReadFile(file.get(), &out[0], want, &got, nullptr))
    return false;
  out.resize(got);
  return true;
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

bool FileExists(const std::wstring& path) {
  DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// The screen's fonts for one layout: the handles, their heights and the widths of the
// characters, asked of the system once per font.
class ScreenFonts : public Measurer {
 public:
  ScreenFonts() : dc_(nullptr) {}

  FontMetrics Metrics(int font, const FontSpec& fontSpec) override {
    Ensure(font, fontSpec);
    return fonts_[font].metrics;
  }
  int TextWidth(int font, const FontSpec& fontSpec, const wchar_t* text, size_t n) override {
    Ensure(font, fontSpec);
    int w = 0;
    for (size_t i = 0; i < n; ++i)
      w += Advance(font, text[i]);
    return w;
  }
  // The advance of `c` in a font the layout asked for. Text is drawn with these advances, so
  // that it takes exactly the room the layout gave it (some systems place glyphs at fractional
  // positions, which would leave gaps between runs of different looks).
  int Advance(int font, wchar_t c) {
    Entry& e = fonts_[font];
    if (c < kTable)
      return e.widths[c];
    auto it = e.other.find(c);
    if (it == e.other.end()) {
      SIZE size{};
      ScopedSelect select(dc_.get(), e.font.get());
      ::GetTextExtentPoint32W(dc_.get(), &c, 1, &size);
      it = e.other.emplace(c, size.cx).first;
    }
    return it->second;
  }
  std::optional<std::pair<int, int>> ImageSize(const std::wstring& src) override {
    return view_ ? view_->PictureSize(src) : std::nullopt;
  }
  HFONT Handle(int font) const {
    return font >= 0 && font < static_cast<int>(fonts_.size()) ? fonts_[font].font.get() : nullptr;
  }
  TDocumentView* view_ = nullptr;

 private:
  static constexpr wchar_t kTable = 0x300;  // Latin letters with Romanian ones
  struct Entry {
    ScopedFont font;
    FontMetrics metrics;
    std::vector<int> widths;
    std::map<wchar_t, int> other;
  };
  void Ensure(int font, const FontSpec& fontSpec) {
    if (font < static_cast<int>(fonts_.size()) && fonts_[font].font)
      return;
    if (font >= static_cast<int>(fonts_.size()))
      fonts_.resize(font + 1);
    Entry& e = fonts_[font];
    LOGFONTW lf{};
    lf.lfHeight = -std::clamp(fontSpec.sizePx, 4, 200);
    lf.lfWeight = fontSpec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = fontSpec.italic;
    lf.lfUnderline = fontSpec.underline;
    lf.lfStrikeOut = fontSpec.strike;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, fontSpec.face.c_str(), LF_FACESIZE);
    e.font.reset(::CreateFontIndirectW(&lf));
    if (!e.font)
      e.font.reset(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    ScopedSelect select(dc_.get(), e.font.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc_.get(), &tm);
    e.metrics = {static_cast<int>(tm.tmAscent), static_cast<int>(tm.tmDescent)};
    e.widths.assign(kTable, 0);
    if (!::GetCharWidth32W(dc_.get(), 0, kTable - 1, e.widths.data())) {
      for (wchar_t c = 0; c < kTable; ++c) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.get(), &c, 1, &size);
        e.widths[c] = size.cx;
      }
    }
    // Control characters take no room.
    for (wchar_t c = 0; c < 0x20; ++c)
      e.widths[c] = 0;
  }
  ScopedMemoryDC dc_;
  std::vector<Entry> fonts_;
};

// --- helpers -------------------------------------------------------------------------------

bool IsExternalLink(const std::wstring& href) {
  size_t colon = href.find(':');
  if (colon == std::wstring::npos || colon < 2)
    return false;  // none, or a drive letter
  for (size_t i = 0; i < colon; ++i) {
    wchar_t c = href[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && c >= '0' && c <= '9') ||
              c == '+' || c == '-' || c == '.';
    if (!ok)
      return false;
  }
  return _wcsnicmp(href.c_str(), L"file:", 5) != 0;
}

void ResolveLocalLink(const std::wstring& folder,
                      const std::wstring& href,
                      std::wstring& path,
                      std::wstring& anchor) {
  std::wstring link = Trimmed(href, L" \t\r\n");
  anchor.clear();
  size_t hash = link.find('#');
  if (hash != std::wstring::npos) {
    anchor = link.substr(hash + 1);
    link.erase(hash);
  }
  size_t query = link.find('?');
  if (query != std::wstring::npos)
    link.erase(query);
  if (_wcsnicmp(link.c_str(), L"file:", 5) == 0) {
    link.erase(0, 5);
    while (!link.empty() && (link[0] == '/' || link[0] == '\\') && link.size() > 2 &&
           (link[2] == ':' || link[1] == '/' || link[0] == link[1]))
      link.erase(0, 1);
  }
  // %xx escapes, in the document's own (already decoded) characters.
  std::wstring decoded;
  for (size_t i = 0; i < link.size(); ++i) {
    auto hex = [](wchar_t c) {
      return c >= '0' && c <= '9'   ? c - '0'
             : c >= 'a' && c <= 'f' ? c - 'a' + 10
             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                    : -1;
    };
    if (link[i] == '%' && i + 2 < link.size() && hex(link[i + 1]) >= 0 && hex(link[i + 2]) >= 0) {
      decoded.push_back(static_cast<wchar_t>(hex(link[i + 1]) * 16 + hex(link[i + 2])));
      i += 2;
    } else {
      decoded.push_back(link[i] == '/' ? L'\\' : link[i]);
    }
  }
  if (decoded.empty()) {
    path.clear();
    return;
  }
  bool absolute = (decoded.size() > 1 && decoded[1] == ':') || decoded[0] == '\\';
  std::wstring joined = absolute ? decoded : folder + decoded;
  wchar_t full[MAX_PATH * 2];
  DWORD n = ::GetFullPathNameW(joined.c_str(), MAX_PATH * 2, full, nullptr);
  path = n > 0 && n < MAX_PATH * 2 ? std::wstring(full, n) : joined;
}

// --- TDocumentView ---------------------------------------------------------------------------

TDocumentView::TDocumentView(TFrameViewer* viewer, TWinControl* parent, std::wstring name)
    : TCustomControl(parent, std::move(name)), viewer_(viewer) {
  SetTabStop(true);
  SetColor(clWhite);
}

TDocumentView::~TDocumentView() = default;

void TDocumentView::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= WS_VSCROLL | WS_HSCROLL;
}

void TDocumentView::SetDocument(std::unique_ptr<Document> doc, const std::wstring& path) {
  // The layout's runs point into the old document until Relayout below replaces the layout;
  // nothing draws in between.
  doc_ = std::move(doc);
  path_ = path;
  folder_ = FolderOf(path);
  pictures_.clear();
  scrollX_ = scrollY_ = 0;
  laidOutWidth_ = -1;
  Relayout();
}

std::wstring TDocumentView::ResolvePath(const std::wstring& src) const {
  std::wstring path, anchor;
  ResolveLocalLink(folder_, src, path, anchor);
  return path;
}

TDocumentView::PictureEntry& TDocumentView::Entry(const std::wstring& src) {
  std::wstring path = ResolvePath(src);
  PictureEntry& e = pictures_[path];
  if (!e.read) {
    e.read = true;
    bool cut = false;
    if (!IsExternalLink(src) && ReadBounded(path, kMaxPictureBytes, e.bytes, cut) && !cut) {
      ImageInfo info = ReadImageInfo(e.bytes);
      if (PlausibleImage(info, e.bytes.size(), e.bytes))
        e.size = std::make_pair(info.width, info.height);
    }
    if (!e.size)
      e.bytes.clear();
  }
  return e;
}

std::optional<std::pair<int, int>> TDocumentView::PictureSize(const std::wstring& src) {
  return Entry(src).size;
}

void TDocumentView::Relayout() {
  RECT client{};
  if (HandleAllocated())
    ::GetClientRect(handle_, &client);
  else
    client = {0, 0, Width() - ::GetSystemMetrics(SM_CXVSCROLL), Height()};
  int width = std::max<int>(client.right, 50);
  if (width == laidOutWidth_)
    return;
  laidOutWidth_ = width;
  fonts_ = std::make_unique<ScreenFonts>();
  fonts_->view_ = this;
  // Let go of the old layout first: the two need not be held at once.
  layout_ = LayoutResult();
  if (doc_) {
    LayoutOptions options;
    options.width = width;
    options.defaultFace = viewer_->DefaultFontName;
    options.fixedFace = viewer_->PreFontName;
    options.truncatedNote = kTruncatedNote;
    layout_ = LayoutDocument(*doc_, *fonts_, options);
  } else {
    layout_ = LayoutResult();
  }
  UpdateScrollBars();
  Invalidate();
}

void TDocumentView::UpdateScrollBars() {
  if (!HandleAllocated())
    return;
  RECT client;
  ::GetClientRect(handle_, &client);
  SCROLLINFO si{sizeof(si)};
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(0, layout_.height - 1);
  si.nPage = static_cast<UINT>(std::max<LONG>(client.bottom, 0));
  scrollY_ = std::clamp(scrollY_, 0, std::max(0, layout_.height - static_cast<int>(client.bottom)));
  si.nPos = scrollY_;
  ::SetScrollInfo(handle_, SB_VERT, &si, TRUE);
  bool wide = layout_.width > client.right;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMax = wide ? layout_.width - 1 : 0;
  si.nPage = wide ? static_cast<UINT>(client.right) : 0;
  scrollX_ = wide ? std::clamp(scrollX_, 0, layout_.width - static_cast<int>(client.right)) : 0;
  si.nPos = scrollX_;
  ::SetScrollInfo(handle_, SB_HORZ, &si, TRUE);
  ::ShowScrollBar(handle_, SB_HORZ, wide);
}

void TDocumentView::BoundsChanged() {
  TCustomControl::BoundsChanged();
  if (HandleAllocated()) {
    Relayout();
    UpdateScrollBars();
  }
}

void TDocumentView::ScrollTo(int x, int y) {
  if (!HandleAllocated()) {
    scrollX_ = std::max(0, x);
    scrollY_ = std::max(0, y);
    return;
  }
  RECT client;
  ::GetClientRect(handle_, &client);
  int maxY = std::max(0, layout_.height - static_cast<int>(client.bottom));
  int maxX = std::max(0, layout_.width - static_cast<int>(client.right));
  x = std::clamp(x, 0, maxX);
  y = std::clamp(y, 0, maxY);
  if (x == scrollX_ && y == scrollY_)
    return;
  int dx = scrollX_ - x, dy = scrollY_ - y;
  scrollX_ = x;
  scrollY_ = y;
  ::SetScrollPos(handle_, SB_VERT, scrollY_, TRUE);
  ::SetScrollPos(handle_, SB_HORZ, scrollX_, TRUE);
  ::ScrollWindowEx(handle_, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  ::UpdateWindow(handle_);
}

bool TDocumentView::ScrollToAnchor(const std::wstring& name) {
  std::optional<int> y = FindAnchor(layout_, name);
  if (!y)
    return false;
  ScrollTo(scrollX_, *y);
  return true;
}

bool TDocumentView::ScrollKey(WORD key, TShiftState shift) {
  RECT client{};
  if (HandleAllocated())
    ::GetClientRect(handle_, &client);
  int page = std::max<int>(kLineStep, client.bottom - kLineStep);
  switch (key) {
    case VK_UP:
      ScrollTo(scrollX_, scrollY_ - kLineStep);
      return true;
    case VK_DOWN:
      ScrollTo(scrollX_, scrollY_ + kLineStep);
      return true;
    case VK_LEFT:
      ScrollTo(scrollX_ - kLineStep, scrollY_);
      return true;
    case VK_RIGHT:
      ScrollTo(scrollX_ + kLineStep, scrollY_);
      return true;
    case VK_PRIOR:
      ScrollTo(scrollX_, scrollY_ - page);
      return true;
    case VK_NEXT:
      ScrollTo(scrollX_, scrollY_ + page);
      return true;
    case VK_SPACE:
      ScrollTo(scrollX_, scrollY_ + ((shift & ssShift) ? -page : page));
      return true;
    case VK_HOME:
      ScrollTo(0, 0);
      return true;
    case VK_END:
      ScrollTo(scrollX_, layout_.height);
      return true;
    default:
      return false;
  }
}

void TDocumentView::Wheel(int delta) {
  UINT lines = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL)
    lines = 20;
  ScrollTo(scrollX_, scrollY_ - delta * static_cast<int>(lines) * kLineStep / WHEEL_DELTA);
}

void TDocumentView::KeyDown(WORD& key, TShiftState shift) {
  if (!(shift & (ssAlt | ssCtrl)) && ScrollKey(key, shift))
    key = 0;
}

bool TDocumentView::WantsKey(WORD key) const {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_SPACE:
      return true;
    default:
      return false;
  }
}

int TDocumentView::LinkAtClient(int x, int y) const {
  return LinkAt(layout_, x + scrollX_, y + scrollY_);
}

void TDocumentView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  SetFocus();
  pressedLink_ = button == TMouseButton::mbLeft ? LinkAtClient(x, y) : -1;
  TCustomControl::MouseDown(button, shift, x, y);
}

void TDocumentView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  int link = button == TMouseButton::mbLeft ? LinkAtClient(x, y) : -1;
  if (link >= 0 && link == pressedLink_)
    viewer_->LinkClicked(this, link);
  pressedLink_ = -1;
}

void TDocumentView::OnScroll(int bar, int code) {
  SCROLLINFO si{sizeof(si)};
  si.fMask = SIF_ALL;
  ::GetScrollInfo(handle_, bar, &si);
  int pos = si.nPos;
  int page = std::max<int>(kLineStep, static_cast<int>(si.nPage) - kLineStep);
  switch (code) {
    case SB_LINEUP:
      pos -= kLineStep;
      break;
    case SB_LINEDOWN:
      pos += kLineStep;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    default:
      return;
  }
  if (bar == SB_VERT)
    ScrollTo(scrollX_, pos);
  else
    ScrollTo(pos, scrollY_);
}

LRESULT TDocumentView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      if ((KeyboardShift() & (ssCtrl | ssAlt)) == (ssCtrl | ssAlt))
        return TCustomControl::WndProc(msg, wParam, lParam);  // the form's zoom
      Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(handle_, &p);
        if (LinkAtClient(p.x, p.y) >= 0) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      return TCustomControl::WndProc(msg, wParam, lParam);
    case WM_SIZE: {
      LRESULT r = TCustomControl::WndProc(msg, wParam, lParam);
      Relayout();
      UpdateScrollBars();
      return r;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      return TCustomControl::WndProc(msg, wParam, lParam);
  }
}

void TDocumentView::PaintWindow(HDC dc) {
  RECT client;
  ::GetClientRect(handle_, &client);
  RECT clip;
  if (::GetClipBox(dc, &clip) == NULLREGION || client.right <= 0 || client.bottom <= 0)
    return;
  if (laidOutWidth_ != client.right)
    Relayout();
  // Drawn in memory a strip at a time, each strip shown whole: the window never shows a
  // half-drawn strip, and the memory for it is a strip's, not a whole window's (which the
  // system's heap may keep after the first time).
  int w = clip.right - clip.left;
  int stripRows = std::min<int>(kStripRows, clip.bottom - clip.top);
  ScopedMemoryDC memory(dc);
  ScopedBitmap bitmap(::CreateCompatibleBitmap(dc, w, stripRows));
  if (!memory.get() || !bitmap) {
    PaintDocument(dc, clip);
    return;
  }
  ScopedSelect select(memory.get(), bitmap.get());
  for (LONG top = clip.top; top < clip.bottom; top += stripRows) {
    RECT strip{clip.left, top, clip.right, std::min<LONG>(clip.bottom, top + stripRows)};
    ::SetViewportOrgEx(memory.get(), -strip.left, -strip.top, nullptr);
    PaintDocument(memory.get(), strip);
    ::SetViewportOrgEx(memory.get(), 0, 0, nullptr);
    ::BitBlt(dc, strip.left, strip.top, w, strip.bottom - strip.top, memory.get(), 0, 0, SRCCOPY);
  }
}

void TDocumentView::PaintDocument(HDC dc, const RECT& clip) {
  FillSolid(dc, clip, ToColorRef(layout_.background));
  const int ox = -scrollX_, oy = -scrollY_;
  const int top = clip.top - oy, bottom = clip.bottom - oy;  // in document coordinates
  auto visible = [&](const Rect& r) { return r.y < bottom && r.y + r.h > top; };
  // Only the groups of items that reach the strip are looked at.
  auto forReaching = [&](const Reach* reach, size_t count, auto draw) {
    for (size_t g = 0; g < ReachGroups(count); ++g) {
      if (!reach[g].Meets(top, bottom))
        continue;
      for (size_t i = g * kReachGroup; i < std::min(count, (g + 1) * kReachGroup); ++i)
        draw(i);
    }
  };
  const auto& boxes = layout_.items.boxes;
  forReaching(layout_.items.boxReach.get(), boxes.size(), [&](size_t i) {
    const Box& b = boxes[i];
    if (!visible(b.r))
      return;
    RECT r{b.r.x + ox, b.r.y + oy, b.r.x + b.r.w + ox, b.r.y + b.r.h + oy};
    switch (b.kind) {
      case Box::Kind::kFill:
        FillSolid(dc, r, ToColorRef(b.color));
        break;
      case Box::Kind::kFrame:
        for (int i = 0; i < b.thickness && r.right - r.left > 2 * i; ++i) {
          RECT f{r.left + i, r.top + i, r.right - i, r.bottom - i};
          FrameSolid(dc, f, ToColorRef(b.color));
        }
        break;
      case Box::Kind::kBevelIn:
      case Box::Kind::kBevelOut: {
        bool in = b.kind == Box::Kind::kBevelIn;
        COLORREF light = RGB(0xE3, 0xE3, 0xE3), dark = RGB(0x80, 0x80, 0x80);
        for (int i = 0;
             i < b.thickness && r.right - r.left > 2 * i + 1 && r.bottom - r.top > 2 * i + 1; ++i) {
          RECT t{r.left + i, r.top + i, r.right - i, r.top + i + 1};
          RECT l{r.left + i, r.top + i, r.left + i + 1, r.bottom - i};
          RECT bt{r.left + i, r.bottom - i - 1, r.right - i, r.bottom - i};
          RECT rt{r.right - i - 1, r.top + i, r.right - i, r.bottom - i};
          FillSolid(dc, t, in ? dark : light);
          FillSolid(dc, l, in ? dark : light);
          FillSolid(dc, bt, in ? light : dark);
          FillSolid(dc, rt, in ? light : dark);
        }
        break;
      }
      case Box::Kind::kDisc:
      case Box::Kind::kCircle: {
        ScopedBrush brush(::CreateSolidBrush(ToColorRef(b.color)));
        ScopedPen pen(::CreatePen(PS_SOLID, 1, ToColorRef(b.color)));
        ScopedSelect sp(dc, pen.get());
        ScopedSelect sb(dc,
                        b.kind == Box::Kind::kDisc ? brush.get() : ::GetStockObject(NULL_BRUSH));
        ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
        break;
      }
      case Box::Kind::kSquare:
        FillSolid(dc, r, ToColorRef(b.color));
        break;
    }
  });
  ::SetBkMode(dc, TRANSPARENT);
  for (const Picture& p : layout_.items.pictures) {
    Rect outer{p.r.x - p.border, p.r.y - p.border, p.r.w + 2 * p.border, p.r.h + 2 * p.border};
    if (!visible(outer))
      continue;
    RECT r{p.r.x + ox, p.r.y + oy, p.r.x + p.r.w + ox, p.r.y + p.r.h + oy};
    for (int i = 1; i <= p.border; ++i) {
      RECT f{r.left - i, r.top - i, r.right + i, r.bottom + i};
      FrameSolid(dc, f, ToColorRef(p.borderColor));
    }
    PictureEntry* e = p.src.empty() ? nullptr : &Entry(p.src);
    if (e && e->size && !e->decoded) {
      e->decoded = true;
      e->picture = DecodePicture(e->bytes);
      e->bytes.clear();
      e->bytes.shrink_to_fit();
    }
    if (e && e->picture.valid()) {
      DrawPicture(dc, e->picture, r);
      continue;
    }
    // A picture that cannot be shown: a sunken frame with its alternative text.
    FrameSolid(dc, r, RGB(0x80, 0x80, 0x80));
    if (!p.alt.empty() && fonts_) {
      ScopedSelect sf(dc, fonts_->Handle(p.altFont));
      ::SetTextColor(dc, ToColorRef(p.altColor));
      RECT t{r.left + 4, r.top + 2, r.right - 2, r.bottom - 2};
      ::DrawTextW(dc, p.alt.c_str(), static_cast<int>(p.alt.size()), &t,
                  DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK | DT_END_ELLIPSIS);
    }
  }
  if (!fonts_)
    return;
  int currentFont = -1;
  std::optional<ScopedSelect> select;
  COLORREF currentColor = CLR_INVALID;
  std::vector<INT> advances;
  const auto& texts = layout_.items.texts;
  forReaching(layout_.items.textReach.get(), texts.size(), [&](size_t i) {
    const TextRun& t = texts[i];
    if (t.y >= bottom || t.y + 200 < top)
      return;
    if (t.font != currentFont) {
      select.reset();
      select.emplace(dc, fonts_->Handle(t.font));
      currentFont = t.font;
    }
    COLORREF color = ToColorRef(t.color);
    if (color != currentColor) {
      ::SetTextColor(dc, color);
      currentColor = color;
    }
    advances.resize(t.length);
    for (size_t i = 0; i < t.length; ++i)
      advances[i] = fonts_->Advance(t.font, t.chars[i]);
    ::ExtTextOutW(dc, t.x + ox, t.y + oy, 0, nullptr, t.chars, t.length, advances.data());
  });
}

// --- TFrameViewer ----------------------------------------------------------------------------

TFrameViewer::TFrameViewer(TWinControl* parent, std::wstring name)
    : TCustomControl(parent, std::move(name)) {
  SetColor(clBtnFace);
  OnExternalLink = [](const std::wstring& url) { OpenInDefaultProgram(url); };
}

TFrameViewer::~TFrameViewer() = default;

std::unique_ptr<Document> TFrameViewer::ReadDocument(const std::wstring& path) const {
  // Each form of the document is let go as soon as the next is made: the heap can then give
  // their room to the tree and the layout.
  std::wstring text;
  bool cut = false;
  {
    std::string bytes;
    if (!ReadBounded(path, kMaxFileBytes, bytes, cut))
      return nullptr;
    text = DecodeDocument(bytes);
  }
  auto doc = std::make_unique<Document>(ParseHtml(std::move(text)));
  doc->truncated = doc->truncated || cut;
  return doc;
}

void TFrameViewer::Clear() {
  pending_ = Pending();
  unplaced_.clear();
  for (TDocumentView* v : views_)
    delete v;
  views_.clear();
  framesetDocs_.clear();
  root_ = FrameNode();
  framed_ = false;
  title_.clear();
  file_.clear();
}

bool TFrameViewer::LoadFromFile(const std::wstring& path, const std::wstring& anchor) {
  Clear();
  std::unique_ptr<Document> doc = ReadDocument(path);
  file_ = path;
  if (!doc) {
    Invalidate();
    return false;
  }
  title_ = doc->title;
  if (doc->frameset) {
    framed_ = true;
    const Node* frameset = doc->frameset;
    framesetDocs_.push_back(std::move(doc));
    BuildFrames(frameset, FolderOf(path), root_, 0);
  } else {
    auto* view = new TDocumentView(this, this, L"");
    views_.push_back(view);
    root_.view = view;
    unplaced_.push_back({view, std::move(doc), path});
  }
  // Documents are laid out once their views have their places (and windows): laying them out
  // before would be done again at once for the real width.
  BoundsChanged();
  for (Unplaced& u : unplaced_) {
    if (HandleAllocated())
      u.view->Handle();
    u.view->SetDocument(std::move(u.doc), u.path);
  }
  unplaced_.clear();
  if (!anchor.empty() && !views_.empty())
    views_.front()->ScrollToAnchor(anchor);
  Invalidate();
  return true;
}

void TFrameViewer::AddLeaf(const std::wstring& path,
                           const std::wstring& name,
                           FrameNode& into,
                           int depth) {
  std::unique_ptr<Document> doc = path.empty() ? nullptr : ReadDocument(path);
  if (doc && doc->frameset && depth < kMaxFrameDepth) {
    const Node* frameset = doc->frameset;
    framesetDocs_.push_back(std::move(doc));
    BuildFrames(frameset, FolderOf(path), into, depth + 1);
    return;
  }
  auto* view = new TDocumentView(this, this, name);
  views_.push_back(view);
  into.view = view;
  if (!doc)
    doc = std::make_unique<Document>();
  unplaced_.push_back({view, std::move(doc), path});
}

void TFrameViewer::BuildFrames(const Node* frameset,
                               const std::wstring& folder,
                               FrameNode& into,
                               int depth) {
  if (const std::wstring_view* v = frameset->Attr("rows"))
    into.rows = *v;
  if (const std::wstring_view* v = frameset->Attr("cols"))
    into.cols = *v;
  const std::wstring_view* border = frameset->Attr("border");
  const std::wstring_view* frameborder = frameset->Attr("frameborder");
  into.border = border ? std::clamp(ParseInt(*border, 4, 20), 0, 20) : 4;
  if (frameborder && (*frameborder == L"0" || *frameborder == L"no"))
    into.border = border ? into.border : 0;
  for (const Node* c = frameset->First(); c; c = c->Next()) {
    if (views_.size() >= kMaxFrames)
      break;
    if (c->IsElement(Tag::kFrameset) && depth < kMaxFrameDepth) {
      into.children.emplace_back();
      BuildFrames(c, folder, into.children.back(), depth + 1);
    } else if (c->IsElement(Tag::kFrame)) {
      into.children.emplace_back();
      const std::wstring_view* src = c->Attr("src");
      const std::wstring_view* name = c->Attr("name");
      std::wstring href(src ? *src : L""), path, anchor;
      if (src && !IsExternalLink(href))
        ResolveLocalLink(folder, href, path, anchor);
      AddLeaf(path, std::wstring(name ? *name : L""), into.children.back(), depth);
    }
  }
}

void TFrameViewer::PlaceFrames(const FrameNode& node, RECT r) {
  if (node.view) {
    node.view->SetBounds(r.left, r.top, std::max<LONG>(0, r.right - r.left),
                         std::max<LONG>(0, r.bottom - r.top));
    return;
  }
  if (node.children.empty())
    return;
  bool byColumns = node.rows.empty() && !node.cols.empty();
  int whole = byColumns ? r.right - r.left : r.bottom - r.top;
  size_t count = node.children.size();
  const std::wstring& fontSpec = byColumns ? node.cols : node.rows;
  std::vector<int> sizes = SplitFrameSizes(fontSpec, std::max(0, whole));
  // A frameset with both rows and columns fills its grid row by row.
  std::vector<int> cross;
  if (!node.rows.empty() && !node.cols.empty())
    cross = SplitFrameSizes(node.cols, std::max<LONG>(0, r.right - r.left));
  int gap = node.border;
  size_t index = 0;
  int at = byColumns ? r.left : r.top;
  for (size_t i = 0; i < sizes.size() && index < count; ++i) {
    int size = sizes[i];
    RECT band =
        byColumns ? RECT{at, r.top, at + size, r.bottom} : RECT{r.left, at, r.right, at + size};
    if (i > 0) {
      if (byColumns)
        band.left = std::min<LONG>(band.left + gap, band.right);
      else
        band.top = std::min<LONG>(band.top + gap, band.bottom);
    }
    if (cross.empty()) {
      PlaceFrames(node.children[index++], band);
    } else {
      int x = band.left;
      for (size_t j = 0; j < cross.size() && index < count; ++j) {
        RECT cell{x + (j > 0 ? gap : 0), band.top, x + cross[j], band.bottom};
        PlaceFrames(node.children[index++], cell);
        x += cross[j];
      }
    }
    at += size;
  }
  // Frames beyond the sizes given get no room.
  for (; index < count; ++index)
    PlaceFrames(node.children[index], RECT{r.left, r.top, r.left, r.top});
}

void TFrameViewer::BoundsChanged() {
  TCustomControl::BoundsChanged();
  RECT r{0, 0, Width(), Height()};
  PlaceFrames(root_, r);
}

void TFrameViewer::Paint(HDC dc) {
  // The gaps between frames show the control's own colour.
}

TDocumentView* TFrameViewer::ActiveView() const {
  HWND focus = ::GetFocus();
  for (TDocumentView* v : views_) {
    if (v->HandleAllocated() && v->HandleIfAllocated() == focus)
      return v;
  }
  return views_.empty() ? nullptr : views_.front();
}

bool TFrameViewer::WheelAt(POINT at, int delta) {
  for (TDocumentView* v : views_) {
    if (!v->HandleAllocated() || !::IsWindowVisible(v->HandleIfAllocated()))
      continue;
    RECT r;
    ::GetWindowRect(v->HandleIfAllocated(), &r);
    if (::PtInRect(&r, at)) {
      v->Wheel(delta);
      return true;
    }
  }
  return false;
}

void TFrameViewer::LinkClicked(TDocumentView* view, int link) {
  const auto& links = view->Layout().links;
  if (link < 0 || link >= static_cast<int>(links.size()))
    return;
  std::wstring href = links[link].href;
  std::wstring target = links[link].target;
  // Blanks around an address are not part of it, as in every browser.
  href = Trimmed(href, L" \t\r\n");
  if (!href.empty() && href[0] == '#') {
    view->ScrollToAnchor(href.substr(1));
    return;
  }
  if (IsExternalLink(href)) {
    if (_wcsnicmp(href.c_str(), L"javascript:", 11) != 0 && OnExternalLink)
      OnExternalLink(href);
    return;
  }
  std::wstring path, anchor;
  ResolveLocalLink(FolderOf(view->Path()), href, path, anchor);
  if (path.empty() || !FileExists(path)) {
    ::MessageBeep(MB_OK);
    return;
  }
  Pending p;
  p.active = true;
  p.path = path;
  p.anchor = anchor;
  std::wstring t = target;
  std::transform(t.begin(), t.end(), t.begin(), ::towlower);
  if (!framed_ || t == L"_top" || t == L"_parent" || t == L"_blank") {
    p.top = true;
  } else if (t.empty() || t == L"_self") {
    p.view = view;
  } else {
    auto it = std::find_if(views_.begin(), views_.end(), [&](TDocumentView* v) {
      return _wcsicmp(v->Name().c_str(), target.c_str()) == 0;
    });
    if (it != views_.end())
      p.view = *it;
    else
      p.top = true;
  }
  // Replacing documents from inside a view's own mouse handling would free the view under it:
  // the change is made once the click is handled.
  pending_ = p;
  ::PostMessageW(Handle(), kNavigateMessage, 0, 0);
}

void TFrameViewer::Navigate() {
  Pending p = pending_;
  pending_ = Pending();
  if (!p.active)
    return;
  if (!p.top) {
    if (std::find(views_.begin(), views_.end(), p.view) == views_.end())
      return;
    std::unique_ptr<Document> doc = ReadDocument(p.path);
    if (!doc)
      return;
    if (doc->frameset) {
      p.top = true;
    } else {
      p.view->SetDocument(std::move(doc), p.path);
      p.view->Invalidate();
      if (!p.anchor.empty())
        p.view->ScrollToAnchor(p.anchor);
      return;
    }
  }
  LoadFromFile(p.path, p.anchor);
  if (OnDocumentChange)
    OnDocumentChange(this);
}

LRESULT TFrameViewer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kNavigateMessage:
      Navigate();
      return 0;
    default:
      return TCustomControl::WndProc(msg, wParam, lParam);
  }
}

}  // namespace kolvar::htmlview
