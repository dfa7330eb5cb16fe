#include "htmlview/pure/style.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/text.h"

namespace kolvar::htmlview {

namespace {

struct NamedColor {
  const char* name;
  Rgb rgb;
};

// The sixteen HTML colours and the other names old documents use; sorted by name.
constexpr NamedColor kColors[] = {
    {"aqua", 0x00FFFF},      {"beige", 0xF5F5DC},       {"black", 0x000000},
    {"blue", 0x0000FF},      {"brown", 0xA52A2A},       {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},  {"darkgray", 0xA9A9A9},    {"darkgreen", 0x006400},
    {"darkred", 0x8B0000},   {"fuchsia", 0xFF00FF},     {"gold", 0xFFD700},
    {"gray", 0x808080},      {"green", 0x008000},       {"grey", 0x808080},
    {"lightblue", 0xADD8E6}, {"lightgray", 0xD3D3D3},   {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00},
    {"magenta", 0xFF00FF},   {"maroon", 0x800000},      {"navy", 0x000080},
    {"olive", 0x808000},     {"orange", 0xFFA500},      {"pink", 0xFFC0CB},
    {"purple", 0x800080},    {"red", 0xFF0000},         {"silver", 0xC0C0C0},
    {"teal", 0x008080},      {"white", 0xFFFFFF},       {"yellow", 0xFFFF00},
};

std::string LowerTrimmed(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
      continue;
    if (c > 0x7F)
      return "";
    out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::wstring Trim(std::wstring_view s) {
  return Trimmed(s, L" \t\r\n\"'");
}

// Pixels of a CSS font size; nothing when unreadable.
std::optional<int> CssFontSize(const std::string& v, int parentPx) {
  static const struct {
    const char* name;
    int size;
  } kKeywords[] = {{"xx-small", 1}, {"x-small", 1}, {"small", 2},   {"medium", 3},
                   {"large", 4},    {"x-large", 5}, {"xx-large", 6}};
  for (const auto& k : kKeywords) {
    if (v == k.name)
      return FontSizePixels(k.size);
  }
  if (v == "smaller")
    return std::max(6, parentPx * 5 / 6);
  if (v == "larger")
    return parentPx * 6 / 5;
  double number = 0;
  size_t i = 0;
  bool digits = false;
  while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
    number = number * 10 + (v[i++] - '0');
    digits = true;
    if (number > 10000)
      return std::nullopt;
  }
  if (i < v.size() && v[i] == '.') {
    double scale = 0.1;
    for (++i; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i, scale /= 10) {
      number += (v[i] - '0') * scale;
      digits = true;
    }
  }
  if (!digits)
    return std::nullopt;
  std::string unit = v.substr(i);
  double px;
  if (unit == "px" || unit.empty())
    px = number;
  else if (unit == "pt")
    px = number * 96 / 72;
  else if (unit == "em")
    px = number * parentPx;
  else if (unit == "%")
    px = number * parentPx / 100;
  else
    return std::nullopt;
  return std::clamp(static_cast<int>(px + 0.5), 4, 200);
}

}  // namespace

std::optional<Rgb> ParseColor(std::wstring_view text) {
  std::string v = LowerTrimmed(text);
  if (v.empty())
    return std::nullopt;
  if (v.compare(0, 4, "rgb(") == 0) {
    int parts[3] = {0, 0, 0};
    int n = 0;
    bool inNumber = false;
    for (size_t i = 4; i < v.size() && n < 3; ++i) {
      if (v[i] >= '0' && v[i] <= '9') {
        parts[n] = std::min(255, parts[n] * 10 + (v[i] - '0'));
        inNumber = true;
      } else if (inNumber) {
        ++n;
        inNumber = false;
      }
    }
    return static_cast<Rgb>(parts[0] << 16 | parts[1] << 8 | parts[2]);
  }
  auto it = std::lower_bound(std::begin(kColors), std::end(kColors), v,
                             [](const NamedColor& c, const std::string& n) { return n > c.name; });
  if (it != std::end(kColors) && v == it->name)
    return it->rgb;
  if (v[0] == '#')
    v.erase(0, 1);
  if (v.size() == 3) {
    Rgb rgb = 0;
    for (char c : v) {
      int d = HexDigit(c);
      if (d < 0)
        return std::nullopt;
      rgb = rgb << 8 | static_cast<Rgb>(d * 17);
    }
    return rgb;
  }
  if (v.size() != 6)
    return std::nullopt;
  Rgb rgb = 0;
  for (char c : v) {
    int d = HexDigit(c);
    if (d < 0)
      return std::nullopt;
    rgb = rgb << 4 | static_cast<Rgb>(d);
  }
  return rgb;
}

int Length::Resolve(int whole, int fallback) const {
  switch (unit) {
    case Unit::kPixels:
      return value;
    case Unit::kPercent:
      return static_cast<int>(static_cast<long long>(whole) * value / 100);
    default:
      return fallback;
  }
}

Length ParseLength(std::wstring_view text, int max) {
  Length len;
  std::string v = LowerTrimmed(text);
  size_t i = 0;
  long long n = 0;
  while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
    n = std::min<long long>(n * 10 + (v[i] - '0'), max);
    ++i;
  }
  if (i == 0)
    return len;
  while (i < v.size() && (v[i] == '.' || (v[i] >= '0' && v[i] <= '9')))
    ++i;
  len.value = static_cast<int>(n);
  if (i < v.size() && v[i] == '%') {
    len.unit = Length::Unit::kPercent;
    len.value = std::min(len.value, 100);
  } else {
    len.unit = Length::Unit::kPixels;
  }
  return len;
}

