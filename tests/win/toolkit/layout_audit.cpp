#include "layout_audit.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/actives.h"
#include "toolkit/buttons.h"
#include "toolkit/fmt_label.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/captions.h"
#include "toolkit/std_controls.h"
#include "toolkit/title_bar.h"
#include "win_test_support.h"

namespace kolvar::testing {
namespace {

using namespace kolvar::toolkit;

std::string KindOf(const TControl* c) {
  if (dynamic_cast<const TFmtLabel*>(c))
    return "TFmtLabel";
  if (dynamic_cast<const TActiveLabel*>(c))
    return "TActiveLabel";
  if (dynamic_cast<const TLabel*>(c))
    return "TLabel";
  if (dynamic_cast<const TNiceButton*>(c))
    return "TNiceButton";
  if (dynamic_cast<const TMButton*>(c))
    return "TMButton";
  if (dynamic_cast<const TMCustomCheckBox*>(c))
    return "TActiveCheckBox";
  if (dynamic_cast<const TMRadioButton*>(c))
    return "TMRadioButton";
  if (dynamic_cast<const TMCustomRadioGroup*>(c))
    return "TMRadioGroup";
  if (dynamic_cast<const TMemo*>(c))
    return "TMemo";
  if (dynamic_cast<const TEdit*>(c))
    return "TEdit";
  if (dynamic_cast<const TTitleBar*>(c))
    return "TTitleBar";
  if (dynamic_cast<const TPanel*>(c))
    return "TPanel";
  if (dynamic_cast<const TGauge*>(c))
    return "TGauge";
  if (dynamic_cast<const TImage*>(c))
    return "TImage";
  return "control";
}

int LineHeight(const TFont& font) {
  ScopedGetDC dc(nullptr);
  ScopedSelect select(dc.get(), font.Handle());
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  return metrics.tmHeight;
}

int TextHeight(const TFont& font) {
  return MeasureText(L"Wg", font, DT_SINGLELINE).cy;
}

// The picture a control shows at its form's dots per inch, or null.
TPicture Shown(const TControl* c, const TBitmap* own, int cells) {
  if (!own || own->Empty())
    return nullptr;
  return ScaledPicture(*own, cells, PixelsPerInchOf(c));
}

// The line of a check box or radio button: its mark, a gap and its caption.
SIZE LineOf(const TMarkControl& mark) {
  const TBitmap* own = MarkImage(glRadio).get();
  int cells = 2;
  if (auto* box = dynamic_cast<const TMCustomCheckBox*>(&mark)) {
    own = box->CustomGlyph && box->Glyph ? box->Glyph.get() : MarkImage(glCheck).get();
    cells = 3;
  }
  TPicture picture = Shown(&mark, own, cells);
  int cw = picture ? picture->Width() / cells : 0, ch = picture ? picture->Height() : 0;
  SIZE text = MeasureAccelCaption(mark.Caption(), mark.Font());
  // The gap between the mark and its text is drawn only when there is a text.
  int gap = mark.Caption().empty() ? 0 : ScaleValue(4, PixelsPerInchOf(&mark), 96);
  return SIZE{cw + gap + text.cx, std::max<int>(ch, TextHeight(mark.Font()))};
}

class Auditor {
 public:
  std::vector<std::string> faults;

  void Walk(TWinControl& parent, const std::string& path) {
    RECT client{0, 0, parent.Width(), parent.Height()};
    if (HWND window = parent.HandleIfAllocated())
      ::GetClientRect(window, &client);
    for (TControl* c : parent.Controls()) {
      if (!c->Visible())
        continue;
      std::string name = Narrow(c->Name());
      std::string here = path + "/" + (name.empty() ? "" : name + ":") + KindOf(c);
      TRect r = c->BoundsRect();
      // A group's buttons draw their line at the top of rows that may run past the group's
      // bottom (the group spaces its rows by the font's character height): the characters of
      // the line and the mark must show.
      if (dynamic_cast<TMGroupButton*>(c)) {
        TPicture radio = Shown(c, MarkImage(glRadio).get(), 2);
        r.Height =
            std::min(r.Height, std::max(radio ? radio->Height() : 0, std::abs(c->Font().Height)));
      }
      if (r.Left < 0 || r.Top < 0 || r.Right() > client.right || r.Bottom() > client.bottom) {
        Fault(here, "stands out of its parent: " + Box(r.Left, r.Top, r.Width, r.Height) + " in " +
                        Size(client.right, client.bottom));
      }
      Check(c, here);
      if (dynamic_cast<TLabel*>(c) && !c->Caption().empty())
        CheckUncovered(parent, c, here);
      if (c->IsWindowed())
        Walk(*static_cast<TWinControl*>(c), here);
    }
  }

