#include "htmlview/pure/layout.h"

#include <algorithm>
#include <climits>

#include "htmlview/pure/table_widths.h"
#include "platform/text.h"

namespace kolvar::htmlview {

namespace {

constexpr int kMaxTableDepth = 10;  // deeper tables are laid out as plain blocks
constexpr int kMaxColumns = 200;
constexpr int kMaxSpan = 200;
constexpr int kUnbounded = 1 << 20;
constexpr int kMaxExtent = 1 << 24;  // no box ends further than this
constexpr int kListIndent = 40;
constexpr int kFloatGap = 4;
constexpr Rgb kLinkColor = 0x0000EE;

struct Computed {
  std::wstring face;
  int sizePx = 16;
  int htmlSize = 3;
  bool bold = false, italic = false, underline = false, strike = false;
  Rgb color = 0;
  int link = -1;
  bool pre = false;
  bool nowrap = false;
  Align align = Align::kLeft;
  int vshift = 0;  // upwards
  int listDepth = 0;
  int font = 0;
};

struct Float {
  bool right = false;
  Rect r;
};

struct Frag {
  enum class Kind { kText, kPicture } kind = Kind::kText;
  int width = 0;
  int spaceAfter = 0;
  int ascent = 0, descent = 0;
  int font = 0;
  Rgb color = 0;
  int link = -1;
  int vshift = 0;
  // The text: `length` characters at `chars` while they are one piece of the document's text,
  // else in `copy`.
  const wchar_t* chars = nullptr;
  size_t length = 0;
  bool copied = false;
  std::wstring copy;
  Picture pic;
  VAlign valign = VAlign::kDefault;
};

struct Marker {
  bool text = false;
  std::wstring label;
  Box::Kind shape = Box::Kind::kDisc;
  int font = 0;
  Rgb color = 0;
  int right = 0;  // the marker ends here (the item's left edge minus a gap)
  int size = 5;
};

struct Flow {
  int left = 0, right = 0;
  int y = 0;
  DisplayList* out = nullptr;
  int extent = 0;
  int pendingMargin = 0;
  bool atStart = true;
  Align align = Align::kLeft;
  std::vector<Float> floats;
  std::vector<Frag> line;
  bool lineStarted = false;
  int lineLeft = 0, lineRight = 0, lineWidth = 0;
  bool pendingSpace = false;
  // The look of the text the pending space was written in (a space after a link's end is not
  // part of the link).
  int spaceFont = 0;
  Rgb spaceColor = 0;
  int spaceLink = -1;
  int spaceShift = 0;
  const wchar_t* spaceAt = nullptr;  // the pending space in the document's text, if it is there
  int preColumn = 0;
  bool skipNewline = false;
  std::optional<Marker> marker;
};

bool IsSpaceChar(wchar_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::wstring Roman(int n, bool upper) {
  static const struct {
    int value;
    const wchar_t* text;
  } kParts[] = {{1000, L"m"}, {900, L"cm"}, {500, L"d"}, {400, L"cd"}, {100, L"c"},
                {90, L"xc"},  {50, L"l"},   {40, L"xl"}, {10, L"x"},   {9, L"ix"},
                {5, L"v"},    {4, L"iv"},   {1, L"i"}};
  std::wstring out;
  n = std::clamp(n, 1, 3999);
  for (const auto& p : kParts) {
    while (n >= p.value) {
      out += p.text;
      n -= p.value;
    }
  }
  if (upper) {
    for (wchar_t& c : out)
      c = static_cast<wchar_t>(c - 32);
  }
  return out;
}

std::wstring OrderedLabel(int n, wchar_t type) {
  switch (type) {
    case 'a':
    case 'A': {
      std::wstring s;
      int v = std::max(n, 1);
      while (v > 0 && s.size() < 8) {
        --v;
        s.insert(s.begin(), static_cast<wchar_t>(type + v % 26));
        v /= 26;
      }
      return s + L".";
    }
    case 'i':
    case 'I':
      return Roman(n, type == 'I') + L".";
    default:
      return DecimalText(n) + L".";
  }
}

class Layouter {
 public:
  Layouter(Measurer& m, const LayoutOptions& o, LayoutResult& r) : m_(m), opt_(o), r_(r) {}

  void Run(const Document& doc) {
    const Node* body = doc.body;
    Computed s;
    s.face = opt_.defaultFace;
    if (const std::wstring_view* v = body->Attr("text"))
      s.color = ParseColor(*v).value_or(0);
    if (const std::wstring_view* v = body->Attr("link"))
      linkColor_ = ParseColor(*v).value_or(kLinkColor);
    if (const std::wstring_view* v = body->Attr("bgcolor"))
      r_.background = ParseColor(*v).value_or(0xFFFFFF);
    if (const std::wstring_view* v = body->Attr("style")) {
      InlineStyle is = ParseInlineStyle(*v, s.sizePx);
      if (is.color)
        s.color = *is.color;
      if (is.background)
        r_.background = *is.background;
    }
    r_.text = s.color;
    s.font = Font(s);
    int marginX = 8, marginY = 8;
    if (const std::wstring_view* v = body->Attr("leftmargin"))
      marginX = ParseInt(*v, 8, 200);
    if (const std::wstring_view* v = body->Attr("marginwidth"))
      marginX = ParseInt(*v, 8, 200);
    if (const std::wstring_view* v = body->Attr("topmargin"))
      marginY = ParseInt(*v, 8, 200);
    if (const std::wstring_view* v = body->Attr("marginheight"))
      marginY = ParseInt(*v, 8, 200);
    Flow f;
    f.left = marginX;
    f.right = std::max(marginX + 20, opt_.width - marginX);
    f.y = marginY;
    f.out = &r_.items;
    Walk(body, s, f, 0);
    if (doc.truncated && !opt_.truncatedNote.empty()) {
      FlushLine(f);
      AddMargin(f, s.sizePx);
      Computed note = s;
      note.italic = true;
      note.font = Font(note);
      AddText(opt_.truncatedNote.data(), opt_.truncatedNote.size(), false, note, f);
    }
    Finish(f);
    r_.height = f.y + marginY;
    r_.width = std::max(opt_.width, std::min(f.extent + marginX, kMaxExtent));
  }

 private:
  int Font(const Computed& s) {
    FontSpec fontSpec;
    fontSpec.face = s.face;
    fontSpec.sizePx = s.sizePx;
    fontSpec.bold = s.bold;
    fontSpec.italic = s.italic;
    fontSpec.underline = s.underline;
    fontSpec.strike = s.strike;
    for (size_t i = r_.fonts.size(); i-- > 0;) {
      if (r_.fonts[i] == fontSpec)
        return static_cast<int>(i);
    }
    r_.fonts.push_back(fontSpec);
    metrics_.push_back(m_.Metrics(static_cast<int>(r_.fonts.size() - 1), fontSpec));
    return static_cast<int>(r_.fonts.size() - 1);
  }
  const FontMetrics& Metrics(int font) { return metrics_[font]; }
  int Width(int font, const wchar_t* text, size_t n) {
    return m_.TextWidth(font, r_.fonts[font], text, n);
  }
  int LineHeight(int font) { return Metrics(font).ascent + Metrics(font).descent; }

  Computed StyleFor(const Node* n, const Computed& parent) {
    Computed s = parent;
    s.vshift = 0;
    bool fontChanged = true;
    switch (n->tag) {
      case Tag::kB:
      case Tag::kStrong:
      case Tag::kTh:
        s.bold = true;
        break;
      case Tag::kI:
      case Tag::kEm:
      case Tag::kCite:
      case Tag::kVar:
      case Tag::kDfn:
      case Tag::kAddress:
        s.italic = true;
        break;
      case Tag::kU:
        s.underline = true;
        break;
      case Tag::kS:
      case Tag::kStrike:
        s.strike = true;
        break;
      case Tag::kTt:
      case Tag::kCode:
      case Tag::kKbd:
      case Tag::kSamp:
        s.face = opt_.fixedFace;
        break;
      case Tag::kPre:
      case Tag::kXmp:
      case Tag::kListing:
      case Tag::kPlaintext:
        s.face = opt_.fixedFace;
        s.pre = true;
        s.htmlSize = 3;
        s.sizePx = 13;
        break;
      case Tag::kBig:
        s.htmlSize = std::min(7, s.htmlSize + 1);
        s.sizePx = FontSizePixels(s.htmlSize);
        break;
      case Tag::kSmall:
        s.htmlSize = std::max(1, s.htmlSize - 1);
        s.sizePx = FontSizePixels(s.htmlSize);
        break;
      case Tag::kSub:
      case Tag::kSup: {
        int base = s.sizePx;
        s.htmlSize = std::max(1, s.htmlSize - 1);
        s.sizePx = std::max(8, base * 4 / 5);
        s.vshift = n->tag == Tag::kSup ? base / 3 : -base / 5;
        break;
      }
      case Tag::kH1:
      case Tag::kH2:
      case Tag::kH3:
      case Tag::kH4:
      case Tag::kH5:
      case Tag::kH6: {
        static const int kSizes[] = {6, 5, 4, 3, 2, 1};
        s.htmlSize = kSizes[static_cast<int>(n->tag) - static_cast<int>(Tag::kH1)];
        s.sizePx = FontSizePixels(s.htmlSize);
        s.bold = true;
        break;
      }
      case Tag::kFont:
        if (const std::wstring_view* v = n->Attr("size")) {
          s.htmlSize = ParseFontSize(*v, s.htmlSize);
          s.sizePx = FontSizePixels(s.htmlSize);
        }
        if (const std::wstring_view* v = n->Attr("face")) {
          std::wstring face = FirstFace(*v);
          if (!face.empty())
            s.face = face;
        }
        if (const std::wstring_view* v = n->Attr("color"))
          s.color = ParseColor(*v).value_or(s.color);
        break;
      case Tag::kA:
        if (const std::wstring_view* href = n->Attr("href")) {
          const std::wstring_view* target = n->Attr("target");
          // A link laid out more than once (table cells are measured first) is one link.
          Known* known = Find(linkOf_, n);
          if (!known) {
            r_.links.push_back({std::wstring(*href), target ? std::wstring(*target) : L""});
            known = Add(linkOf_, {n, static_cast<int>(r_.links.size() - 1), 0});
          }
          s.link = known->first;
          s.color = linkColor_;
          s.underline = true;
        }
        break;
      case Tag::kCenter:
        s.align = Align::kCenter;
        fontChanged = false;
        break;
      case Tag::kNobr:
        s.nowrap = true;
        fontChanged = false;
        break;
      default:
        fontChanged = false;
        break;
    }
    if (const std::wstring_view* v = n->Attr("align")) {
      switch (n->tag) {
        case Tag::kP:
        case Tag::kDiv:
        case Tag::kH1:
        case Tag::kH2:
        case Tag::kH3:
        case Tag::kH4:
        case Tag::kH5:
        case Tag::kH6:
        case Tag::kTd:
        case Tag::kTh:
        case Tag::kTr:
        case Tag::kCaption: {
          Align a = ParseAlign(*v);
          if (a != Align::kDefault)
            s.align = a == Align::kJustify ? Align::kLeft : a;
          break;
        }
        default:
          break;
      }
    }
    if (n->Attr("nowrap") && (n->tag == Tag::kTd || n->tag == Tag::kTh))
      s.nowrap = true;
    if (const std::wstring_view* v = n->Attr("style")) {
      InlineStyle is = ParseInlineStyle(*v, s.sizePx);
      if (is.color)
        s.color = *is.color;
      if (is.fontSizePx)
        s.sizePx = *is.fontSizePx;
      if (is.bold)
        s.bold = *is.bold;
      if (is.italic)
        s.italic = *is.italic;
      if (is.underline)
        s.underline = *is.underline;
      if (is.fontFamily && !is.fontFamily->empty())
        s.face = *is.fontFamily;
      if (is.textAlign != Align::kDefault)
        s.align = is.textAlign == Align::kJustify ? Align::kLeft : is.textAlign;
      fontChanged = true;
    }
    if (fontChanged)
      s.font = Font(s);
    return s;
  }

  // The background an element's style attribute or bgcolor asks for.
  static std::optional<Rgb> Background(const Node* n) {
    std::optional<Rgb> bg;
    if (const std::wstring_view* v = n->Attr("bgcolor"))
      bg = ParseColor(*v);
    if (const std::wstring_view* v = n->Attr("style")) {
      InlineStyle is = ParseInlineStyle(*v, 16);
      if (is.background)
        bg = is.background;
    }
    return bg;
  }

  void Walk(const Node* n, const Computed& s, Flow& f, int depth) {
    for (const Node* c = n->First(); c; c = c->Next()) {
      if (c->kind == Node::Kind::kText)
        AddText(c->text, c->length, true, s, f);
      else
        Element(c, s, f, depth);
    }
  }

  void Element(const Node* n, const Computed& parent, Flow& f, int depth) {
    switch (n->tag) {
      case Tag::kScript:
      case Tag::kStyle:
      case Tag::kSelect:
      case Tag::kTextarea:
      case Tag::kIframe:
      case Tag::kHead:
      case Tag::kTitle:
      case Tag::kFrameset:
      case Tag::kFrame:
      case Tag::kMap:
      case Tag::kArea:
      case Tag::kInput:
      case Tag::kOption:
      case Tag::kParam:
      case Tag::kEmbed:
      case Tag::kObject:
      case Tag::kMeta:
      case Tag::kLink:
      case Tag::kCol:
      case Tag::kColgroup:
        return;
      default:
        break;
    }
    Computed s = StyleFor(n, parent);
    switch (n->tag) {
      case Tag::kBr:
        LineBreak(s, f);
        if (const std::wstring_view* v = n->Attr("clear"))
          if (!v->empty() && *v != L"none")
            ClearFloats(f);
        return;
      case Tag::kWbr:
        return;
      case Tag::kImg:
        Image(n, s, f);
        return;
      case Tag::kHr:
        Rule(n, s, f);
        return;
      case Tag::kTable:
        if (depth < kMaxTableDepth) {
          Table(n, s, f, depth + 1);
          return;
        }
        Block(n, s, f, depth, 0, 0, 0);
        return;
      case Tag::kA:
        if (const std::wstring_view* name = n->Attr("name"))
          Anchor(*name, f);
        if (const std::wstring_view* id = n->Attr("id"))
          Anchor(*id, f);
        Walk(n, s, f, depth);
        return;
      case Tag::kP:
        Block(n, s, f, depth, parent.sizePx, 0, 0);
        return;
      case Tag::kH1:
      case Tag::kH2:
      case Tag::kH3:
      case Tag::kH4:
      case Tag::kH5:
      case Tag::kH6:
        Block(n, s, f, depth, s.sizePx * 2 / 3, 0, 0);
        return;
      case Tag::kPre:
      case Tag::kXmp:
      case Tag::kListing:
      case Tag::kPlaintext:
        f.skipNewline = true;
        f.preColumn = 0;
        Block(n, s, f, depth, parent.sizePx, 0, 0);
        return;
      case Tag::kBlockquote:
        Block(n, s, f, depth, parent.sizePx, kListIndent, kListIndent);
        return;
      case Tag::kDl:
        Block(n, s, f, depth, s.listDepth == 0 ? parent.sizePx : 0, 0, 0);
        return;
      case Tag::kDd:
        Block(n, s, f, depth, 0, kListIndent, 0);
        return;
      case Tag::kForm:
        Block(n, s, f, depth, 0, 0, 0);
        AddMargin(f, parent.sizePx);
        return;
      case Tag::kDiv:
      case Tag::kCenter:
      case Tag::kAddress:
      case Tag::kDt:
      case Tag::kNoframes:
      case Tag::kNoscript:
      case Tag::kFieldset:
      case Tag::kCaption:
      case Tag::kBody:
      case Tag::kHtml:
      case Tag::kTd:
      case Tag::kTh:
      case Tag::kTr:
      case Tag::kTbody:
      case Tag::kThead:
      case Tag::kTfoot:
        Block(n, s, f, depth, 0, 0, 0);
        return;
      case Tag::kUl:
      case Tag::kOl:
      case Tag::kDir:
      case Tag::kMenu:
        List(n, s, f, depth, parent);
        return;
      case Tag::kLi: {
        // An item outside any list still gets its bullet.
        Computed ls = s;
        ls.listDepth = std::max(1, s.listDepth);
        FlushLine(f);
        int counter = 1;
        ListItem(n, ls, f, depth, false, L'1', counter);
        return;
      }
      default:
        Walk(n, s, f, depth);
        return;
    }
  }

  void Anchor(std::wstring_view name, Flow& f) {
    if (!f.out || name.empty())
      return;
    // Before the next line or block the pending margin still applies.
    int y = f.y + (!f.lineStarted && !f.atStart ? f.pendingMargin : 0);
    f.out->anchors.emplace_back(name, y);
  }

  void Block(const Node* n,
             const Computed& s,
             Flow& f,
             int depth,
             int margin,
             int indentLeft,
             int indentRight) {
    FlushLine(f);
    AddMargin(f, margin);
    int left = f.left, right = f.right;
    Align align = f.align;
    f.left += indentLeft;
    f.right = std::max(f.left, f.right - indentRight);
    f.align = s.align;
    std::optional<Rgb> bg;
    if (n->tag == Tag::kDiv || n->tag == Tag::kP || n->tag == Tag::kCenter ||
        n->tag == Tag::kBlockquote || (n->tag >= Tag::kH1 && n->tag <= Tag::kH6))
      bg = Background(n);
    size_t boxIndex = 0;
    int top = 0;
    if (bg && f.out) {
      Place(f);
      top = f.y;
      boxIndex = f.out->boxes.size();
      f.out->boxes.push_back({Box::Kind::kFill, {f.left, top, f.right - f.left, 0}, *bg, 1});
    }
    Walk(n, s, f, depth);
    FlushLine(f);
    if (bg && f.out)
      f.out->boxes[boxIndex].r.h = f.y - top;
    f.left = left;
    f.right = right;
    f.align = align;
    AddMargin(f, margin);
  }

  void List(const Node* n, const Computed& s, Flow& f, int depth, const Computed& parent) {
    bool ordered = n->tag == Tag::kOl;
    Computed ls = s;
    ls.listDepth = s.listDepth + 1;
    FlushLine(f);
    int margin = s.listDepth == 0 ? parent.sizePx : 0;
    AddMargin(f, margin);
    int left = f.left;
    Align align = f.align;
    f.left = std::min(f.right, f.left + kListIndent);
    f.align = Align::kLeft;
    int counter = 1;
    if (const std::wstring_view* v = n->Attr("start"))
      counter = ParseInt(*v, 1, 1000000);
    wchar_t type = L'1';
    if (const std::wstring_view* v = n->Attr("type"))
      if (!v->empty())
        type = (*v)[0];
    for (const Node* c = n->First(); c; c = c->Next()) {
      if (c->kind == Node::Kind::kText) {
        AddText(c->text, c->length, true, ls, f);
      } else if (c->tag == Tag::kLi) {
        ListItem(c, StyleFor(c, ls), f, depth, ordered, type, counter);
      } else {
        Element(c, ls, f, depth);
      }
    }
    FlushLine(f);
    f.left = left;
    f.align = align;
    AddMargin(f, margin);
  }

  void ListItem(const Node* li,
                const Computed& s,
                Flow& f,
                int depth,
                bool ordered,
                wchar_t type,
                int& counter) {
    FlushLine(f);
    Marker mk;
    mk.font = s.font;
    mk.color = s.color;
    mk.right = f.left - 6;
    if (const std::wstring_view* v = li->Attr("value"))
      counter = ParseInt(*v, counter, 1000000);
    if (const std::wstring_view* v = li->Attr("type"))
      if (!v->empty())
        type = (*v)[0];
    if (ordered) {
      mk.text = true;
      mk.label = OrderedLabel(counter, type);
      ++counter;
    } else {
      int d = s.listDepth;
      mk.shape = d <= 1 ? Box::Kind::kDisc : d == 2 ? Box::Kind::kCircle : Box::Kind::kSquare;
      if (type == 'c' || type == 'C')
        mk.shape = Box::Kind::kCircle;
      else if (type == 's' || type == 'S')
        mk.shape = Box::Kind::kSquare;
      else if (type == 'd' || type == 'D')
        mk.shape = Box::Kind::kDisc;
      mk.size = std::max(5, s.sizePx / 3);
    }
    f.marker = mk;
    Walk(li, s, f, depth);
    FlushLine(f);
    if (f.marker) {
      Place(f);
      EmitMarker(f, f.y, Metrics(s.font).ascent);
      f.y += LineHeight(s.font);
    }
  }

  void EmitMarker(Flow& f, int top, int baselineOffset) {
    if (!f.marker)
      return;
    Marker mk = *f.marker;
    f.marker.reset();
    if (!f.out)
      return;
    if (mk.text) {
      int w = Width(mk.font, mk.label.data(), mk.label.size());
      TextRun run;
      run.x = mk.right - w;
      run.y = top + baselineOffset - Metrics(mk.font).ascent;
      run.width = w;
      run.font = mk.font;
      run.color = mk.color;
      run.chars = r_.copies.Copy(mk.label.data(), mk.label.size());
      run.length = static_cast<uint32_t>(mk.label.size());
      f.out->texts.push_back(run);
    } else {
      int cy = top + baselineOffset - Metrics(mk.font).ascent * 2 / 5;
      Box b;
      b.kind = mk.shape;
      b.r = {mk.right - mk.size, cy - mk.size / 2, mk.size, mk.size};
      b.color = mk.color;
      f.out->boxes.push_back(b);
    }
  }

  // Whether the flow is being measured for the widest it could be (a table cell's one-line
  // width): shares of the room then count for nothing.
  static bool Unbounded(const Flow& f) { return f.right - f.left >= kUnbounded / 2; }

  // Margins between blocks collapse: the larger of two adjacent ones counts, and none at the
  // top of a flow.
  void AddMargin(Flow& f, int margin) { f.pendingMargin = std::max(f.pendingMargin, margin); }
  void Place(Flow& f) {
    if (!f.atStart)
      f.y += f.pendingMargin;
    f.pendingMargin = 0;
    f.atStart = false;
  }

  void Available(const Flow& f, int y, int& left, int& right) const {
    left = f.left;
    right = f.right;
    for (const Float& fl : f.floats) {
      if (y >= fl.r.y && y < fl.r.y + fl.r.h) {
        if (fl.right)
          right = std::min(right, fl.r.x - kFloatGap);
        else
          left = std::max(left, fl.r.x + fl.r.w + kFloatGap);
      }
    }
    if (right < left)
      right = left;
  }

  void StartLine(Flow& f) {
    if (f.lineStarted)
      return;
    Place(f);
    f.lineStarted = true;
    Available(f, f.y, f.lineLeft, f.lineRight);
    f.lineWidth = 0;
  }

  // `stable`: `text` is the document's, and lives as long as the layout.
  void AddText(const wchar_t* text, size_t n, bool stable, const Computed& s, Flow& f) {
    if (s.pre) {
      PreText(text, n, stable, s, f);
      return;
    }
    size_t i = 0;
    while (i < n) {
      if (IsSpaceChar(text[i])) {
        if (f.lineStarted && !f.line.empty() && !f.pendingSpace) {
          f.pendingSpace = true;
          f.spaceFont = s.font;
          f.spaceColor = s.color;
          f.spaceLink = s.link;
          f.spaceShift = s.vshift;
          f.spaceAt = stable && text[i] == ' ' ? text + i : nullptr;
        }
        ++i;
        continue;
      }
      size_t start = i;
      while (i < n && !IsSpaceChar(text[i]))
        ++i;
      if (f.pendingSpace)
        AddPendingSpace(f);
      AddWord(text + start, i - start, stable, s, f);
    }
  }

  // Adds characters to a frag's text: still one piece of the document's text when they follow
  // on from it there, else a copy.
  static void Extend(Frag& fr, const wchar_t* text, size_t n, bool stable) {
    if (!fr.copied && stable && (fr.length == 0 || fr.chars + fr.length == text)) {
      if (fr.length == 0)
        fr.chars = text;
      fr.length += n;
      return;
    }
    if (!fr.copied) {
      fr.copy.assign(fr.chars, fr.chars + fr.length);
      fr.copied = true;
    }
    fr.copy.append(text, n);
    fr.length = fr.copy.size();
  }
  static void AddSpaceChar(Frag& fr, const wchar_t* spaceAt) {
    Extend(fr, spaceAt ? spaceAt : L" ", 1, spaceAt != nullptr);
  }

  // The space between two words: part of the previous run when written in its look, else a run
  // of its own.
  void AddPendingSpace(Flow& f) {
    if (f.line.empty() || f.line.back().kind != Frag::Kind::kText) {
      AddSpace(f);
      return;
    }
    const Frag& last = f.line.back();
    if (last.spaceAfter > 0 || (last.font == f.spaceFont && last.color == f.spaceColor &&
                                last.link == f.spaceLink && last.vshift == f.spaceShift)) {
      AddSpace(f);
      return;
    }
    f.pendingSpace = false;
    Frag fr;
    fr.kind = Frag::Kind::kText;
    fr.width = fr.spaceAfter = Width(f.spaceFont, L" ", 1);
    fr.font = f.spaceFont;
    fr.color = f.spaceColor;
    fr.link = f.spaceLink;
    fr.vshift = f.spaceShift;
    AddSpaceChar(fr, f.spaceAt);
    const FontMetrics& fm = Metrics(f.spaceFont);
    fr.ascent = fm.ascent + std::max(0, f.spaceShift);
    fr.descent = fm.descent + std::max(0, -f.spaceShift);
    f.lineWidth += fr.width;
    f.line.push_back(std::move(fr));
  }

  void AddSpace(Flow& f) {
    f.pendingSpace = false;
    if (f.line.empty())
      return;
    Frag& last = f.line.back();
    if (last.spaceAfter > 0)
      return;
    int w = Width(last.font, L" ", 1);
    if (last.kind == Frag::Kind::kText)
      AddSpaceChar(last, f.spaceAt);
    last.spaceAfter = w;
    last.width += w;
    f.lineWidth += w;
  }

  void AddWord(const wchar_t* word, size_t n, bool stable, const Computed& s, Flow& f) {
    int w = Width(s.font, word, n);
    if (f.lineStarted && !f.line.empty() && !s.nowrap &&
        f.lineWidth + w > f.lineRight - f.lineLeft) {
      FlushLine(f);
    }
    StartLine(f);
    // Words of one look on one line are drawn as one run.
    if (!f.line.empty()) {
      Frag& last = f.line.back();
      if (last.kind == Frag::Kind::kText && last.font == s.font && last.color == s.color &&
          last.link == s.link && last.vshift == s.vshift) {
        Extend(last, word, n, stable);
        last.width += w;
        last.spaceAfter = 0;
        f.lineWidth += w;
        return;
      }
    }
    Frag fr;
    fr.kind = Frag::Kind::kText;
    fr.width = w;
    fr.font = s.font;
    fr.color = s.color;
    fr.link = s.link;
    fr.vshift = s.vshift;
    Extend(fr, word, n, stable);
    const FontMetrics& fm = Metrics(s.font);
    fr.ascent = fm.ascent + std::max(0, s.vshift);
    fr.descent = fm.descent + std::max(0, -s.vshift);
    f.line.push_back(std::move(fr));
    f.lineWidth += w;
  }

  void PreText(const wchar_t* text, size_t n, bool stable, const Computed& s, Flow& f) {
    std::wstring piece;
    // Where the piece lies in `text` while it is written there as it is shown.
    const wchar_t* pieceAt = nullptr;
    auto flushPiece = [&] {
      if (!piece.empty()) {
        f.pendingSpace = false;
        // One frag per piece: spaces inside preformatted text are kept as written.
        AddWord(pieceAt ? pieceAt : piece.data(), piece.size(), pieceAt && stable, s, f);
        piece.clear();
      }
    };
    for (const wchar_t* at = text; at != text + n; ++at) {
      wchar_t c = *at;
      if (piece.empty())
        pieceAt = at;
      if (c == '\r') {
        if (!piece.empty())
          pieceAt = nullptr;
        continue;
      }
      if (c == '\n') {
        if (f.skipNewline && f.line.empty() && piece.empty()) {
          f.skipNewline = false;
          continue;
        }
        flushPiece();
        LineBreak(s, f);
        f.preColumn = 0;
        continue;
      }
      f.skipNewline = false;
      if (c == '\t') {
        int spaces = 8 - f.preColumn % 8;
        piece.append(spaces, L' ');
        pieceAt = nullptr;
        f.preColumn += spaces;
        continue;
      }
      piece.push_back(c);
      ++f.preColumn;
    }
    flushPiece();
  }

  void LineBreak(const Computed& s, Flow& f) {
    f.pendingSpace = false;
    if (f.line.empty()) {
      StartLine(f);
      if (f.marker)
        EmitMarker(f, f.y, Metrics(s.font).ascent);
      f.y += LineHeight(s.font);
      f.lineStarted = false;
      return;
    }
    FlushLine(f);
  }

  void FlushLine(Flow& f) {
    f.pendingSpace = false;
    if (f.line.empty()) {
      f.lineStarted = false;
      return;
    }
    Frag& last = f.line.back();
    if (last.spaceAfter > 0) {
      last.width -= last.spaceAfter;
      f.lineWidth -= last.spaceAfter;
      if (last.kind == Frag::Kind::kText && last.length > 0) {
        --last.length;
        if (last.copied)
          last.copy.pop_back();
      }
      last.spaceAfter = 0;
    }
    int ascent = 0, descent = 0, textAscent = 0;
    for (const Frag& fr : f.line) {
      if (fr.kind == Frag::Kind::kText) {
        ascent = std::max(ascent, fr.ascent);
        descent = std::max(descent, fr.descent);
        textAscent = std::max(textAscent, Metrics(fr.font).ascent);
      }
    }
    for (Frag& fr : f.line) {
      if (fr.kind != Frag::Kind::kPicture)
        continue;
      int h = fr.ascent;  // the whole height until placed
      if (fr.valign == VAlign::kMiddle) {
        int above = h / 2 + textAscent / 3;
        fr.ascent = above;
        fr.descent = h - above;
      } else if (fr.valign == VAlign::kTop && textAscent > 0) {
        fr.ascent = std::min(h, textAscent);
        fr.descent = h - fr.ascent;
      } else {
        fr.ascent = h;
        fr.descent = 0;
      }
      ascent = std::max(ascent, fr.ascent);
      descent = std::max(descent, fr.descent);
    }
    int top = f.y;
    int avail = f.lineRight - f.lineLeft;
    int x = f.lineLeft;
    if (f.lineWidth < avail) {
      if (f.align == Align::kCenter)
        x += (avail - f.lineWidth) / 2;
      else if (f.align == Align::kRight)
        x += avail - f.lineWidth;
    }
    if (f.marker)
      EmitMarker(f, top, ascent);
    if (f.out) {
      for (Frag& fr : f.line) {
        if (fr.kind == Frag::Kind::kText && fr.length == 0) {
          // a space that ended the line
        } else if (fr.kind == Frag::Kind::kText) {
          TextRun run;
          run.x = x;
          run.y = top + ascent - Metrics(fr.font).ascent - fr.vshift;
          run.width = fr.width;
          run.font = fr.font;
          run.color = fr.color;
          run.chars = fr.copied ? r_.copies.Copy(fr.copy.data(), fr.length) : fr.chars;
          run.length = static_cast<uint32_t>(fr.length);
          f.out->texts.push_back(run);
        } else {
          Picture pic = std::move(fr.pic);
          int outer = pic.r.w + 2 * pic.border;
          pic.r.x = x + pic.border;
          pic.r.y = top + ascent - fr.ascent + pic.border;
          (void)outer;
          f.out->pictures.push_back(std::move(pic));
        }
        if (fr.link >= 0) {
          Rect area{x, top, fr.width, ascent + descent};
          auto& areas = f.out->linkAreas;
          if (!areas.empty() && areas.back().link == fr.link && areas.back().r.y == top &&
              areas.back().r.x + areas.back().r.w == x) {
            areas.back().r.w += fr.width;
          } else {
            areas.push_back({area, fr.link});
          }
        }
        x += fr.width;
      }
    }
    // What the line needs is its content, wherever alignment put it.
    f.extent = std::max(f.extent, std::min(f.lineLeft + f.lineWidth, kMaxExtent));
    f.y = top + ascent + descent;
    f.line.clear();
    f.lineStarted = false;
    f.lineWidth = 0;
  }

  void Finish(Flow& f) {
    FlushLine(f);
    ClearFloats(f);
  }

  void ClearFloats(Flow& f) {
    for (const Float& fl : f.floats)
      f.y = std::max(f.y, fl.r.y + fl.r.h);
    f.floats.clear();
  }

  void Image(const Node* n, const Computed& s, Flow& f) {
    Picture pic;
    if (const std::wstring_view* v = n->Attr("src"))
      pic.src = *v;
    if (const std::wstring_view* v = n->Attr("alt"))
      pic.alt = *v;
    pic.altFont = s.font;
    pic.altColor = s.color;
    if (const std::wstring_view* v = n->Attr("border"))
      pic.border = ParseInt(*v, 0, 50);
    pic.borderColor = s.link >= 0 ? linkColor_ : s.color;
    Length lw, lh;
    if (const std::wstring_view* v = n->Attr("width"))
      lw = ParseLength(*v, 10000);
    if (const std::wstring_view* v = n->Attr("height"))
      lh = ParseLength(*v, 10000);
    int room = Unbounded(f) ? 0 : std::max(0, f.right - f.left);
    std::optional<std::pair<int, int>> natural;
    if (!lw.IsSet() || !lh.IsSet())
      natural = pic.src.empty() ? std::nullopt : m_.ImageSize(pic.src);
    int w, h;
    if (natural) {
      w = natural->first;
      h = natural->second;
      if (lw.IsSet() && !lh.IsSet()) {
        int nw = lw.Resolve(room, w);
        h = w > 0 ? static_cast<int>(static_cast<long long>(h) * nw / w) : h;
        w = nw;
      } else if (lh.IsSet() && !lw.IsSet()) {
        int nh = lh.Resolve(room, h);
        w = h > 0 ? static_cast<int>(static_cast<long long>(w) * nh / h) : w;
        h = nh;
      }
    } else if (lw.IsSet() || lh.IsSet()) {
      w = lw.Resolve(room, 24);
      h = lh.Resolve(room, 24);
    } else {
      // A picture that cannot be read takes the room of its alternative text.
      w = std::max(24, Width(s.font, pic.alt.data(), pic.alt.size()) + 8);
      h = LineHeight(s.font) + 6;
    }
    if (lw.IsSet() && lh.IsSet()) {
      w = lw.Resolve(room, w);
      h = lh.Resolve(room, h);
    }
    pic.r.w = std::clamp(w, 0, 10000);
    pic.r.h = std::clamp(h, 0, 10000);
    int outerW = pic.r.w + 2 * pic.border, outerH = pic.r.h + 2 * pic.border;
    Align align = Align::kDefault;
    VAlign valign = VAlign::kDefault;
    if (const std::wstring_view* v = n->Attr("align")) {
      align = ParseAlign(*v);
      valign = ParseVAlign(*v);
    }
    if (align == Align::kLeft || align == Align::kRight) {
      PlaceFloat(f, std::move(pic), outerW, outerH, align == Align::kRight, s.link);
      return;
    }
    if (f.lineStarted && !f.line.empty() && f.lineWidth + outerW > f.lineRight - f.lineLeft)
      FlushLine(f);
    if (f.pendingSpace)
      AddSpace(f);
    StartLine(f);
    Frag fr;
    fr.kind = Frag::Kind::kPicture;
    fr.width = outerW;
    fr.ascent = outerH;
    fr.font = s.font;
    fr.link = s.link;
    fr.valign = valign;
    fr.pic = std::move(pic);
    f.line.push_back(std::move(fr));
    f.lineWidth += outerW;
  }

  void PlaceFloat(Flow& f, Picture pic, int w, int h, bool right, int link) {
    int y = f.lineStarted ? f.y : f.y + (f.atStart ? 0 : f.pendingMargin);
    int left = 0, rightEdge = 0;
    // Move down past other floats until the picture fits beside them (or nothing is left).
    for (size_t tries = 0; tries <= f.floats.size(); ++tries) {
      Available(f, y, left, rightEdge);
      if (rightEdge - left >= w || f.floats.empty())
        break;
      int next = INT_MAX;
      for (const Float& fl : f.floats) {
        if (fl.r.y + fl.r.h > y)
          next = std::min(next, fl.r.y + fl.r.h);
      }
      if (next == INT_MAX)
        break;
      y = next;
    }
    int x = right ? std::max(left, rightEdge - w) : left;
    Float fl;
    fl.right = right;
    fl.r = {x, y, w, h};
    f.floats.push_back(fl);
    if (f.lineStarted && y == f.y) {
      if (right)
        f.lineRight = std::min(f.lineRight, x - kFloatGap);
      else
        f.lineLeft = std::max(f.lineLeft, x + w + kFloatGap);
      f.lineRight = std::max(f.lineRight, f.lineLeft);
    }
    f.extent = std::max(f.extent, std::min(x + w, kMaxExtent));
    if (!f.out)
      return;
    pic.r.x = x + pic.border;
    pic.r.y = y + pic.border;
    if (link >= 0)
      f.out->linkAreas.push_back({{x, y, w, h}, link});
    f.out->pictures.push_back(std::move(pic));
  }

  void Rule(const Node* n, const Computed& s, Flow& f) {
    FlushLine(f);
    AddMargin(f, 8);
    Place(f);
    int room = std::max(0, f.right - f.left);
    Length lw;
    if (const std::wstring_view* v = n->Attr("width"))
      lw = ParseLength(*v, 10000);
    int w = std::clamp(lw.Resolve(room, room), 1, std::max(1, std::min(room, 10000)));
    if (lw.unit == Length::Unit::kPixels)
      w = std::clamp(lw.value, 1, 10000);
    int h = 2;
    if (const std::wstring_view* v = n->Attr("size"))
      h = std::clamp(ParseInt(*v, 2, 100), 1, 100);
    Align a = Align::kCenter;
    if (const std::wstring_view* v = n->Attr("align"))
      if (ParseAlign(*v) != Align::kDefault)
        a = ParseAlign(*v);
    int x = f.left;
    if (a == Align::kCenter)
      x += std::max(0, (room - w) / 2);
    else if (a == Align::kRight)
      x += std::max(0, room - w);
    if (f.out) {
      std::optional<Rgb> color;
      if (const std::wstring_view* v = n->Attr("color"))
        color = ParseColor(*v);
      if (n->Attr("noshade") || color)
        f.out->boxes.push_back({Box::Kind::kFill, {x, f.y, w, h}, color.value_or(0x808080), 1});
      else
        f.out->boxes.push_back({Box::Kind::kBevelIn, {x, f.y, w, h}, 0, 1});
    }
    if (lw.unit == Length::Unit::kPixels)
      f.extent = std::max(f.extent, f.left + w);
    f.y += h;
    AddMargin(f, 8);
  }

  struct Cell {
    const Node* node = nullptr;
    int row = 0, col = 0, rowspan = 1, colspan = 1;
    Computed style;
    std::optional<Rgb> background;
    VAlign valign = VAlign::kMiddle;
    int heightAttr = 0;
    int contentHeight = 0;
    DisplayList items;
  };

  // Lays out one cell's content at `width` (content box) into `out` (null: measure only);
  // returns the content height, and the widest line in `extent`.
  int CellFlow(const Cell& c, int width, DisplayList* out, int depth, int& extent) {
    Flow f;
    f.left = 0;
    f.right = std::max(0, width);
    f.out = out;
    f.align = c.style.align;
    Walk(c.node, c.style, f, depth);
    Finish(f);
    extent = f.extent;
    return f.y;
  }

  void Table(const Node* table, const Computed& s, Flow& f, int depth) {
    FlushLine(f);
    int border = 0;
    if (const std::wstring_view* v = table->Attr("border"))
      border = v->empty() ? 1 : std::clamp(ParseInt(*v, 1, 100), 0, 100);
    int padding = 1, spacing = 2;
    if (const std::wstring_view* v = table->Attr("cellpadding"))
      padding = std::clamp(ParseInt(*v, 1, 100), 0, 100);
    if (const std::wstring_view* v = table->Attr("cellspacing"))
      spacing = std::clamp(ParseInt(*v, 2, 100), 0, 100);
    int cellBorder = border > 0 ? 1 : 0;
    Length width;
    if (const std::wstring_view* v = table->Attr("width"))
      width = ParseLength(*v, kUnbounded);
    if (const std::wstring_view* v = table->Attr("style")) {
      InlineStyle is = ParseInlineStyle(*v, s.sizePx);
      if (is.width.IsSet())
        width = is.width;
    }
    // While a cell around it is measured, a table's share of the room is no need of its own.
    if (Unbounded(f) && width.unit == Length::Unit::kPercent)
      width = Length();
    Align tableAlign = Align::kDefault;
    if (const std::wstring_view* v = table->Attr("align"))
      tableAlign = ParseAlign(*v);
    std::optional<Rgb> tableBg = Background(table);
    std::optional<Rgb> borderColor;
    if (const std::wstring_view* v = table->Attr("bordercolor"))
      borderColor = ParseColor(*v);

    // Table text starts at the normal alignment; <center> around a table centres the table.
    Computed inner = s;
    inner.align = Align::kLeft;
    inner.font = s.font;

    // Rows in document order, and the cells on the grid.
    std::vector<const Node*> rows;
    const Node* caption = nullptr;
    for (const Node* c = table->First(); c; c = c->Next()) {
      if (c->kind != Node::Kind::kElement)
        continue;
      if (c->tag == Tag::kTr) {
        rows.push_back(c);
      } else if (c->tag == Tag::kThead || c->tag == Tag::kTbody || c->tag == Tag::kTfoot) {
        for (const Node* r = c->First(); r; r = r->Next()) {
          if (r->IsElement(Tag::kTr))
            rows.push_back(r);
        }
      } else if (c->tag == Tag::kCaption && !caption) {
        caption = c;
      }
    }
    if (caption) {
      Computed cs = StyleFor(caption, s);
      cs.align = Align::kCenter;
      Block(caption, cs, f, depth, 0, 0, 0);
    }
    std::vector<Cell> cells;
    std::vector<std::vector<bool>> taken;  // [row][col]
    int columns = 0;
    int rowCount = static_cast<int>(rows.size());
    for (int r = 0; r < rowCount; ++r) {
      if (static_cast<int>(taken.size()) <= r)
        taken.resize(r + 1);
      const Node* tr = rows[r];
      Computed rs = StyleFor(tr, inner);
      std::optional<Rgb> rowBg = Background(tr);
      VAlign rowVAlign = VAlign::kMiddle;
      if (const std::wstring_view* v = tr->Attr("valign"))
        if (ParseVAlign(*v) != VAlign::kDefault)
          rowVAlign = ParseVAlign(*v);
      int col = 0;
      for (const Node* td = tr->First(); td; td = td->Next()) {
        if (!td->IsElement(Tag::kTd) && !td->IsElement(Tag::kTh))
          continue;
        while (col < kMaxColumns && col < static_cast<int>(taken[r].size()) && taken[r][col])
          ++col;
        if (col >= kMaxColumns)
          break;
        Cell c;
        c.node = td;
        c.row = r;
        c.col = col;
        if (const std::wstring_view* v = td->Attr("colspan"))
          c.colspan = std::clamp(ParseInt(*v, 1, kMaxSpan), 1, kMaxSpan);
        c.colspan = std::min(c.colspan, kMaxColumns - col);
        if (const std::wstring_view* v = td->Attr("rowspan")) {
          int span = ParseInt(*v, 1, 100000);
          c.rowspan = span == 0 ? rowCount - r : std::clamp(span, 1, rowCount - r);
        }
        c.style = StyleFor(td, rs);
        if (td->IsElement(Tag::kTh) && !td->Attr("align"))
          c.style.align = Align::kCenter;
        c.background = Background(td);
        if (!c.background)
          c.background = rowBg;
        c.valign = rowVAlign;
        if (const std::wstring_view* v = td->Attr("valign"))
          if (ParseVAlign(*v) != VAlign::kDefault)
            c.valign = ParseVAlign(*v);
        if (const std::wstring_view* v = td->Attr("height"))
          c.heightAttr = ParseInt(*v, 0, 10000);
        for (int rr = r; rr < r + c.rowspan; ++rr) {
          if (static_cast<int>(taken.size()) <= rr)
            taken.resize(rr + 1);
          if (static_cast<int>(taken[rr].size()) < col + c.colspan)
            taken[rr].resize(col + c.colspan, false);
          for (int cc = col; cc < col + c.colspan; ++cc)
            taken[rr][cc] = true;
        }
        col += c.colspan;
        columns = std::max(columns, col);
        cells.push_back(std::move(c));
      }
    }
    int rowTotal = std::max(rowCount, static_cast<int>(taken.size()));

    // Column widths from what the cells need.
    const int cellExtra = 2 * (padding + cellBorder);
    int containerLeft = 0, containerRight = 0;
    Place(f);
    Available(f, f.y, containerLeft, containerRight);
    TableWidthInput in;
    in.columns = columns;
    in.available = containerRight - containerLeft;
    in.width = width;
    in.spacing = spacing;
    in.border = border;
    for (Cell& c : cells) {
      CellNeed need;
      need.first = c.col;
      need.span = c.colspan;
      int minExtent = 0, maxExtent = 0;
      // A cell's least and widest needs do not depend on where its table lies: measured once,
      // they keep nested tables from being measured again for every pass of the cells around
      // them.
      if (const Known* known = Find(needs_, c.node)) {
        minExtent = known->first;
        maxExtent = known->second;
      } else {
        CellFlow(c, 0, nullptr, depth, minExtent);
        CellFlow(c, kUnbounded, nullptr, depth, maxExtent);
        Add(needs_, {c.node, minExtent, maxExtent});
      }
      if (c.style.nowrap)
        minExtent = maxExtent;
      need.min = std::min(minExtent, kUnbounded) + cellExtra;
      need.max = std::min(maxExtent, kUnbounded) + cellExtra;
      if (const std::wstring_view* v = c.node->Attr("width")) {
        need.width = ParseLength(*v, kUnbounded);
        if (need.width.unit == Length::Unit::kPixels)
          need.width.value += 0;  // a cell's width counts its padding, as in old browsers
      }
      in.cells.push_back(need);
    }
    TableWidths tw = ColumnWidths(in);

    // Cell content at the final widths, then row heights.
    std::vector<int> colX(columns + 1, 0);
    {
      int x = border + spacing;
      for (int i = 0; i < columns; ++i) {
        colX[i] = x;
        x += tw.columns[i] + spacing;
      }
      colX[columns] = x;
    }
    std::vector<int> rowH(rowTotal, 0);
    for (Cell& c : cells) {
      int w = colX[c.col + c.colspan] - spacing - colX[c.col];
      int extent = 0;
      // While measuring, only widths matter: the cells' content is not laid out again.
      c.contentHeight = f.out ? CellFlow(c, w - cellExtra, &c.items, depth, extent) : 0;
      if (c.rowspan == 1)
        rowH[c.row] = std::max(rowH[c.row], std::max(c.contentHeight + cellExtra, c.heightAttr));
    }
    for (const Cell& c : cells) {
      if (c.rowspan <= 1)
        continue;
      int need = std::max(c.contentHeight + cellExtra, c.heightAttr);
      int have = spacing * (c.rowspan - 1);
      for (int r = c.row; r < c.row + c.rowspan; ++r)
        have += rowH[r];
      if (need > have)
        rowH[c.row + c.rowspan - 1] += need - have;
    }
    std::vector<int> rowY(rowTotal + 1, 0);
    {
      int y = border + spacing;
      for (int r = 0; r < rowTotal; ++r) {
        rowY[r] = y;
        y = std::min(y + rowH[r] + spacing, kMaxExtent);
      }
      rowY[rowTotal] = y;
    }
    int totalW = tw.total;
    int totalH = rowY[rowTotal] + border;
    if (const std::wstring_view* v = table->Attr("height"))
      totalH = std::max(totalH, ParseLength(*v, 10000).Resolve(0, 0));

    int room = containerRight - containerLeft;
    int x0 = containerLeft;
    Align placeAlign = tableAlign != Align::kDefault ? tableAlign : f.align;
    if (placeAlign == Align::kCenter && totalW < room)
      x0 += (room - totalW) / 2;
    else if (placeAlign == Align::kRight && totalW < room)
      x0 += room - totalW;
    int y0 = f.y;
    if (f.marker)
      EmitMarker(f, y0, Metrics(s.font).ascent);

    if (f.out) {
      DisplayList& out = *f.out;
      if (tableBg)
        out.boxes.push_back({Box::Kind::kFill, {x0, y0, totalW, totalH}, *tableBg, 1});
      if (border > 0) {
        Box::Kind kind = borderColor ? Box::Kind::kFrame : Box::Kind::kBevelOut;
        out.boxes.push_back({kind, {x0, y0, totalW, totalH}, borderColor.value_or(0), border});
      }
      for (Cell& c : cells) {
        int cx = x0 + colX[c.col];
        int cy = y0 + rowY[c.row];
        int cw = colX[c.col + c.colspan] - spacing - colX[c.col];
        int ch = rowY[c.row + c.rowspan] - spacing - rowY[c.row];
        if (c.background)
          out.boxes.push_back({Box::Kind::kFill, {cx, cy, cw, ch}, *c.background, 1});
        if (cellBorder) {
          Box::Kind kind = borderColor ? Box::Kind::kFrame : Box::Kind::kBevelIn;
          out.boxes.push_back({kind, {cx, cy, cw, ch}, borderColor.value_or(0), 1});
        }
        int free = ch - cellExtra - c.contentHeight;
        int dy = 0;
        if (free > 0) {
          if (c.valign == VAlign::kMiddle || c.valign == VAlign::kDefault)
            dy = free / 2;
          else if (c.valign == VAlign::kBottom)
            dy = free;
        }
        out.Append(std::move(c.items), cx + padding + cellBorder, cy + padding + cellBorder + dy);
      }
    }
    f.extent = std::max(f.extent, std::min(containerLeft + totalW, kMaxExtent));
    f.y = std::min(y0 + totalH, kMaxExtent);
  }

  Measurer& m_;
  const LayoutOptions& opt_;
  LayoutResult& r_;
  std::vector<FontMetrics> metrics_;
  // What an element's first layout found, for the layouts of it that follow (table cells are
  // measured before they are laid out): in arrays sorted by element, since one small heap block
  // per element would stay behind in the heap after the layout.
  struct Known {
    const Node* node;
    int first, second;
  };
  // Where `node` is, or would be, in `known`.
  static std::vector<Known>::iterator Place(std::vector<Known>& known, const Node* node) {
    return std::lower_bound(known.begin(), known.end(), node,
                            [](const Known& k, const Node* n) { return k.node < n; });
  }
  static Known* Find(std::vector<Known>& known, const Node* node) {
    auto at = Place(known, node);
    return at != known.end() && at->node == node ? &*at : nullptr;
  }
  static Known* Add(std::vector<Known>& known, Known k) {
    // Mostly at the end: a cell's own cells were measured, and added, before it.
    known.push_back(k);
    size_t at = known.size() - 1;
    for (; at > 0 && known[at - 1].node > k.node; --at)
      known[at] = known[at - 1];
    known[at] = k;
    return &known[at];
  }
  std::vector<Known> needs_;   // a cell's least and widest
  std::vector<Known> linkOf_;  // a link's index
  Rgb linkColor_ = kLinkColor;
};

// The first item of a group (a group is never empty) sets its reach; the others widen it.
void Widen(Reach& group, size_t item, int top, int bottom) {
  bool first = item % kReachGroup == 0;
  group.top = first ? top : std::min(group.top, top);
  group.bottom = first ? bottom : std::max(group.bottom, bottom);
}

}  // namespace

void DisplayList::Append(DisplayList&& other, int dx, int dy) {
  for (Box& b : other.boxes) {
    b.r.x += dx;
    b.r.y += dy;
    boxes.push_back(b);
  }
  for (Picture& p : other.pictures) {
    p.r.x += dx;
    p.r.y += dy;
    pictures.push_back(std::move(p));
  }
  for (TextRun& t : other.texts) {
    t.x += dx;
    t.y += dy;
    texts.push_back(std::move(t));
  }
  for (LinkArea& a : other.linkAreas) {
    a.r.x += dx;
    a.r.y += dy;
    linkAreas.push_back(a);
  }
  for (auto& a : other.anchors)
    anchors.emplace_back(std::move(a.first), a.second + dy);
}

LayoutResult LayoutDocument(const Document& doc, Measurer& measurer, const LayoutOptions& options) {
  LayoutResult result;
  Layouter(measurer, options, result).Run(doc);
  // The long lists grew by doubling; they are kept as long as the document is shown.
  DisplayList& items = result.items;
  items.boxes.shrink_to_fit();
  items.texts.shrink_to_fit();
  items.boxReach.reset(new Reach[ReachGroups(items.boxes.size())]());
  for (size_t i = 0; i < items.boxes.size(); ++i) {
    const Rect& r = items.boxes[i].r;
    Widen(items.boxReach[i / kReachGroup], i, r.y, r.y + r.h);
  }
  items.textReach.reset(new Reach[ReachGroups(items.texts.size())]());
  for (size_t i = 0; i < items.texts.size(); ++i)
    Widen(items.textReach[i / kReachGroup], i, items.texts[i].y, items.texts[i].y + 201);
  return result;
}

std::optional<int> FindAnchor(const LayoutResult& layout, const std::wstring& name) {
  for (const auto& a : layout.items.anchors) {
    if (a.first == name)
      return a.second;
  }
  return std::nullopt;
}

int LinkAt(const LayoutResult& layout, int x, int y) {
  for (const LinkArea& a : layout.items.linkAreas) {
    if (a.r.Contains(x, y))
      return a.link;
  }
  return -1;
}

}  // namespace kolvar::htmlview