int ParseInt(std::wstring_view text, int fallback, int max) {
  Length l = ParseLength(text, max);
  return l.unit == Length::Unit::kPixels ? l.value : fallback;
}

int FontSizePixels(int htmlSize) {
  static const int kPixels[] = {10, 13, 16, 18, 24, 32, 48};
  return kPixels[std::clamp(htmlSize, 1, 7) - 1];
}

int ParseFontSize(std::wstring_view text, int current) {
  std::string v = LowerTrimmed(text);
  if (v.empty())
    return current;
  int sign = 0;
  size_t i = 0;
  if (v[0] == '+' || v[0] == '-') {
    sign = v[0] == '+' ? 1 : -1;
    i = 1;
  }
  int n = 0;
  bool digits = false;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
    n = std::min(n * 10 + (v[i] - '0'), 100);
    digits = true;
  }
  if (!digits)
    return current;
  // Relative sizes count from the normal size, as <basefont> is not read.
  int size = sign == 0 ? n : 3 + sign * n;
  return std::clamp(size, 1, 7);
}

Align ParseAlign(std::wstring_view text) {
  std::string v = LowerTrimmed(text);
  if (v == "left")
    return Align::kLeft;
  if (v == "center" || v == "middle")
    return Align::kCenter;
  if (v == "right")
    return Align::kRight;
  if (v == "justify")
    return Align::kJustify;
  return Align::kDefault;
}

VAlign ParseVAlign(std::wstring_view text) {
  std::string v = LowerTrimmed(text);
  if (v == "top" || v == "texttop")
    return VAlign::kTop;
  if (v == "middle" || v == "center" || v == "absmiddle")
    return VAlign::kMiddle;
  if (v == "bottom" || v == "absbottom")
    return VAlign::kBottom;
  if (v == "baseline")
    return VAlign::kBaseline;
  return VAlign::kDefault;
}

std::wstring FirstFace(std::wstring_view list) {
  return Trim(list.substr(0, list.find(',')));
}

InlineStyle ParseInlineStyle(std::wstring_view text, int parentPx) {
  InlineStyle style;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::wstring::npos)
      end = text.size();
    std::wstring_view decl = text.substr(start, end - start);
    start = end + 1;
    size_t colon = decl.find(':');
    if (colon == std::wstring::npos)
      continue;
    std::string name = LowerTrimmed(decl.substr(0, colon));
    std::wstring rawValue = Trim(decl.substr(colon + 1));
    std::string value = LowerTrimmed(rawValue);
    if (value.size() > 10 && value.compare(value.size() - 10, 10, "!important") == 0)
      value.erase(value.size() - 10);
    if (name == "color") {
      style.color = ParseColor(rawValue);
    } else if (name == "background-color" || name == "background") {
      style.background = ParseColor(rawValue);
    } else if (name == "font-size") {
      style.fontSizePx = CssFontSize(value, parentPx);
    } else if (name == "font-weight") {
      style.bold = value == "bold" || value == "bolder" || (value.size() == 3 && value >= "600");
    } else if (name == "font-style") {
      style.italic = value == "italic" || value == "oblique";
    } else if (name == "text-decoration") {
      style.underline = value.find("underline") != std::string::npos;
    } else if (name == "font-family") {
      style.fontFamily = FirstFace(rawValue);
    } else if (name == "text-align") {
      style.textAlign = ParseAlign(rawValue);
    } else if (name == "width") {
      style.width = ParseLength(rawValue);
    }
  }
  return style;
}

}  // namespace kolvar::htmlview