 private:
  static std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }
  static std::string Box(int x, int y, int w, int h) {
    return Size(w, h) + " at " + std::to_string(x) + "," + std::to_string(y);
  }

  // A label's text must not lie under (or over) another part beside it.
  void CheckUncovered(TWinControl& parent, TControl* label, const std::string& path) {
    RECT own = label->BoundsRect().ToRECT(), both;
    for (TControl* other : parent.Controls()) {
      if (other == label || !other->Visible())
        continue;
      RECT theirs = other->BoundsRect().ToRECT();
      if (::IntersectRect(&both, &own, &theirs)) {
        Fault(path, "overlaps " + KindOf(other) + " " + Narrow(other->Name()) + " \"" +
                        Narrow(other->Caption()) + "\"");
      }
    }
  }

  void Fault(const std::string& path, const std::string& what) {
    faults.push_back(path + ": " + what);
  }

  // Whether `need` fits in w × h; a fault naming `what` when it does not.
  void Fits(const std::string& path, const std::string& what, SIZE need, int w, int h) {
    if (need.cx > w || need.cy > h)
      Fault(path, what + " needs " + Size(need.cx, need.cy) + ", has " + Size(w, h));
  }

  void Check(TControl* c, const std::string& path) {
    const std::wstring& caption = c->Caption();
    std::string quoted = "\"" + Narrow(caption) + "\"";
    int ppi = PixelsPerInchOf(c);
    if (dynamic_cast<TFmtLabel*>(c)) {
      return;  // it grows to its text
    }
    if (auto* label = dynamic_cast<TActiveLabel*>(c)) {
      if (!caption.empty())
        Fits(path, quoted, MeasureAccelCaption(caption, label->Font()), c->Width(), c->Height());
      return;
    }
    if (auto* label = dynamic_cast<TLabel*>(c)) {
      if (caption.empty())
        return;
      UINT format = DT_EXPANDTABS | (label->ShowAccelChar ? 0 : DT_NOPREFIX);
      if (label->WordWrap())
        format |= DT_WORDBREAK;
      SIZE need = MeasureText(caption, label->Font(), format, label->WordWrap() ? c->Width() : 0);
      Fits(path, quoted, need, c->Width(), c->Height());
      return;
    }
    if (auto* button = dynamic_cast<TNiceButton*>(c)) {
      const TBitmap* own =
          button->Kind() == mkCustom ? button->Glyph.get() : NiceButtonImage(button->Kind()).get();
      TPicture picture = Shown(c, own, std::max(1, button->NumGlyphs));
      if (picture)
        Fits(path, "picture", SIZE{0, picture->Height()}, c->Width(), c->Height());
      if (!button->CaptionVisible || caption.empty())
        return;
      TFont bold = button->Font();
      bold.Style |= fsBold;
      int plateLeft = NicePlateLeft(picture != nullptr, button->InsideDraw, ppi);
      SIZE need{MeasureText(StripAccelerators(caption), bold, DT_SINGLELINE | DT_NOPREFIX).cx,
                TextHeight(bold)};
      Fits(path, quoted + " on its plate", need, c->Width() - plateLeft, c->Height());
      return;
    }
    if (auto* button = dynamic_cast<TMButton*>(c)) {
      const TBitmap* own = button->Glyph && !button->Glyph->Empty()
                               ? button->Glyph.get()
                               : ButtonImage(button->Kind()).get();
      int cells = std::max(1, button->NumGlyphs);
      TPicture picture = Shown(c, own, cells);
      int gw = picture ? picture->Width() / cells : 0, gh = picture ? picture->Height() : 0;
      int tw = 0, th = 0;
      if (button->CaptionVisible && !caption.empty()) {
        std::vector<std::wstring> lines = SplitHashLines(caption);
        for (const auto& line : lines)
          tw = std::max<int>(
              tw, MeasureText(StripAccelerators(line), c->Font(), DT_SINGLELINE | DT_NOPREFIX).cx);
        th = LineHeight(c->Font()) * static_cast<int>(lines.size());
      }
      // A picture alone is centred and may lose rows of its transparent border.
      if (tw == 0)
        return;
      int spacing = std::max(0, button->Spacing);
      bool stacked = button->ButtonLayout == TButtonLayout::blGlyphTop ||
                     button->ButtonLayout == TButtonLayout::blGlyphBottom;
      SIZE need = stacked ? SIZE{std::max(gw, tw), gh + spacing + th}
                          : SIZE{gw + spacing + tw, std::max(gh, th)};
      Fits(path, "picture and " + quoted, need, c->Width(), c->Height());
      return;
    }
    if (auto* mark = dynamic_cast<TMarkControl*>(c)) {
      Fits(path, "mark and " + quoted, LineOf(*mark), c->Width(), c->Height());
      return;
    }
    if (auto* memo = dynamic_cast<TMemo*>(c)) {
      HWND window = memo->HandleIfAllocated();
      if (!window)
        return;
      RECT text{};
      ::SendMessageW(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
      int lines = static_cast<int>(::SendMessageW(window, EM_GETLINECOUNT, 0, 0));
      // A short memo shows every line; one with a scroll bar at least two whole lines.
      bool scrolls =
          memo->ScrollBars == TScrollStyle::ssVertical || memo->ScrollBars == TScrollStyle::ssBoth;
      int shown = scrolls ? std::min(lines, 2) : lines;
      if (lines <= 4) {
        Fits(path, std::to_string(shown) + " of " + std::to_string(lines) + " lines",
             SIZE{0, shown * LineHeight(c->Font())}, text.right - text.left,
             text.bottom - text.top);
      }
      return;
    }
    if (auto* edit = dynamic_cast<TEdit*>(c)) {
      RECT client{0, 0, c->Width(), c->Height()};
      if (HWND window = edit->HandleIfAllocated())
        ::GetClientRect(window, &client);
      Fits(path, "a line of text", SIZE{0, LineHeight(c->Font())}, client.right, client.bottom);
      return;
    }
    if (auto* bar = dynamic_cast<TTitleBar*>(c)) {
      if (!caption.empty()) {
        SIZE text = MeasureText(caption, bar->Font(), DT_SINGLELINE | DT_NOPREFIX);
        Fits(path, "the height of " + quoted, SIZE{0, text.cy}, c->Width(), c->Height());
      }
      return;
    }
    if (auto* panel = dynamic_cast<TPanel*>(c)) {
      if (!caption.empty()) {
        TRect inside = panel->ClientRect();
        Fits(path, quoted, MeasureText(caption, c->Font(), DT_SINGLELINE | DT_EXPANDTABS),
             inside.Width, inside.Height);
      }
      return;
    }
    if (auto* image = dynamic_cast<TImage*>(c)) {
      TPicture shown = image->ShownPicture();
      if (shown && !image->Stretch)
        Fits(path, "picture", SIZE{shown->Width(), shown->Height()}, c->Width(), c->Height());
      return;
    }
    if (auto* gauge = dynamic_cast<TGauge*>(c)) {
      if (gauge->ShowText)
        Fits(path, "\"100%\"", MeasureText(L"100%", c->Font(), DT_SINGLELINE), c->Width() - 2,
             c->Height() - 2);
      return;
    }
  }
};

}  // namespace

std::vector<std::string> AuditLayout(TWinControl& root) {
  Auditor auditor;
  auditor.Walk(root, Narrow(root.Name()));
  return auditor.faults;
}

}  // namespace kolvar::testing
