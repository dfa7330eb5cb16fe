// Layout with a fixed-pitch stand-in for the screen: every character 10 pixels wide (bold 12),
// a line 20 pixels high, pictures 40 × 30 unless their name says "missing".
#include <gtest/gtest.h>

#include "htmlview/pure/image_info.h"
#include "htmlview/pure/layout.h"
#include "htmlview/pure/parser.h"

namespace kolvar::htmlview {
namespace {

class FixedMeasurer : public Measurer {
 public:
  FontMetrics Metrics(int, const FontSpec& fontSpec) override { return {fontSpec.sizePx, 4}; }
  int TextWidth(int, const FontSpec& fontSpec, const wchar_t*, size_t n) override {
    return static_cast<int>(n) * (fontSpec.bold ? 12 : 10);
  }
  std::optional<std::pair<int, int>> ImageSize(const std::wstring& src) override {
    if (src.find(L"missing") != std::wstring::npos)
      return std::nullopt;
    return std::make_pair(40, 30);
  }
};

LayoutResult Lay(const std::wstring& html, int width = 216) {
  FixedMeasurer m;
  LayoutOptions o;
  o.width = width;  // 200 pixels of text between the 8-pixel margins
  o.truncatedNote = L"(cut)";
  // The runs point into their document's text: every document laid out here is kept.
  static std::vector<std::unique_ptr<Document>> laidOut;
  laidOut.push_back(std::make_unique<Document>(ParseHtml(html)));
  return LayoutDocument(*laidOut.back(), m, o);
}

std::vector<std::wstring> Lines(const LayoutResult& r) {
  std::vector<std::wstring> out;
  int lastY = -1;
  for (const TextRun& t : r.items.texts) {
    if (t.y != lastY)
      out.push_back(L"");
    else
      out.back() += L"|";
    out.back() += t.Text();
    lastY = t.y;
  }
  return out;
}

TEST(Layout, WrapsWordsAndCollapsesWhiteSpace) {
  LayoutResult r = Lay(L"aaaa  bbbb\n\tcccc dddd eeee ffff gggggggggggggggggggggggg hh");
  // 20 characters fit on a line of 200 pixels.
  EXPECT_EQ(Lines(r), (std::vector<std::wstring>{L"aaaa bbbb cccc dddd", L"eeee ffff",
                                                 L"gggggggggggggggggggggggg", L"hh"}));
  EXPECT_EQ(r.items.texts[0].x, 8);
  EXPECT_EQ(r.items.texts[0].y, 8);
  EXPECT_EQ(r.items.texts[1].y, 28);
  EXPECT_EQ(r.width, 8 + 240 + 8);  // the long word overflows the view
}

TEST(Layout, RunsShowTheDocumentsOwnText) {
  // A run that is one piece of the document's text (across elements too) is drawn from it; a
  // marker, or text with expanded tabs, from a copy.
  Document doc = ParseHtml(L"<p>one two <span>three</span> <b>four</b><pre>a\tb</pre><ol><li>x");
  FixedMeasurer m;
  LayoutResult r = LayoutDocument(doc, m, LayoutOptions());
  std::vector<std::wstring> texts;
  std::vector<bool> shared;
  for (const TextRun& t : r.items.texts) {
    texts.emplace_back(t.Text());
    shared.push_back(t.chars >= doc.chars.data() && t.chars < doc.chars.data() + doc.chars.size());
  }
  EXPECT_EQ(texts,
            (std::vector<std::wstring>{L"one two three ", L"four", L"a       b", L"1.", L"x"}));
  EXPECT_EQ(shared, (std::vector<bool>{true, true, false, false, true}));
}

TEST(Layout, EveryItemLiesWithinTheReachOfItsGroup) {
  // A strip of the window is drawn from the groups that reach it: an item outside its group's
  // reach would never be drawn.
  std::wstring html = L"<table border=1>";
  for (int i = 0; i < 80; ++i)
    html += L"<tr><td>cell<td><ul><li>one<li>two</ul>";
  html += L"</table><p>" + std::wstring(3000, L'x') + L" end";
  LayoutResult r = Lay(html);
  const DisplayList& items = r.items;
  ASSERT_GT(items.texts.size(), 3 * kReachGroup);
  ASSERT_GT(items.boxes.size(), 3 * kReachGroup);
  for (size_t i = 0; i < items.texts.size(); ++i) {
    const Reach& g = items.textReach[i / kReachGroup];
    EXPECT_TRUE(g.top <= items.texts[i].y && g.bottom >= items.texts[i].y + 201) << i;
  }
  for (size_t i = 0; i < items.boxes.size(); ++i) {
    const Rect& b = items.boxes[i].r;
    const Reach& g = items.boxReach[i / kReachGroup];
    EXPECT_TRUE(g.top <= b.y && g.bottom >= b.y + b.h) << i;
  }
}

TEST(Layout, BlocksAlignmentAndMargins) {
  LayoutResult r =
      Lay(L"<p>one</p><p align=center>two</p><div align=right>three</div>"
          L"<center>four<br>five</center>x<br><br>y");
  ASSERT_EQ(r.items.texts.size(), 7u);
  EXPECT_EQ(r.items.texts[0].y, 8);                   // no margin at the top
  EXPECT_EQ(r.items.texts[1].y, 8 + 20 + 16);         // paragraphs 16 pixels apart
  EXPECT_EQ(r.items.texts[1].x, 8 + (200 - 30) / 2);  // centred
  EXPECT_EQ(r.items.texts[2].x, 8 + 200 - 50);        // right-aligned
  EXPECT_EQ(r.items.texts[2].y, 8 + 20 + 16 + 20 + 16);
  EXPECT_EQ(r.items.texts[4].x, 8 + (200 - 40) / 2);       // centre stays for the next line
  EXPECT_EQ(r.items.texts[6].y - r.items.texts[5].y, 40);  // two breaks leave an empty line
}

TEST(Layout, FontsFromMarkup) {
  LayoutResult r =
      Lay(L"<h1>H</h1><b>b</b><i>i</i><font size=5 face='Arial' color=red>f</font>"
          L"<tt>t</tt><big>g</big><small>s</small><sup>p</sup>"
          L"<span style='font-size: 12pt; color: #008000; font-weight: bold'>c</span>");
  auto font = [&](size_t i) { return r.fonts[r.items.texts.at(i).font]; };
  EXPECT_EQ(font(0).sizePx, 32);
  EXPECT_TRUE(font(0).bold);
  EXPECT_TRUE(font(1).bold);
  EXPECT_TRUE(font(2).italic);
  EXPECT_EQ(font(3).face, L"Arial");
  EXPECT_EQ(font(3).sizePx, 24);
  EXPECT_EQ(r.items.texts[3].color, 0xFF0000u);
  EXPECT_EQ(font(4).face, L"Courier New");
  EXPECT_EQ(font(5).sizePx, 18);
  EXPECT_EQ(font(6).sizePx, 13);
  EXPECT_LT(r.items.texts[7].y, r.items.texts[6].y);  // superscript raised
  EXPECT_EQ(font(8).sizePx, 16);
  EXPECT_TRUE(font(8).bold);
  EXPECT_EQ(r.items.texts[8].color, 0x008000u);
}

TEST(Layout, ListsGetMarkersAndIndent) {
  LayoutResult r =
      Lay(L"<ol start=3><li>a<li>b<ol type=a><li>c</ol></ol><ul><li>d<ul>"
          L"<li>e</ul></ul>");
  std::vector<std::wstring> labels;
  for (const TextRun& t : r.items.texts)
    labels.push_back(std::wstring(t.Text()));
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"3.", L"a", L"4.", L"b", L"a.", L"c", L"d", L"e"}));
  EXPECT_EQ(r.items.texts[1].x, 8 + 40);
  EXPECT_EQ(r.items.texts[5].x, 8 + 80);
  EXPECT_LT(r.items.texts[0].x + r.items.texts[0].width, 48);  // the number before the item
  ASSERT_EQ(r.items.boxes.size(), 2u);
  EXPECT_EQ(r.items.boxes[0].kind, Box::Kind::kDisc);
  EXPECT_EQ(r.items.boxes[1].kind, Box::Kind::kCircle);
}

