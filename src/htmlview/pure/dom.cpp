#include "htmlview/pure/dom.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace kolvar::htmlview {

namespace {

struct TagEntry {
  const char* name;
  Tag tag;
};

// Sorted by name for a binary search.
constexpr TagEntry kTagNames[] = {
    {"a", Tag::kA},
    {"address", Tag::kAddress},
    {"area", Tag::kArea},
    {"b", Tag::kB},
    {"base", Tag::kBase},
    {"basefont", Tag::kBasefont},
    {"big", Tag::kBig},
    {"blockquote", Tag::kBlockquote},
    {"body", Tag::kBody},
    {"br", Tag::kBr},
    {"button", Tag::kButton},
    {"caption", Tag::kCaption},
    {"center", Tag::kCenter},
    {"cite", Tag::kCite},
    {"code", Tag::kCode},
    {"col", Tag::kCol},
    {"colgroup", Tag::kColgroup},
    {"dd", Tag::kDd},
    {"dfn", Tag::kDfn},
    {"dir", Tag::kDir},
    {"div", Tag::kDiv},
    {"dl", Tag::kDl},
    {"dt", Tag::kDt},
    {"em", Tag::kEm},
    {"embed", Tag::kEmbed},
    {"fieldset", Tag::kFieldset},
    {"font", Tag::kFont},
    {"form", Tag::kForm},
    {"frame", Tag::kFrame},
    {"frameset", Tag::kFrameset},
    {"h1", Tag::kH1},
    {"h2", Tag::kH2},
    {"h3", Tag::kH3},
    {"h4", Tag::kH4},
    {"h5", Tag::kH5},
    {"h6", Tag::kH6},
    {"head", Tag::kHead},
    {"hr", Tag::kHr},
    {"html", Tag::kHtml},
    {"i", Tag::kI},
    {"iframe", Tag::kIframe},
    {"img", Tag::kImg},
    {"input", Tag::kInput},
    {"kbd", Tag::kKbd},
    {"label", Tag::kLabel},
    {"legend", Tag::kLegend},
    {"li", Tag::kLi},
    {"link", Tag::kLink},
    {"listing", Tag::kListing},
    {"map", Tag::kMap},
    {"menu", Tag::kMenu},
    {"meta", Tag::kMeta},
    {"nobr", Tag::kNobr},
    {"noframes", Tag::kNoframes},
    {"noscript", Tag::kNoscript},
    {"object", Tag::kObject},
    {"ol", Tag::kOl},
    {"option", Tag::kOption},
    {"p", Tag::kP},
    {"param", Tag::kParam},
    {"plaintext", Tag::kPlaintext},
    {"pre", Tag::kPre},
    {"s", Tag::kS},
    {"samp", Tag::kSamp},
    {"script", Tag::kScript},
    {"select", Tag::kSelect},
    {"small", Tag::kSmall},
    {"span", Tag::kSpan},
    {"strike", Tag::kStrike},
    {"strong", Tag::kStrong},
    {"style", Tag::kStyle},
    {"sub", Tag::kSub},
    {"sup", Tag::kSup},
    {"table", Tag::kTable},
    {"tbody", Tag::kTbody},
    {"td", Tag::kTd},
    {"textarea", Tag::kTextarea},
    {"tfoot", Tag::kTfoot},
    {"th", Tag::kTh},
    {"thead", Tag::kThead},
    {"title", Tag::kTitle},
    {"tr", Tag::kTr},
    {"tt", Tag::kTt},
    {"u", Tag::kU},
    {"ul", Tag::kUl},
    {"var", Tag::kVar},
    {"wbr", Tag::kWbr},
    {"xmp", Tag::kXmp},
};

}  // namespace

Tag TagFromName(const std::string& lowerName) {
  auto it = std::lower_bound(std::begin(kTagNames), std::end(kTagNames), lowerName,
                             [](const TagEntry& t, const std::string& n) { return n > t.name; });
  if (it != std::end(kTagNames) && lowerName == it->name)
    return it->tag;
  return Tag::kUnknown;
}

const char* TagName(Tag tag) {
  for (const TagEntry& t : kTagNames) {
    if (t.tag == tag)
      return t.name;
  }
  return "?";
}

bool IsVoid(Tag tag) {
  switch (tag) {
    case Tag::kArea:
    case Tag::kBase:
    case Tag::kBasefont:
    case Tag::kBr:
    case Tag::kCol:
    case Tag::kEmbed:
    case Tag::kFrame:
    case Tag::kHr:
    case Tag::kImg:
    case Tag::kInput:
    case Tag::kLink:
    case Tag::kMeta:
    case Tag::kParam:
    case Tag::kWbr:
      return true;
    default:
      return false;
  }
}

const std::wstring_view* Node::Attr(const char* name) const {
  if (kind != Kind::kElement)
    return nullptr;
  for (const Attribute* a = attrs; a != attrs + length; ++a) {
    size_t i = 0;
    while (i < a->name.size() && name[i] && a->name[i] == static_cast<unsigned char>(name[i]))
      ++i;
    if (i == a->name.size() && !name[i])
      return &a->value;
  }
  return nullptr;
}

Document::Document() : nodes(new Node[1]()) {
  nodes[0].tag = Tag::kBody;
  body = nodes.get();
}

}  // namespace kolvar::htmlview
