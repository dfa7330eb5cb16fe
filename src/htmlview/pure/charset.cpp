#include "htmlview/pure/charset.h"

#include <algorithm>
#include <cctype>

#include "htmlview/pure/code_pages.h"

namespace kolvar::htmlview {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// How far into a document a charset declaration is looked for.
constexpr size_t kSniffBytes = 4096;

void DecodeUtf8(const std::string& bytes, size_t i, std::wstring& out) {
  const size_t n = bytes.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, min = 0x10000;
    }
    if (len == 0 || i + len > n) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += len;
  }
}

void DecodeUtf16(const std::string& bytes, size_t i, bool bigEndian, std::wstring& out) {
  for (; i + 1 < bytes.size(); i += 2) {
    unsigned char a = static_cast<unsigned char>(bytes[i]);
    unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
    char32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      unsigned char c = static_cast<unsigned char>(bytes[i + 2]);
      unsigned char d = static_cast<unsigned char>(bytes[i + 3]);
      char32_t low = bigEndian ? (c << 8 | d) : (d << 8 | c);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF)
      unit = 0xFFFD;
    out.push_back(static_cast<wchar_t>(unit));
  }
}

size_t BomLength(const std::string& bytes, Charset charset) {
  auto starts = [&](const char* bom, size_t len) {
    return bytes.size() >= len && bytes.compare(0, len, bom, len) == 0;
  };
  switch (charset) {
    case Charset::kUtf8:
      return starts("\xEF\xBB\xBF", 3) ? 3 : 0;
    case Charset::kUtf16Le:
      return starts("\xFF\xFE", 2) ? 2 : 0;
    case Charset::kUtf16Be:
      return starts("\xFE\xFF", 2) ? 2 : 0;
    default:
      return 0;
  }
}

}  // namespace

void AppendCodePoint(std::wstring& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    cp = 0xFFFD;
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}

Charset CharsetFromLabel(const std::string& label, Charset fallback) {
  std::string l = Lower(label);
  l.erase(
      std::remove_if(l.begin(), l.end(), [](char c) { return c == '"' || c == '\'' || c == ' '; }),
      l.end());
  if (l == "windows-1250" || l == "cp1250" || l == "x-cp1250")
    return Charset::kWindows1250;
  if (l == "windows-1252" || l == "cp1252" || l == "iso-8859-1" || l == "latin1" ||
      l == "us-ascii" || l == "ascii" || l == "iso8859-1")
    return Charset::kWindows1252;
  if (l == "iso-8859-2" || l == "iso8859-2" || l == "latin2" || l == "iso_8859-2")
    return Charset::kIso8859_2;
  if (l == "iso-8859-16" || l == "iso8859-16" || l == "latin10")
    return Charset::kIso8859_16;
  if (l == "utf-8" || l == "utf8")
    return Charset::kUtf8;
  if (l == "utf-16" || l == "utf-16le")
    return Charset::kUtf16Le;
  if (l == "utf-16be")
    return Charset::kUtf16Be;
  return fallback;
}

Charset DetectCharset(const std::string& bytes) {
  if (BomLength(bytes, Charset::kUtf8))
    return Charset::kUtf8;
  if (BomLength(bytes, Charset::kUtf16Le))
    return Charset::kUtf16Le;
  if (BomLength(bytes, Charset::kUtf16Be))
    return Charset::kUtf16Be;
  std::string head = Lower(bytes.substr(0, kSniffBytes));
  // Only a declaration inside a tag counts ("charset=" in running text does not).
  for (size_t at = head.find("charset"); at != std::string::npos;
       at = head.find("charset", at + 7)) {
    size_t open = head.rfind('<', at);
    size_t close = head.rfind('>', at);
    if (open == std::string::npos || (close != std::string::npos && close > open))
      continue;
    size_t i = at + 7;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t'))
      ++i;
    if (i >= head.size() || head[i] != '=')
      continue;
    ++i;
    while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\''))
      ++i;
    size_t end = i;
    while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) ||
                                 head[end] == '-' || head[end] == '_'))
      ++end;
    Charset found = CharsetFromLabel(head.substr(i, end - i), Charset::kWindows1250);
    // A page that says UTF-16 in its own (single-byte readable) text cannot be UTF-16.
    if (found == Charset::kUtf16Le || found == Charset::kUtf16Be)
      found = Charset::kUtf8;
    return found;
  }
  return Charset::kWindows1250;
}

std::wstring Decode(const std::string& bytes, Charset charset) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t start = BomLength(bytes, charset);
  const uint16_t* high = nullptr;
  switch (charset) {
    case Charset::kUtf8:
      DecodeUtf8(bytes, start, out);
      return out;
    case Charset::kUtf16Le:
    case Charset::kUtf16Be:
      DecodeUtf16(bytes, start, charset == Charset::kUtf16Be, out);
      return out;
    case Charset::kWindows1250:
      high = kCp1250High;
      break;
    case Charset::kWindows1252:
      high = kCp1252High;
      break;
    case Charset::kIso8859_2:
      high = kIso8859_2High;
      break;
    case Charset::kIso8859_16:
      high = kIso8859_16High;
      break;
  }
  for (size_t i = start; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    out.push_back(static_cast<wchar_t>(c < 0x80 ? c : high[c - 0x80]));
  }
  return out;
}

std::wstring DecodeDocument(const std::string& bytes) {
  return Decode(bytes, DetectCharset(bytes));
}

}  // namespace kolvar::htmlview