TEST(Layout, PreformattedKeepsSpacesAndTabs) {
  LayoutResult r = Lay(L"<pre>\na\tb\n  c   d\n</pre>");
  EXPECT_EQ(Lines(r), (std::vector<std::wstring>{L"a       b", L"  c   d"}));
  EXPECT_EQ(r.fonts[r.items.texts[0].font].face, L"Courier New");
}

TEST(Layout, TablesPlaceCellsOnTheGrid) {
  LayoutResult r =
      Lay(L"<table border=1 cellpadding=2 cellspacing=0 bgcolor=#eeeeee>"
          L"<tr><td rowspan=2>a</td><td>bb</td></tr><tr><td>cc</td></tr>"
          L"<tr><td colspan=2 align=center>dddddddd</td></tr></table>after");
  // Columns: the 80-pixel spanning cell needs 80 + 6; the others 10 + 6 and 20 + 6.
  ASSERT_EQ(r.items.texts.size(), 5u);
  const TextRun& a = r.items.texts[0];
  const TextRun& bb = r.items.texts[1];
  const TextRun& cc = r.items.texts[2];
  const TextRun& d = r.items.texts[3];
  EXPECT_EQ(bb.x, cc.x);
  EXPECT_GT(bb.x, a.x);
  EXPECT_GT(cc.y, bb.y);
  EXPECT_GT(a.y, bb.y);  // the tall cell's text is centred between the two rows
  EXPECT_LT(a.y, cc.y);
  EXPECT_GT(d.y, cc.y);
  EXPECT_EQ(r.items.texts[4].Text(), L"after");
  EXPECT_GT(r.items.texts[4].y, d.y);
  EXPECT_EQ(r.items.boxes.at(0).kind, Box::Kind::kFill);  // the table's background first
  EXPECT_EQ(r.items.boxes.at(0).color, 0xEEEEEEu);
}

