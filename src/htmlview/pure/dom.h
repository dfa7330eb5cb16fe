// The document tree the parser builds and the layout reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// An attribute as written (the name in lower case), in its document's characters.
struct Attribute {
  std::wstring_view name;
  std::wstring_view value;
};

// One element or text of the tree. A document keeps its nodes in one array in document order:
// an element's children follow it, each linked to the next by an offset, so a node costs no
// heap block and no pointers of its own.
// Plain data: a value-initialised node (all zero) is an element of unknown name, without
// children or attributes.
struct Node {
  enum class Kind : uint8_t { kElement, kText };
  Kind kind;
  Tag tag;
  bool hasChildren;
  uint32_t length;      // a text's characters, or an element's attributes
  uint32_t nextOffset;  // from this node to its next sibling; 0 for the last
  union {
    const wchar_t* text;     // a text node's characters (white space already collapsed outside
                             // preformatted elements)
    const Attribute* attrs;  // an element's attributes
  };

  bool IsElement(Tag t) const { return kind == Kind::kElement && tag == t; }
  const Node* First() const { return hasChildren ? this + 1 : nullptr; }
  const Node* Next() const { return nextOffset ? this + nextOffset : nullptr; }
  std::wstring_view Text() const {
    return kind == Kind::kText ? std::wstring_view(text, length) : std::wstring_view();
  }
  // The value of the attribute `name` (lower case), or null when absent.
  const std::wstring_view* Attr(const char* name) const;
};

struct Document {
  // A document with an empty body.
  Document();
  Document(Document&&) = default;
  Document& operator=(Document&&) = default;

  // The body's tree, then the frameset's, each in document order. (Plain arrays: their sizes
  // are known when they are made, and never change.)
  std::unique_ptr<Node[]> nodes;
  // The characters of every text node and attribute.
  std::vector<wchar_t> chars;
  std::unique_ptr<Attribute[]> attributes;
  // The body: every element outside a frameset ends up in it.
  const Node* body = nullptr;
  // The outermost frameset, when the document is a frame document (else null).
  const Node* frameset = nullptr;
  std::wstring title;
  // True when the text was longer than the view reads and was cut.
  bool truncated = false;
  // Number of nodes made (elements and text runs).
  size_t nodeCount = 0;
};

}  // namespace kolvar::htmlview
