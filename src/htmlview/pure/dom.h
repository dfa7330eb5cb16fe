// The document tree the parser builds and the layout reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "htmlview/pure/arena.h"

namespace kolvar::htmlview {

// The elements the view knows; any other name is kUnknown (laid out as a plain inline
// container).
enum class Tag : uint8_t {
  kUnknown,
  kA,
  kAddress,
  kB,
  kBase,
  kBasefont,
  kBig,
  kBlockquote,
  kBody,
  kBr,
  kCaption,
  kCenter,
  kCite,
  kCode,
  kCol,
  kColgroup,
  kDd,
  kDfn,
  kDir,
  kDiv,
  kDl,
  kDt,
  kEm,
  kFont,
  kForm,
  kFrame,
  kFrameset,
  kH1,
  kH2,
  kH3,
  kH4,
  kH5,
  kH6,
  kHead,
  kHr,
  kHtml,
  kI,
  kIframe,
  kImg,
  kInput,
  kKbd,
  kLi,
  kLink,
  kListing,
  kMenu,
  kMeta,
  kNobr,
  kNoframes,
  kNoscript,
  kObject,
  kOl,
  kOption,
  kP,
  kParam,
  kPlaintext,
  kPre,
  kS,
  kSamp,
  kScript,
  kSelect,
  kSmall,
  kSpan,
  kStrike,
  kStrong,
  kStyle,
  kSub,
  kSup,
  kTable,
  kTbody,
  kTd,
  kTextarea,
  kTfoot,
  kTh,
  kThead,
  kTitle,
  kTr,
  kTt,
  kU,
  kUl,
  kVar,
  kWbr,
  kXmp,
  kEmbed,
  kArea,
  kMap,
  kLabel,
  kButton,
  kFieldset,
  kLegend,
};

// The tag for a lower-case element name.
Tag TagFromName(const std::string& lowerName);
// The lower-case name of `tag` ("?" for kUnknown).
const char* TagName(Tag tag);
// Elements without content (<br>, <img>...).
bool IsVoid(Tag tag);

using AttrList = std::vector<std::pair<std::string, std::wstring>>;  // names in lower case

// One element or text of the tree. Nodes, and the text they hold, live in their document's
// arena: they are plain data, valid as long as the document.
struct Node {
  enum class Kind : uint8_t { kElement, kText };
  Kind kind = Kind::kElement;
  Tag tag = Tag::kUnknown;
  uint32_t textLength = 0;
  const wchar_t* text = nullptr;    // a text node's characters (white space already collapsed
                                    // outside preformatted elements)
  const AttrList* attrs = nullptr;  // an element's attributes; null when it has none
  Node* parent = nullptr;
  Node* first = nullptr;  // the first child
  Node* last = nullptr;
  Node* next = nullptr;  // the next sibling

  bool IsElement(Tag t) const { return kind == Kind::kElement && tag == t; }
  std::wstring_view Text() const { return {text, textLength}; }
  // The attribute's value, or null when absent.
  const std::wstring* Attr(const char* name) const;
  // Adds `child` (not yet in a tree) as the last child; returns it.
  Node* Append(Node* child);
};

struct Document {
  Document();
  // Where the nodes and their text live: moved with the document, freed with it.
  Arena arena;
  std::vector<std::unique_ptr<AttrList>> attrLists;
  // The body: every element outside a frameset ends up in it.
  Node* body = nullptr;
  // The outermost frameset, when the document is a frame document (else null).
  Node* frameset = nullptr;
  std::wstring title;
  // True when the text was longer than the view reads and was cut.
  bool truncated = false;
  // Number of nodes made (elements and text runs).
  size_t nodeCount = 0;
};

}  // namespace kolvar::htmlview