TEST(Layout, CentredTextAndSharesOfTheRoomDoNotWidenColumns) {
  // Header cells are centred, the rule and the inner table take shares of the room: none of
  // that may count as a need, or the column with a fixed width would be squeezed.
  LayoutResult r =
      Lay(L"<table border=1 width=100% cellspacing=0 cellpadding=0><tr><th>a"
          L"<th width=90>b<tr><td><hr><table width=100%><tr><td>c</table>"
          L"<td align=right>d</table>",
          416);
  std::vector<int> cellWidths;
  for (const Box& b : r.items.boxes) {
    if (b.kind == Box::Kind::kBevelIn && b.r.h > 2)
      cellWidths.push_back(b.r.w);
  }
  ASSERT_EQ(cellWidths.size(), 4u);
  EXPECT_EQ(cellWidths[1], 90);
  EXPECT_EQ(cellWidths[0], 400 - 2 - 90);
}

TEST(Layout, PicturesInlineFloatingAndMissing) {
  LayoutResult r =
      Lay(L"<img src=p.gif align=left>text beside<br clear=all>"
          L"<img src=missing.png alt='no picture'> <img src=q.gif width=80>");
  ASSERT_EQ(r.items.pictures.size(), 3u);
  const Picture& floating = r.items.pictures[0];
  EXPECT_EQ(floating.r.x, 8);
  EXPECT_EQ(r.items.texts[0].x, 8 + 40 + 4);  // text beside the floating picture
  const Picture& missing = r.items.pictures[1];
  EXPECT_GE(missing.r.y, 8 + 30);   // below the float after clear=all
  EXPECT_EQ(missing.r.w, 100 + 8);  // as wide as its alternative text
  EXPECT_EQ(r.items.pictures[2].r.w, 80);
  EXPECT_EQ(r.items.pictures[2].r.h, 60);  // kept in proportion
}

TEST(Layout, LinksAndAnchors) {
  LayoutResult r =
      Lay(L"<a href='second.htm' target=main>go</a> on<p><a name=here>x</a>"
          L"<a href=\"#here\"><img src=p.gif border=1></a>");
  ASSERT_EQ(r.links.size(), 2u);
  EXPECT_EQ(r.links[0].href, L"second.htm");
  EXPECT_EQ(r.links[0].target, L"main");
  EXPECT_EQ(LinkAt(r, 12, 12), 0);
  EXPECT_EQ(LinkAt(r, 100, 12), -1);
  const Picture& p = r.items.pictures.at(0);
  EXPECT_EQ(LinkAt(r, p.r.x + 5, p.r.y + 5), 1);
  EXPECT_EQ(FindAnchor(r, L"here"), std::optional<int>(8 + 20 + 16));
  EXPECT_EQ(FindAnchor(r, L"nowhere"), std::nullopt);
  EXPECT_EQ(r.items.linkAreas.at(0).r.w, 20);  // the space after the link is not the link's
  EXPECT_TRUE(r.items.texts[0].color == 0x0000EEu);
  EXPECT_TRUE(r.fonts[r.items.texts[0].font].underline);
}

