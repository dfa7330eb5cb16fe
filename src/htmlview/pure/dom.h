// The document tree the parser builds and the layout reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
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

struct Node {
  enum class Kind : uint8_t { kElement, kText };
  Kind kind = Kind::kElement;
  Tag tag = Tag::kUnknown;
  std::vector<std::pair<std::string, std::wstring>> attrs;  // names in lower case
  std::wstring text;
  std::vector<std::unique_ptr<Node>> children;
  Node* parent = nullptr;

  bool IsElement(Tag t) const { return kind == Kind::kElement && tag == t; }
  // The attribute's value, or null when absent.
  const std::wstring* Attr(const char* name) const;
  Node* Append(std::unique_ptr<Node> child);
};

struct Document {
  Document();
  // The body: every element outside a frameset ends up in it.
  std::unique_ptr<Node> body;
  // The outermost frameset, when the document is a frame document (else null).
  std::unique_ptr<Node> frameset;
  std::wstring title;
  // True when the text was longer than the view reads and was cut.
  bool truncated = false;
  // Number of nodes made (elements and text runs).
  size_t nodeCount = 0;
};

}  // namespace kolvar::htmlview
