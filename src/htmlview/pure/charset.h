// Turning a document's bytes into text: the byte order mark, the charset its <meta> declares,
// or the Central European Windows code page the instructions were written in.
#pragma once

#include <string>

namespace kolvar::htmlview {

enum class Charset {
  kWindows1250,
  kWindows1252,
  kIso8859_2,
  kIso8859_16,
  kUtf8,
  kUtf16Le,
  kUtf16Be
};

// The charset named by `label` ("windows-1250", "ISO-8859-2", "utf-8", aliases, any case);
// `fallback` when the label is not one we read.
Charset CharsetFromLabel(const std::string& label, Charset fallback);

// The charset of `bytes`: a byte order mark first, then a charset declared in the first few
// kilobytes (a <meta> charset or content type), else windows-1250.
Charset DetectCharset(const std::string& bytes);

// Appends code point `cp` to `out` (as a surrogate pair where wchar_t is 16 bits wide).
void AppendCodePoint(std::wstring& out, char32_t cp);

// `bytes` decoded as `charset`, without a byte order mark. Bytes that are not valid in the
// charset become U+FFFD; never fails.
std::wstring Decode(const std::string& bytes, Charset charset);

// DetectCharset then Decode.
std::wstring DecodeDocument(const std::string& bytes);

}  // namespace kolvar::htmlview
