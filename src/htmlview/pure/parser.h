// The tolerant reader of old, loose HTML: a tokenizer and a tree builder that accept whatever
// authoring tools wrote (unclosed and misnested tags, unquoted attributes, stray markup) and
// always end with a tree.
#pragma once

#include <cstddef>
#include <string>

#include "htmlview/pure/dom.h"

namespace kolvar::htmlview {

// Limits that keep any input cheap to read.
inline constexpr size_t kMaxDocumentChars = 4 * 1024 * 1024;  // longer text is cut
inline constexpr size_t kMaxDepth = 96;                       // deeper elements are flattened
inline constexpr size_t kMaxAttributes = 64;                  // per tag
inline constexpr size_t kMaxNodes = 250000;                   // further tags are ignored

// `text` with its character references (&amp; &#351; &#x219;) replaced. Unknown or broken
// references stay as written.
std::wstring DecodeReferences(const std::wstring& text);

// Builds the tree of `text`. Never fails: anything unexpected is read as text or dropped.
// The title is the text of the first <title>, with white space collapsed.
// `text` is let go before the tree is copied out, so that the tree may take its room.
Document ParseHtml(std::wstring text);

}  // namespace kolvar::htmlview