TEST(Layout, BodyColoursAndTheNoteOfACutDocument) {
  LayoutResult r = Lay(L"<body bgcolor=#102030 text=white link=yellow><a href=x>l</a>");
  EXPECT_EQ(r.background, 0x102030u);
  EXPECT_EQ(r.text, 0xFFFFFFu);
  EXPECT_EQ(r.items.texts[0].color, 0xFFFF00u);
  LayoutResult cut = Lay(std::wstring(kMaxDocumentChars + 1, L'x'));
  EXPECT_EQ(cut.items.texts.back().Text(), L"(cut)");
}

TEST(Layout, HostileTablesStayBounded) {
  std::wstring html = L"<table><tr><td colspan=999999 rowspan=999999>x<td width=99999999>";
  for (int i = 0; i < 40; ++i)
    html += L"<table><tr><td>";
  html += L"deep";
  LayoutResult r = Lay(html);
  EXPECT_GT(r.height, 0);
  EXPECT_LE(r.width, 1 << 24);
  EXPECT_FALSE(r.items.texts.empty());
}

TEST(Layout, NestedTablesAreMeasuredOnce) {
  // Every cell is measured at its least and widest before it is laid out; without keeping
  // those needs, ten nested tables would be measured thousands of times over.
  class CountingMeasurer : public FixedMeasurer {
   public:
    int TextWidth(int font, const FontSpec& fontSpec, const wchar_t* t, size_t n) override {
      ++calls;
      return FixedMeasurer::TextWidth(font, fontSpec, t, n);
    }
    int calls = 0;
  } m;
  std::wstring html;
  for (int i = 0; i < 10; ++i)
    html += L"<table><tr><td><a href=x>a</a> b<td>";
  html += L"end";
  Document doc = ParseHtml(html);
  LayoutOptions o;
  LayoutResult r = LayoutDocument(doc, m, o);
  EXPECT_LT(m.calls, 2000);
  EXPECT_EQ(r.links.size(), 10u);  // one per link, however often it was laid out
}

TEST(ImageInfo, SizesFromHeadersAndPlausibility) {
  std::string gif = std::string("GIF89a\x0A\x00\x05\x00", 10) + std::string(20, '\0');
  ImageInfo g = ReadImageInfo(gif);
  EXPECT_EQ(g.format, ImageFormat::kGif);
  EXPECT_EQ(g.width, 10);
  EXPECT_EQ(g.height, 5);
  EXPECT_TRUE(PlausibleImage(g, gif.size(), gif));

  std::string png = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\0\0\0\0\x80", 24);
  ImageInfo p = ReadImageInfo(png);
  EXPECT_EQ(p.format, ImageFormat::kPng);
  EXPECT_EQ(p.width, 256);
  EXPECT_EQ(p.height, 128);
  png[16] = '\x7F';  // claims 2 billion pixels wide
  EXPECT_FALSE(PlausibleImage(ReadImageInfo(png), png.size(), png));

  // A bitmap must hold all its rows: 4 × 4 at 24 bits is 48 bytes of pixels.
  std::string bmp(54, '\0');
  bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 4, bmp[22] = 4, bmp[28] = 24;
  ImageInfo b = ReadImageInfo(bmp);
  EXPECT_EQ(b.format, ImageFormat::kBmp);
  EXPECT_FALSE(PlausibleImage(b, bmp.size(), bmp));
  bmp += std::string(48, '\0');
  EXPECT_TRUE(PlausibleImage(b, bmp.size(), bmp));

  std::string jpeg("\xFF\xD8\xFF\xE0\x00\x04..\xFF\xC0\x00\x11\x08\x00\x20\x00\x40", 17);
  ImageInfo j = ReadImageInfo(jpeg + std::string(200, '\0'));
  EXPECT_EQ(j.format, ImageFormat::kJpeg);
  EXPECT_EQ(j.width, 64);
  EXPECT_EQ(j.height, 32);

  EXPECT_EQ(ReadImageInfo("not a picture").format, ImageFormat::kUnknown);
  EXPECT_EQ(ReadImageInfo("GIF8").format, ImageFormat::kUnknown);
  EXPECT_FALSE(PlausibleImage(ReadImageInfo(std::string("GIF89a\0\0\0\0", 10)), 10, ""));
}

}  // namespace
}  // namespace kolvar::htmlview
