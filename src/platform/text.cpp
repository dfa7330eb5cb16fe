#include "platform/text.h"

#include <algorithm>

#include "platform/error.h"

namespace kolvar {

Error::Error(std::wstring message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c > 0xF4 || i + extra >= text.size()) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      ++i;
      continue;
    }
    char32_t cp = c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += extra + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      cp &= 0xFFFF;
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
        char32_t lo = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (lo >= 0xDC00 && lo <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      cp = kReplacement;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::wstring IncludeTrailingBackslash(std::wstring_view path) {
  std::wstring out = ExcludeTrailingBackslash(path);
  if (!path.empty())
    out.push_back(L'\\');
  return out;
}

std::wstring ExcludeTrailingBackslash(std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\')
    path.remove_suffix(1);
  return std::wstring(path);
}

std::wstring EscapeControlCharacters(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
      out += L"\\x" + HexText(static_cast<unsigned>(c), 2);
    else
      out += c;
  }
  return out;
}

std::wstring FolderWithoutTrailingBackslash(std::wstring_view folder) {
  std::wstring out = ExcludeTrailingBackslash(folder);
  if (out.size() == 2 && out[1] == L':' && folder.size() > 2)
    out += L'\\';
  return out;
}

bool IsRootedPath(std::wstring_view path) {
  auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
  if (path.size() >= 3 && letter(path[0]) && path[1] == L':' && path[2] == L'\\')
    return true;
  if (path.size() < 2 || path[0] != L'\\' || path[1] != L'\\')
    return false;
  size_t server = path.find(L'\\', 2);
  if (server == std::wstring_view::npos || server == 2)
    return false;
  size_t share = path.find(L'\\', server + 1);
  return (share == std::wstring_view::npos ? path.size() : share) > server + 1;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  if (folder.empty())
    return std::wstring(name);
  return IncludeTrailingBackslash(folder) + std::wstring(name);
}

std::wstring DecimalText(long long value) {
  // Work on the magnitude as unsigned so that the most negative value has a form too.
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  wchar_t digits[24];
  wchar_t* p = digits + sizeof digits / sizeof digits[0];
  do {
    *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0)
    *--p = L'-';
  return std::wstring(p, digits + sizeof digits / sizeof digits[0]);
}

WholeDivision DivideWhole(long long value, long long divisor) {
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  unsigned long long d = static_cast<unsigned long long>(divisor);
  unsigned long long quotient = magnitude / d, remainder = magnitude % d;
  if (value < 0) {
    quotient = 0ULL - quotient;
    remainder = 0ULL - remainder;
  }
  return {static_cast<long long>(quotient), static_cast<long long>(remainder)};
}

std::wstring HexText(unsigned long long value, int digits) {
  std::wstring out;
  do {
    out.insert(out.begin(), L"0123456789ABCDEF"[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(out.size()) < digits)
    out.insert(0, digits - out.size(), L'0');
  return out;
}

std::wstring Trimmed(std::wstring_view text, std::wstring_view blanks) {
  size_t begin = 0, end = text.size();
  while (begin < end && blanks.find(text[begin]) != std::wstring_view::npos)
    ++begin;
  while (end > begin && blanks.find(text[end - 1]) != std::wstring_view::npos)
    --end;
  return std::wstring(text.substr(begin, end - begin));
}

std::wstring AsciiUpper(std::wstring_view text) {
  std::wstring out(text);
  for (auto& c : out) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

bool EqualsNoCaseAscii(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

std::optional<std::string> EncodeExact(const CodePageConverter& converter,
                                       unsigned codePage,
                                       std::wstring_view text) {
  if (text.empty())
    return std::string();
  // The UTF code pages take neither the no-best-fit flag nor the default-character question:
  // asked with either, the system refuses every text.
  bool utf = codePage == kCodePageUtf7 || codePage == kCodePageUtf8;
  bool usedDefault = false;
  std::optional<std::string> bytes =
      converter.Encode(codePage, text, !utf, utf ? nullptr : &usedDefault);
  if (!bytes || usedDefault)
    return std::nullopt;
  // The round trip has the last word: some code pages map without reporting it, and the UTF
  // code pages silently replace unpaired surrogates.
  if (converter.Decode(codePage, *bytes) != text)
    return std::nullopt;
  return bytes;
}

void SortStrings(std::vector<std::wstring>& items,
                 bool (*less)(const std::wstring&, const std::wstring&)) {
  // Sorting the strings themselves would swap them, which links the library's whole swap of
  // two strings for a handful of sorts; pointers swap as plain words, and std::sort's moves
  // depend only on the comparisons, so the order is the same.
  std::vector<std::wstring*> order;
  order.reserve(items.size());
  for (std::wstring& item : items)
    order.push_back(&item);
  std::sort(order.begin(), order.end(),
            [less](const std::wstring* a, const std::wstring* b) { return less(*a, *b); });
  std::vector<std::wstring> sorted;
  sorted.reserve(items.size());
  for (std::wstring* item : order)
    sorted.push_back(std::move(*item));
  items = std::move(sorted);
}

}  // namespace kolvar
