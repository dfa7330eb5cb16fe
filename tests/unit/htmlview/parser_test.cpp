// The reader: how loose markup becomes a tree, character references, the title, limits.
#include <gtest/gtest.h>

#include <string>

#include "htmlview/pure/parser.h"

namespace kolvar::htmlview {
namespace {

// The tree as text: elements as name(children), text in quotes, chosen attributes as [k=v].
std::string Dump(const Node& n) {
  std::string out;
  for (const Node* c = n.First(); c; c = c->Next()) {
    if (!out.empty())
      out += ' ';
    if (c->kind == Node::Kind::kText) {
      out += '"';
      for (wchar_t ch : c->Text())
        out += ch < 0x80 ? static_cast<char>(ch) : '?';
      out += '"';
      continue;
    }
    out += TagName(c->tag);
    for (const Attribute* a = c->attrs; a != c->attrs + c->length; ++a) {
      out += "[" + std::string(a->name.begin(), a->name.end()) + "=";
      for (wchar_t ch : a->value)
        out += ch < 0x80 ? static_cast<char>(ch) : '?';
      out += "]";
    }
    if (c->First())
      out += "(" + Dump(*c) + ")";
  }
  return out;
}

std::string Tree(const std::wstring& html) {
  Document doc = ParseHtml(html);
  return Dump(*doc.body);
}

struct TreeCase {
  const wchar_t* html;
  const char* tree;
};

TEST(TreeBuilder, RepairsLooseMarkupAsBrowsersDo) {
  const TreeCase cases[] = {
      // implied ends: paragraphs, items, cells, rows, options
      {L"<p>a<p>b", "p(\"a\") p(\"b\")"},
      {L"<p>a<div>b</div>", "p(\"a\") div(\"b\")"},
      {L"<ul><li>a<li>b</ul>c", "ul(li(\"a\") li(\"b\")) \"c\""},
      {L"<ul><li>a<ul><li>b</ul><li>c</ul>", "ul(li(\"a\" ul(li(\"b\"))) li(\"c\"))"},
      {L"<dl><dt>a<dd>b<dt>c</dl>", "dl(dt(\"a\") dd(\"b\") dt(\"c\"))"},
      {L"<table><tr><td>a<td>b<tr><td>c</table>", "table(tr(td(\"a\") td(\"b\")) tr(td(\"c\")))"},
      {L"<table><td>a</table>", "table(tr(td(\"a\")))"},
      {L"<table><tbody><tr><td>a</tbody></table>", "table(tbody(tr(td(\"a\"))))"},
      {L"<select><option>a<option>b</select>", "select(option(\"a\") option(\"b\"))"},
      // misnested formatting keeps its look after the outer element closes
      {L"<b><i>x</b>y</i>z", "b(i(\"x\")) i(\"y\") \"z\""},
      {L"<font color=red><i class=k>x</font>y",
       "font[color=red](i[class=k](\"x\")) i[class=k](\"y\")"},
      // stray end tags are dropped; </br> is a line break
      {L"a</div></span>b</br>c", "\"ab\" br \"c\""},
      // an end tag inside a cell does not close what is open around the table
      {L"<b><table><tr><td>x</b>y</td></tr></table>z</b>", "b(table(tr(td(\"xy\"))) \"z\")"},
      // text between rows is shown above the table
      {L"<table>lost<tr><td>a</td></tr></table>", "\"lost\" table(tr(td(\"a\")))"},
      // a nested link closes the open one
      {L"<a href=1>a<a href=2>b</a>", "a[href=1](\"a\") a[href=2](\"b\")"},
      // headings do not nest
      {L"<h1>a<h2>b</h2>", "h1(\"a\") h2(\"b\")"},
      // white space is kept as one space, but as written in preformatted text
      {L"a \n\t b<!-- -->  c<pre> x\r\n\ty  <b> z  </b></pre>",
       "\"a b c\" pre(\" x\r\n\ty  \" b(\" z  \"))"},
  };
  for (const TreeCase& c : cases)
    EXPECT_EQ(Tree(c.html), c.tree) << std::string(c.html, c.html + wcslen(c.html));
}

TEST(TreeBuilder, ReadsAttributesWithAndWithoutQuotes) {
  const TreeCase cases[] = {
      {L"<font color=red size='+1' face=\"Arial, Helvetica\">x</font>",
       "font[color=red][size=+1][face=Arial, Helvetica](\"x\")"},
      {L"<table><tr><td nowrap width=50%>", "table(tr(td[nowrap=][width=50%]))"},
      {L"<img src=a.gif alt=\"a &amp; b\"/>", "img[src=a.gif][alt=a & b]"},
      {L"<IMG SRC=A.GIF Border=0>", "img[src=A.GIF][border=0]"},
      {L"<p class=x class=y>", "p[class=x]"},
      {L"<img src=\"never closed>", "img[src=never closed>]"},
      {L"<b <i>t", "b(i(\"t\"))"},
  };
  for (const TreeCase& c : cases)
    EXPECT_EQ(Tree(c.html), c.tree) << std::string(c.html, c.html + wcslen(c.html));
}

TEST(TreeBuilder, SkipsCommentsDeclarationsScriptsAndStyles) {
  const TreeCase cases[] = {
      {L"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.0//EN\">a", "\"a\""},
      {L"a<!-- <p>hidden</p> -->b", "\"ab\""},
      {L"a<script>if (a<b) document.write('</p>');</script>b", "\"ab\""},
      {L"a<STYLE>p { color: red }</style>b<?xml x?>c", "\"abc\""},
      {L"a < b and 1 <2", "\"a < b and 1 <2\""},
      {L"a<script>never closed", "\"a\""},
      {L"<head><title>T</title><meta charset=x></head><body bgcolor=#fff>b", "\"b\""},
  };
  for (const TreeCase& c : cases)
    EXPECT_EQ(Tree(c.html), c.tree) << std::string(c.html, c.html + wcslen(c.html));
}

TEST(TreeBuilder, BodyAttributesAndTitle) {
  Document doc = ParseHtml(
      L"<html><head><title>\n  Instruc&#355;iuni   de  instalare\n</title></head>"
      L"<body bgcolor=\"#FFFFEE\" text=navy><p>x</body><title>second</title>");
  EXPECT_EQ(doc.title, L"Instruc\u0163iuni de instalare");
  ASSERT_NE(doc.body->Attr("bgcolor"), nullptr);
  EXPECT_EQ(*doc.body->Attr("bgcolor"), L"#FFFFEE");
  EXPECT_EQ(*doc.body->Attr("text"), L"navy");
  EXPECT_EQ(doc.frameset, nullptr);
}

TEST(TreeBuilder, Framesets) {
  Document doc = ParseHtml(
      L"<html><head><title>F</title></head><frameset cols=\"30%,*\">"
      L"<frame src=left.htm name=nav><frameset rows=\"50,*\"><frame src=a.htm>"
      L"<frame src=b.htm></frameset><noframes><body>No frames <b>here</b></body></noframes>"
      L"</frameset></html>");
  ASSERT_NE(doc.frameset, nullptr);
  EXPECT_EQ(Dump(*doc.frameset),
            "frame[src=left.htm][name=nav] frameset[rows=50,*](frame[src=a.htm] frame[src=b.htm])");
  EXPECT_EQ(*doc.frameset->Attr("cols"), L"30%,*");
  EXPECT_EQ(Tree(L"<p>text first</p><frameset><frame src=x></frameset>"), "p(\"text first\")");
}

TEST(References, NamedNumericAndBroken) {
  struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"&lt;&gt;&amp;&quot;&nbsp;", L"<>&\"\u00A0"},
      {L"&Acirc;&acirc;&Icirc;&icirc;&abreve;&Abreve;", L"\u00C2\u00E2\u00CE\u00EE\u0103\u0102"},
      {L"&#350;&#351;&#x15E;&#x15f;&#536;&#x219;&#x21A;&#539;",
       L"\u015E\u015F\u015E\u015F\u0218\u0219\u021A\u021B"},
      {L"&#150;&#147;&#148;", L"\u2013\u201C\u201D"},  // Windows-1252 bytes as references
      {L"&amp x &copy2000", L"& x \u00A92000"},        // without the semicolon
      {L"&unknown; & &# &#x; &#0;", L"&unknown; & &# &#x; \uFFFD"},
      {L"&#99999999999999999;", L"\uFFFD"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeReferences(c.in), c.out);
}

TEST(Limits, DeepNestingIsFlattenedAndLongTextCut) {
  std::wstring deep;
  for (int i = 0; i < 5000; ++i)
    deep += L"<div><b>";
  deep += L"end";
  Document doc = ParseHtml(deep);
  size_t depth = 0;
  const Node* n = doc.body;
  while (n->First()) {
    n = n->First();
    while (n->Next())
      n = n->Next();
    ++depth;
  }
  EXPECT_LE(depth, kMaxDepth);
  EXPECT_EQ(n->Text().find(L"end"), 0u);

  std::wstring huge(kMaxDocumentChars + 10, L'x');
  Document cut = ParseHtml(huge);
  EXPECT_TRUE(cut.truncated);
  EXPECT_EQ(cut.body->First()->Text().size(), kMaxDocumentChars);

  std::wstring many;
  for (size_t i = 0; i < kMaxNodes + 1000; ++i)
    many += L"<b>";
  EXPECT_LE(ParseHtml(many).nodeCount, kMaxNodes + 8);
}

}  // namespace
}  // namespace kolvar::htmlview
