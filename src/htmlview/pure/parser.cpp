#include "htmlview/pure/parser.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "htmlview/pure/arena.h"
#include "htmlview/pure/charset.h"
#include "htmlview/pure/code_pages.h"
#include "htmlview/pure/entities.h"

namespace kolvar::htmlview {

namespace {

bool IsSpace(wchar_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAsciiAlpha(wchar_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiAlnum(wchar_t c) {
  return IsAsciiAlpha(c) || (c >= '0' && c <= '9');
}
char LowerAscii(wchar_t c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}

// Looks up a named reference; 0 when unknown.
uint16_t NamedReference(const std::string& name) {
  auto it = std::lower_bound(std::begin(kNamedEntities), std::end(kNamedEntities), name,
                             [](const NamedEntity& e, const std::string& n) {
                               return std::strcmp(e.name, n.c_str()) < 0;
                             });
  if (it != std::end(kNamedEntities) && name == it->name)
    return it->code;
  return 0;
}

// Reads the reference starting at text[i] == '&'; appends its character and returns the index
// after it, or returns i when there is no valid reference there.
size_t ReadReference(const std::wstring& text, size_t i, std::wstring& out) {
  size_t n = text.size();
  size_t j = i + 1;
  if (j < n && text[j] == '#') {
    ++j;
    bool hex = j < n && (text[j] == 'x' || text[j] == 'X');
    if (hex)
      ++j;
    size_t digitsStart = j;
    char32_t value = 0;
    while (j < n) {
      wchar_t c = text[j];
      int d = -1;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (hex && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      if (d < 0)
        break;
      if (value <= 0x10FFFF)
        value = value * (hex ? 16 : 10) + d;
      ++j;
    }
    if (j == digitsStart)
      return i;
    if (j < n && text[j] == ';')
      ++j;
    // Old pages write Windows-1252 punctuation by its byte value.
    if (value >= 0x80 && value <= 0x9F && kCp1252High[value - 0x80] != 0xFFFD)
      value = kCp1252High[value - 0x80];
    if (value == 0)
      value = 0xFFFD;
    AppendCodePoint(out, value);
    return j;
  }
  std::string name;
  while (j < n && IsAsciiAlnum(text[j]) && name.size() < 32)
    name.push_back(static_cast<char>(text[j++]));
  if (name.empty())
    return i;
  uint16_t code = NamedReference(name);
  if (code != 0) {
    if (j < n && text[j] == ';')
      ++j;
    out.push_back(static_cast<wchar_t>(code));
    return j;
  }
  if (j < n && text[j] == ';')
    return i;
  // Without a semicolon old pages run the name into the next word ("&copy2000").
  for (size_t len = name.size() - 1; len >= 2; --len) {
    code = NamedReference(name.substr(0, len));
    if (code != 0) {
      out.push_back(static_cast<wchar_t>(code));
      return i + 1 + len;
    }
  }
  return i;
}

bool IsFormatting(Tag t) {
  switch (t) {
    case Tag::kB:
    case Tag::kI:
    case Tag::kU:
    case Tag::kS:
    case Tag::kStrike:
    case Tag::kEm:
    case Tag::kStrong:
    case Tag::kFont:
    case Tag::kBig:
    case Tag::kSmall:
    case Tag::kTt:
    case Tag::kCode:
    case Tag::kSub:
    case Tag::kSup:
    case Tag::kNobr:
    case Tag::kSpan:
      return true;
    default:
      return false;
  }
}

// Elements whose start closes an open paragraph.
bool ClosesParagraph(Tag t) {
  switch (t) {
    case Tag::kAddress:
    case Tag::kBlockquote:
    case Tag::kCenter:
    case Tag::kDir:
    case Tag::kDiv:
    case Tag::kDl:
    case Tag::kFieldset:
    case Tag::kForm:
    case Tag::kH1:
    case Tag::kH2:
    case Tag::kH3:
    case Tag::kH4:
    case Tag::kH5:
    case Tag::kH6:
    case Tag::kHr:
    case Tag::kMenu:
    case Tag::kOl:
    case Tag::kP:
    case Tag::kPre:
    case Tag::kTable:
    case Tag::kUl:
    case Tag::kLi:
    case Tag::kDd:
    case Tag::kDt:
    case Tag::kXmp:
    case Tag::kListing:
    case Tag::kPlaintext:
      return true;
    default:
      return false;
  }
}

bool IsHeading(Tag t) {
  return t >= Tag::kH1 && t <= Tag::kH6;
}

bool IsTablePart(Tag t) {
  switch (t) {
    case Tag::kTable:
    case Tag::kTbody:
    case Tag::kThead:
    case Tag::kTfoot:
    case Tag::kTr:
    case Tag::kTd:
    case Tag::kTh:
    case Tag::kCaption:
    case Tag::kCol:
    case Tag::kColgroup:
      return true;
    default:
      return false;
  }
}

// Elements whose content is read as raw text up to their own end tag.
bool IsRawText(Tag t) {
  return t == Tag::kScript || t == Tag::kStyle || t == Tag::kTitle || t == Tag::kTextarea ||
         t == Tag::kXmp;
}

struct Token {
  enum class Kind { kText, kStart, kEnd } kind = Kind::kText;
  Tag tag = Tag::kUnknown;
  std::string name;
  std::vector<std::pair<std::string, std::wstring>> attrs;
  std::wstring text;
};

// The tree while it is built: linked both ways, so that misnested markup can be repaired.
struct BuildNode {
  Node::Kind kind = Node::Kind::kElement;
  Tag tag = Tag::kUnknown;
  uint32_t textLength = 0;
  const wchar_t* text = nullptr;
  uint32_t attrCount = 0;
  const Attribute* attrs = nullptr;
  BuildNode* parent = nullptr;
  BuildNode* first = nullptr;
  BuildNode* last = nullptr;
  BuildNode* next = nullptr;

  bool IsElement(Tag t) const { return kind == Node::Kind::kElement && tag == t; }
  bool HasAttr(const std::string& name) const {
    for (const Attribute* a = attrs; a != attrs + attrCount; ++a) {
      if (a->name.size() == name.size() && std::equal(name.begin(), name.end(), a->name.begin()))
        return true;
    }
    return false;
  }
  BuildNode* Append(BuildNode* child) {
    child->parent = this;
    (last ? last->next : first) = child;
    last = child;
    return child;
  }
};

class TreeBuilder {
 public:
  explicit TreeBuilder(Document& doc, size_t textLength)
      : doc_(doc),
        // Taken in large blocks, which the heap gives back when the tree has been copied out.
        arena_(std::max<size_t>(4096, textLength * 6), 16 << 20),
        body_(arena_.New<BuildNode>()) {
    body_->tag = Tag::kBody;
    stack_.push_back(body_);
  }

  // Copies the tree into `doc_`'s array of nodes and its characters.
  void Finish() {
    // Made at their exact sizes once: nodes point into the characters and attributes.
    size_t nodes = 0, chars = 0, attrs = 0;
    Count(body_, nodes, chars, attrs);
    if (frameset_)
      Count(frameset_, nodes, chars, attrs);
    doc_.nodes.reset(new Node[nodes]());
    doc_.chars = std::vector<wchar_t>(chars);
    doc_.attributes.reset(new Attribute[attrs]);
    Flatten(body_);
    doc_.body = doc_.nodes.get();
    if (frameset_)
      doc_.frameset = doc_.nodes.get() + Flatten(frameset_);
  }

  void Text(std::wstring text) {
    if (text.empty())
      return;
    if (framesetMode_)
      return;
    BuildNode* cur = stack_.back();
    if (IsTableContext(cur)) {
      if (std::all_of(text.begin(), text.end(), IsSpace))
        return;
      BuildNode* table = TableOf(cur);
      InsertTextBefore(table, text);
      return;
    }
    BuildNode* last = cur->last;
    if (!last || last->kind != Node::Kind::kText)
      last = cur->Append(MakeText());
    AddChars(last, text);
  }

  void Start(Token& t) {
    Tag tag = t.tag;
    switch (tag) {
      case Tag::kHtml:
      case Tag::kHead:
      case Tag::kMeta:
      case Tag::kLink:
      case Tag::kBase:
      case Tag::kBasefont:
        return;
      case Tag::kBody:
        if (!framesetMode_)
          AddAttributes(body_, t.attrs);
        return;
      default:
        break;
    }
    if (framesetMode_) {
      StartInFrameset(t);
      return;
    }
    if (tag == Tag::kFrameset && !BodyHasContent()) {
      framesetMode_ = true;
      frameset_ = MakeElement(t);
      stack_.assign(1, frameset_);
      return;
    }
    if (tag == Tag::kFrameset || tag == Tag::kFrame)
      return;  // frames after content: the content wins
    if (ClosesParagraph(tag))
      CloseInScope(Tag::kP);
    switch (tag) {
      case Tag::kLi:
        CloseListItem({Tag::kLi}, {Tag::kUl, Tag::kOl, Tag::kMenu, Tag::kDir});
        break;
      case Tag::kDt:
      case Tag::kDd:
        CloseListItem({Tag::kDt, Tag::kDd}, {Tag::kDl});
        break;
      case Tag::kOption:
        CloseListItem({Tag::kOption}, {Tag::kSelect});
        break;
      case Tag::kA:
        CloseInScope(Tag::kA);
        break;
      case Tag::kH1:
      case Tag::kH2:
      case Tag::kH3:
      case Tag::kH4:
      case Tag::kH5:
      case Tag::kH6:
        if (IsHeading(stack_.back()->tag))
          stack_.pop_back();
        break;
      case Tag::kTr:
        if (!OpenTableAbove())
          return;
        PopUntilAny({Tag::kTable, Tag::kTbody, Tag::kThead, Tag::kTfoot});
        break;
      case Tag::kTd:
      case Tag::kTh:
        if (!OpenTableAbove())
          return;
        PopUntilAny({Tag::kTr, Tag::kTable, Tag::kTbody, Tag::kThead, Tag::kTfoot});
        if (!stack_.back()->IsElement(Tag::kTr))
          PushSynthetic(Tag::kTr);
        break;
      case Tag::kTbody:
      case Tag::kThead:
      case Tag::kTfoot:
        if (!OpenTableAbove())
          return;
        PopUntilAny({Tag::kTable});
        break;
      case Tag::kCaption:
      case Tag::kCol:
      case Tag::kColgroup:
        if (!OpenTableAbove())
          return;
        PopUntilAny({Tag::kTable});
        break;
      default:
        break;
    }
    // Their text comes through TitleText or is dropped.
    if (tag == Tag::kTitle || tag == Tag::kScript || tag == Tag::kStyle || tag == Tag::kTextarea)
      return;
    if (doc_.nodeCount >= kMaxNodes)
      return;
    BuildNode* node = MakeElement(t);
    BuildNode* cur = stack_.back();
    bool fosterParent = IsTableContext(cur) && !IsTablePart(tag) && tag != Tag::kForm;
    BuildNode* placed = fosterParent ? InsertBefore(TableOf(cur), node) : cur->Append(node);
    if (IsVoid(tag))
      return;
    if (stack_.size() < kMaxDepth)
      stack_.push_back(placed);
  }

  void End(const Token& t) {
    Tag tag = t.tag;
    switch (tag) {
      case Tag::kHtml:
      case Tag::kHead:
      case Tag::kBody:
      case Tag::kTitle:
        return;
      case Tag::kBr:
        if (!framesetMode_) {
          Token br;
          br.kind = Token::Kind::kStart;
          br.tag = Tag::kBr;
          Start(br);
        }
        return;
      default:
        break;
    }
    if (tag == Tag::kUnknown || IsVoid(tag))
      return;
    if (framesetMode_ && tag == Tag::kNoframes) {
      noframes_ = false;
      return;
    }
    // The nearest open element of that kind, not looking past a table cell or table (an end
    // tag inside a cell does not close what is open around the table).
    size_t found = 0;
    for (size_t i = stack_.size(); i-- > 1;) {
      BuildNode* n = stack_[i];
      if (n->tag == tag) {
        found = i;
        break;
      }
      if (!IsTablePart(tag) && (n->tag == Tag::kTd || n->tag == Tag::kTh || n->tag == Tag::kTable))
        return;
      if (tag == Tag::kTr && n->tag == Tag::kTable)
        return;
    }
    if (found == 0)
      return;
    // Formatting closed on the way out is opened again after it, so that misnested markup
    // (<b><i>x</b>y</i>) keeps its look.
    std::vector<BuildNode*> reopen;
    if (IsFormatting(tag)) {
      for (size_t i = found + 1; i < stack_.size() && reopen.size() < 8; ++i) {
        if (IsFormatting(stack_[i]->tag))
          reopen.push_back(stack_[i]);
      }
    }
    stack_.resize(found);
    for (BuildNode* f : reopen) {
      if (doc_.nodeCount >= kMaxNodes)
        break;
      BuildNode* copy = arena_.New<BuildNode>();
      copy->tag = f->tag;
      copy->attrs = f->attrs;  // shared: attributes never change once read
      copy->attrCount = f->attrCount;
      ++doc_.nodeCount;
      BuildNode* placed = stack_.back()->Append(copy);
      if (stack_.size() < kMaxDepth)
        stack_.push_back(placed);
    }
  }

  void TitleText(const std::wstring& raw) {
    if (!doc_.title.empty())
      return;
    std::wstring decoded = DecodeReferences(raw);
    std::wstring out;
    bool space = false;
    for (wchar_t c : decoded) {
      if (IsSpace(c) || c == 0xA0) {
        space = !out.empty();
        continue;
      }
      if (space)
        out.push_back(' ');
      space = false;
      out.push_back(c);
    }
    doc_.title = out;
  }

 private:
  static bool IsTableContext(const BuildNode* n) {
    return n->tag == Tag::kTable || n->tag == Tag::kTbody || n->tag == Tag::kThead ||
           n->tag == Tag::kTfoot || n->tag == Tag::kTr;
  }
  static BuildNode* TableOf(BuildNode* n) {
    while (n && !n->IsElement(Tag::kTable))
      n = n->parent;
    return n;
  }

  BuildNode* MakeElement(Token& t) {
    BuildNode* node = arena_.New<BuildNode>();
    node->tag = t.tag;
    AddAttributes(node, t.attrs);
    ++doc_.nodeCount;
    return node;
  }
  BuildNode* MakeText() {
    BuildNode* node = arena_.New<BuildNode>();
    node->kind = Node::Kind::kText;
    ++doc_.nodeCount;
    return node;
  }

  // Inside <pre> and its kin white space is shown as written; elsewhere the layout shows any
  // run of it as one space, so it is stored that way.
  static bool Preformatted(const BuildNode* n) {
    for (; n; n = n->parent) {
      if (n->tag == Tag::kPre || n->tag == Tag::kXmp || n->tag == Tag::kListing ||
          n->tag == Tag::kPlaintext)
        return true;
    }
    return false;
  }

  // Adds `more` to the text of `node` (the last text of its parent).
  void AddChars(BuildNode* node, const std::wstring& more) {
    const std::wstring* add = &more;
    if (!Preformatted(node->parent)) {
      collapsed_.clear();
      bool space = node->textLength > 0 && node->text[node->textLength - 1] == ' ';
      for (wchar_t c : more) {
        if (IsSpace(c)) {
          if (!space)
            collapsed_.push_back(' ');
          space = true;
        } else {
          collapsed_.push_back(c);
          space = false;
        }
      }
      add = &collapsed_;
    }
    size_t old = node->textLength, n = add->size();
    if (n == 0)
      return;
    wchar_t* chars;
    if (old > 0 && arena_.Extend(node->text, old * sizeof(wchar_t), n * sizeof(wchar_t))) {
      // The arena's memory: const only to the tree's readers.
      chars = const_cast<wchar_t*>(node->text);
    } else {
      chars = static_cast<wchar_t*>(arena_.Allocate((old + n) * sizeof(wchar_t), alignof(wchar_t)));
      std::copy(node->text, node->text + old, chars);
      node->text = chars;
    }
    std::copy(add->begin(), add->end(), chars + old);
    node->textLength = static_cast<uint32_t>(old + n);
  }

  // Inserts `node` into the parent of `table`, just before it (content written between table
  // rows shows above the table, as browsers do).
  BuildNode* InsertBefore(BuildNode* table, BuildNode* node) {
    if (!table || !table->parent)
      return stack_.back()->Append(node);
    BuildNode* parent = table->parent;
    BuildNode* before = nullptr;
    for (BuildNode* c = parent->first; c != table; c = c->next)
      before = c;
    node->parent = parent;
    node->next = table;
    (before ? before->next : parent->first) = node;
    return node;
  }
  void InsertTextBefore(BuildNode* table, const std::wstring& text) {
    BuildNode* parent = table ? table->parent : nullptr;
    BuildNode* before = nullptr;
    for (BuildNode* c = parent ? parent->first : nullptr; c != table; c = c->next)
      before = c;
    if (!before || before->kind != Node::Kind::kText)
      before = InsertBefore(table, MakeText());
    AddChars(before, text);
  }

  // Adds those of `attrs` that `node` has not got yet (its attributes are copied to a new array,
  // since a reopened element shares them).
  void AddAttributes(BuildNode* node,
                     const std::vector<std::pair<std::string, std::wstring>>& attrs) {
    if (attrs.empty())
      return;
    auto* all = static_cast<Attribute*>(
        arena_.Allocate((node->attrCount + attrs.size()) * sizeof(Attribute), alignof(Attribute)));
    size_t count = std::copy(node->attrs, node->attrs + node->attrCount, all) - all;
    for (const auto& a : attrs) {
      if (node->HasAttr(a.first) || count >= kMaxAttributes)
        continue;
      std::wstring name(a.first.begin(), a.first.end());
      new (all + count++)
          Attribute{{arena_.Copy(name.data(), name.size()), name.size()},
                    {arena_.Copy(a.second.data(), a.second.size()), a.second.size()}};
    }
    node->attrs = all;
    node->attrCount = static_cast<uint32_t>(count);
  }

  bool BodyHasContent() const {
    for (const BuildNode* c = body_->first; c; c = c->next) {
      if (c->kind == Node::Kind::kElement)
        return true;
      if (!std::all_of(c->text, c->text + c->textLength, IsSpace))
        return true;
    }
    return false;
  }

  void StartInFrameset(Token& t) {
    if (t.tag == Tag::kNoframes) {
      // Kept aside so a frame document's alternative text never mixes with the frames.
      noframes_ = true;
      return;
    }
    if (noframes_)
      return;
    if (t.tag != Tag::kFrameset && t.tag != Tag::kFrame)
      return;
    BuildNode* placed = stack_.back()->Append(MakeElement(t));
    if (t.tag == Tag::kFrameset && stack_.size() < 8)
      stack_.push_back(placed);
  }

  void PushSynthetic(Tag tag) {
    BuildNode* node = arena_.New<BuildNode>();
    node->tag = tag;
    ++doc_.nodeCount;
    BuildNode* placed = stack_.back()->Append(node);
    if (stack_.size() < kMaxDepth)
      stack_.push_back(placed);
  }

  // Whether a table is open (table parts outside any table are dropped).
  bool OpenTableAbove() const {
    for (size_t i = stack_.size(); i-- > 1;) {
      if (stack_[i]->tag == Tag::kTable)
        return true;
    }
    return false;
  }

  void PopUntilAny(std::initializer_list<Tag> tags) {
    while (stack_.size() > 1 &&
           std::find(tags.begin(), tags.end(), stack_.back()->tag) == tags.end())
      stack_.pop_back();
  }

  // Closes the open `tag` unless a table, cell or list item lies in between.
  void CloseInScope(Tag tag) {
    for (size_t i = stack_.size(); i-- > 1;) {
      Tag t = stack_[i]->tag;
      if (t == tag) {
        stack_.resize(i);
        return;
      }
      if (t == Tag::kTable || t == Tag::kTd || t == Tag::kTh || t == Tag::kCaption)
        return;
    }
  }

  // Closes an open item of `items` when no list of `lists` (or table) lies in between.
  void CloseListItem(std::initializer_list<Tag> items, std::initializer_list<Tag> lists) {
    for (size_t i = stack_.size(); i-- > 1;) {
      Tag t = stack_[i]->tag;
      if (std::find(items.begin(), items.end(), t) != items.end()) {
        stack_.resize(i);
        return;
      }
      if (std::find(lists.begin(), lists.end(), t) != lists.end() || t == Tag::kTable ||
          t == Tag::kTd || t == Tag::kTh)
        return;
    }
  }

  static void Count(const BuildNode* n, size_t& nodes, size_t& chars, size_t& attrs) {
    ++nodes;
    chars += n->textLength;
    attrs += n->attrCount;
    for (const Attribute* a = n->attrs; a != n->attrs + n->attrCount; ++a)
      chars += a->name.size() + a->value.size();
    for (const BuildNode* c = n->first; c; c = c->next)
      Count(c, nodes, chars, attrs);
  }
  std::wstring_view Keep(std::wstring_view text) {
    wchar_t* at = doc_.chars.data() + charsKept_;
    std::copy(text.begin(), text.end(), at);
    charsKept_ += text.size();
    return {at, text.size()};
  }
  // Appends `n` and what is below it; returns its index.
  size_t Flatten(const BuildNode* n) {
    size_t at = nodesKept_++;
    Node& out = doc_.nodes[at];
    out.kind = n->kind;
    out.tag = n->tag;
    out.hasChildren = n->first != nullptr;
    if (n->kind == Node::Kind::kText) {
      out.text = Keep({n->text, n->textLength}).data();
      out.length = n->textLength;
    } else {
      out.attrs = doc_.attributes.get() + attrsKept_;
      out.length = n->attrCount;
      for (const Attribute* a = n->attrs; a != n->attrs + n->attrCount; ++a)
        doc_.attributes[attrsKept_++] = {Keep(a->name), Keep(a->value)};
    }
    size_t previous = 0;
    for (const BuildNode* c = n->first; c; c = c->next) {
      size_t child = Flatten(c);
      if (previous)
        doc_.nodes[previous].nextOffset = static_cast<uint32_t>(child - previous);
      previous = child;
    }
    return at;
  }

  Document& doc_;
  size_t nodesKept_ = 0, charsKept_ = 0, attrsKept_ = 0;
  Arena arena_;
  BuildNode* body_;
  BuildNode* frameset_ = nullptr;
  std::vector<BuildNode*> stack_;
  std::wstring collapsed_;
  bool framesetMode_ = false;
  bool noframes_ = false;
};

class Tokenizer {
 public:
  Tokenizer(const std::wstring& text, TreeBuilder& builder) : s_(text), b_(builder) {}

  void Run() {
    size_t textStart = 0;
    while (i_ < s_.size()) {
      if (s_[i_] != '<') {
        ++i_;
        continue;
      }
      size_t lt = i_;
      wchar_t next = lt + 1 < s_.size() ? s_[lt + 1] : 0;
      bool markup = IsAsciiAlpha(next) || next == '!' || next == '?' ||
                    (next == '/' && lt + 2 < s_.size() && IsAsciiAlpha(s_[lt + 2]));
      if (!markup) {
        ++i_;
        continue;
      }
      FlushText(textStart, lt);
      if (next == '!') {
        SkipDeclaration();
      } else if (next == '?') {
        SkipTo('>');
      } else {
        ReadTag();
      }
      textStart = i_;
    }
    FlushText(textStart, s_.size());
  }

 private:
  void FlushText(size_t from, size_t to) {
    if (to > from)
      b_.Text(DecodeReferences(s_.substr(from, to - from)));
  }

  void SkipTo(wchar_t c) {
    size_t at = s_.find(c, i_);
    i_ = at == std::wstring::npos ? s_.size() : at + 1;
  }

  void SkipDeclaration() {
    if (s_.compare(i_, 4, L"<!--") == 0) {
      size_t end = s_.find(L"-->", i_ + 4);
      if (end == std::wstring::npos) {
        // An unclosed comment hides nothing beyond its own line in practice; browsers differ.
        // Ending it at the next '>' keeps the rest of the document readable.
        SkipTo('>');
      } else {
        i_ = end + 3;
      }
      return;
    }
    SkipTo('>');
  }

  void SkipSpace() {
    while (i_ < s_.size() && IsSpace(s_[i_]))
      ++i_;
  }

  void ReadTag() {
    Token t;
    ++i_;  // '<'
    if (s_[i_] == '/') {
      t.kind = Token::Kind::kEnd;
      ++i_;
    } else {
      t.kind = Token::Kind::kStart;
    }
    while (i_ < s_.size() && !IsSpace(s_[i_]) && s_[i_] != '>' && s_[i_] != '/') {
      if (t.name.size() < 32)
        t.name.push_back(LowerAscii(s_[i_]));
      ++i_;
    }
    t.tag = TagFromName(t.name);
    ReadAttributes(t);
    if (t.kind == Token::Kind::kEnd) {
      b_.End(t);
      return;
    }
    Tag tag = t.tag;
    b_.Start(t);
    if (tag == Tag::kPlaintext) {
      b_.Text(s_.substr(i_));
      i_ = s_.size();
    } else if (IsRawText(tag)) {
      ReadRawText(t.name, tag);
    }
  }

  void ReadAttributes(Token& t) {
    while (i_ < s_.size()) {
      SkipSpace();
      if (i_ >= s_.size())
        return;
      wchar_t c = s_[i_];
      if (c == '>') {
        ++i_;
        return;
      }
      if (c == '/' || c == '"' || c == '\'' || c == '=') {
        ++i_;
        continue;
      }
      if (c == '<') {
        return;  // a tag left open: the next one starts here
      }
      std::string name;
      while (i_ < s_.size() && !IsSpace(s_[i_]) && s_[i_] != '>' && s_[i_] != '=' &&
             s_[i_] != '/' && s_[i_] != '<') {
        if (name.size() < 32)
          name.push_back(LowerAscii(s_[i_]));
        ++i_;
      }
      SkipSpace();
      std::wstring value;
      if (i_ < s_.size() && s_[i_] == '=') {
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && (s_[i_] == '"' || s_[i_] == '\'')) {
          wchar_t q = s_[i_++];
          size_t end = s_.find(q, i_);
          if (end == std::wstring::npos)
            end = s_.size();
          value = s_.substr(i_, end - i_);
          i_ = std::min(end + 1, s_.size());
        } else {
          size_t start = i_;
          while (i_ < s_.size() && !IsSpace(s_[i_]) && s_[i_] != '>')
            ++i_;
          value = s_.substr(start, i_ - start);
        }
      }
      bool known = std::any_of(t.attrs.begin(), t.attrs.end(),
                               [&](const auto& a) { return a.first == name; });
      if (!name.empty() && !known && t.attrs.size() < kMaxAttributes)
        t.attrs.emplace_back(name, DecodeReferences(value));
    }
  }

  void ReadRawText(const std::string& name, Tag tag) {
    size_t start = i_;
    size_t end = start;
    while (true) {
      end = s_.find(L"</", end);
      if (end == std::wstring::npos) {
        end = s_.size();
        break;
      }
      bool match = end + 2 + name.size() <= s_.size();
      for (size_t k = 0; match && k < name.size(); ++k)
        match = LowerAscii(s_[end + 2 + k]) == name[k];
      if (match)
        break;
      end += 2;
    }
    std::wstring raw = s_.substr(start, end - start);
    i_ = end;
    if (end < s_.size())
      SkipTo('>');
    if (tag == Tag::kTitle) {
      b_.TitleText(raw);
    } else if (tag == Tag::kXmp) {
      b_.Text(raw);
      Token close;
      close.kind = Token::Kind::kEnd;
      close.tag = tag;
      b_.End(close);
    } else if (tag == Tag::kTextarea) {
      Token close;
      close.kind = Token::Kind::kEnd;
      close.tag = tag;
      b_.End(close);
    }
  }

  const std::wstring& s_;
  TreeBuilder& b_;
  size_t i_ = 0;
};

}  // namespace

std::wstring DecodeReferences(const std::wstring& text) {
  if (text.find('&') == std::wstring::npos)
    return text;
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      size_t next = ReadReference(text, i, out);
      if (next != i) {
        i = next;
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

Document ParseHtml(std::wstring text) {
  Document doc;
  TreeBuilder builder(doc, std::min(text.size(), kMaxDocumentChars));
  if (text.size() > kMaxDocumentChars) {
    doc.truncated = true;
    text.resize(kMaxDocumentChars);
  }
  {
    std::wstring read = std::move(text);
    Tokenizer(read, builder).Run();
  }
  builder.Finish();
  return doc;
}

}  // namespace kolvar::htmlview
