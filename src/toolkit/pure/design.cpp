#include "toolkit/pure/design.h"

#include <vector>

#include "platform/text.h"
#include "toolkit/pure/design_presets.h"

namespace kolvar::toolkit {
namespace {

using V = DesignValue;

// Fallbacks that depend on values read before them.
enum class Derived { kNone, kTabStart, kTabEnd, kDarkTabStart, kDarkTabEnd, kContrastInactive };

struct NumberKey {
  V value;
  const wchar_t* pattern;  // '#' stands for the kind suffix
  int32_t fallback0;       // every kind but 1
  int32_t fallback1;
  Derived derived = Derived::kNone;
};

// Button faces and the bars have no fallback of their own in the settings; these are ours.
constexpr int32_t kDefaultMenuSelFont = 0x8A4507;
constexpr int32_t kDefaultBar = 0xDFDFDF;
constexpr int32_t kDefaultBarButton = 0xEFEFEF;
constexpr int32_t kDefaultButtonFace = 0x78695C;
constexpr int32_t kDefaultButtonFace2 = 0xA7792E;

// In the order presets are written. The first five follow the preset header.
constexpr NumberKey kNumberKeys[] = {
    {V::kTipDesign, L"TIPDESIGN_#", 3, 4},
    {V::kTitleBar, L"TITLEBAR_#", 0, 1},
    {V::kFlFont, L"COLOR_FLFont#", 0x7F7F7F, 0},
    {V::kFlSelFont, L"COLOR_FLSELFont#", 0xEFAE00, 0xC89200},
    {V::kModulFont, L"COLOR_MODULFont#", 0x7F7F7F, 0},
    {V::kModulSelFont, L"COLOR_ModulSELFont#", 0, 0},
    {V::kBoldMenuFont, L"BOLD_MENUFONT_#", 0, 0},
    {V::kSizeMenuFont, L"SIZE_MENUFONT_#", 8, 8},
    {V::kMenuFont, L"COLOR_MENUFONT_#", 0x403926, 0x403926},
    {V::kMenuSelFont, L"COLOR_MENUSELFONT_#", kDefaultMenuSelFont, kDefaultMenuSelFont},
    {V::kBoldFlFont, L"BOLD_FLFONT_#", 1, 1},
    {V::kSizeFlFont, L"SIZE_FLFONT_#", 8, 8},
    {V::kBoldModulFont, L"BOLD_MODULFONT_#", 1, 1},
    {V::kSizeModulFont, L"SIZE_ModulFONT_#", 8, 8},
    {V::kSubMenu, L"COLOR_SUBMENU_#", 0xCFCFCF, 0xCFCFCF},
    {V::kSubMenuSel, L"COLOR_SUBMENUSEL_#", 0xEFEFEF, 0xEFEFEF},
    {V::kSubMenuFont, L"COLOR_SUBMENUFONT_#", 0, 0},
    {V::kSubMenuSelFont, L"COLOR_SUBMENUSELFONT_#", 0, 0},
    {V::kBara, L"COLOR_BARA_#", kDefaultBar, kDefaultBar},
    {V::kButBara, L"COLOR_BUTBARA_#", kDefaultBarButton, kDefaultBarButton},
    {V::kBaraFont, L"COLOR_BARAFONT_#", 0, 0},
    {V::kBoldBara, L"BOLD_BARA_#", 1, 1},
    {V::kSizeBara, L"SIZE_BARA_#", 8, 8},
    {V::kBoldTab, L"BOLD_TAB_#", 1, 1},
    {V::kSizeTab, L"SIZE_TAB_#", 10, 10},
    {V::kTabFont, L"COLOR_TAB_#", 0, 0},
    {V::kModule, L"COLOR_MODULE_#", 0, 0},
    {V::kActivi, L"COLOR_ACTIVI_#", 0, 0},
    {V::kTabAsort, L"COLOR_TABASORT_#", 1, 1},
    {V::kBulinaF, L"TipBulinaF_#", 4, 4},
    {V::kBulinaD, L"TipBulinaD_#", 0, 0},
    {V::kTabStart, L"COLOR_TAB#_START", 0x976A28, 0x976A28},
    {V::kTabEnd, L"COLOR_TAB#_END", 0xCCCCCC, 0xCCCCCC},
    {V::kViewSel, L"COLOR_VIEWSEL_#", 0x9FD258, 0x9FD258},
    {V::kView, L"COLOR_VIEW_#", 0xB1AC81, 0xB1AC81},
    {V::kViewGrid, L"COLOR_VIEWGRID_#", 0xC0C0C0, 0xC0C0C0},
    {V::kListTitleStart, L"COLOR_LTIT#_START", 0, 0, Derived::kTabStart},
    {V::kListTitleEnd, L"COLOR_LTIT#_END", 0, 0, Derived::kTabEnd},
    {V::kListTitleFont, L"COLOR_LTITFont#", 0, 0},
    {V::kBoldListTitleFont, L"BOLD_LTITFONT_#", 1, 1},
    {V::kSizeListTitleFont, L"SIZE_LTITFONT_#", 8, 8},
    {V::kTabInactiveStart, L"COLOR_TABINACTIV#_START", 0, 0, Derived::kDarkTabStart},
    {V::kTabInactiveEnd, L"COLOR_TABINACTIV#_END", 0, 0, Derived::kDarkTabEnd},
    {V::kButtonFace, L"BFColor#_START", kDefaultButtonFace, kDefaultButtonFace},
    {V::kButtonFaceFont, L"BFFColor#_START", 0xF0F0F0, 0xF0F0F0},
    {V::kButtonFace2, L"BDColor#_START", kDefaultButtonFace2, kDefaultButtonFace2},
    {V::kButtonFace2Font, L"BDFColor#_START", 0xF0F0F0, 0xF0F0F0},
    {V::kSubunitFont, L"SubunitFColor#_START", 0, 0},
    {V::kUserFont, L"UserFColor#_START", 0, 0},
    {V::kTabInactive, L"COLOR_TABINACTIV_#", 0, 0, Derived::kContrastInactive},
    {V::kBackStart, L"COLOR_#_START", 0xBFBFBF, 0xBFBFBF},
    {V::kBackEnd, L"COLOR_#_END", 0xB7B7B7, 0xB7B7B7},
};
constexpr bool KeysFollowValues() {
  int i = 0;
  for (const NumberKey& key : kNumberKeys) {
    if (static_cast<int>(key.value) != i++)
      return false;
  }
  return i == kDesignValueCount;
}
static_assert(KeysFollowValues(), "one key per design value, in the order of DesignValue");

struct FontKey {
  DesignFont font;
  const wchar_t* pattern;
};
constexpr FontKey kFontKeys[] = {
    {DesignFont::kMenu, L"NAME_MENUFONT_#"},   {DesignFont::kList, L"NAME_FLFONT_#"},
    {DesignFont::kModul, L"NAME_ModulFONT_#"}, {DesignFont::kBara, L"NAME_BARA_#"},
    {DesignFont::kTab, L"NAME_TAB_#"},         {DesignFont::kListTitle, L"NAME_LTITFONT_#"},
};
constexpr const wchar_t* kDefaultFontName = L"MS Sans Serif";
constexpr size_t kMaxFontName = 100;
constexpr const wchar_t* kPresetSection = L"PKE_DESIGN";
constexpr const wchar_t* kBuiltInSuffix = L"DATE";

std::wstring KeyName(const wchar_t* pattern, std::wstring_view suffix) {
  std::wstring key;
  for (const wchar_t* p = pattern; *p; ++p) {
    if (*p == L'#') {
      key += suffix;
    } else {
      key += *p;
    }
  }
  return key;
}

// A decimal 32-bit value, signed or unsigned; nullopt for anything else.
std::optional<int32_t> ParseNumber(const std::wstring& text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+'))
    negative = text[pos++] == L'-';
  if (pos == text.size())
    return std::nullopt;
  long long value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < L'0' || text[pos] > L'9')
      return std::nullopt;
    value = value * 10 + (text[pos] - L'0');
    if (value > 0xFFFFFFFFLL)
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value < INT32_MIN)
    return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

int32_t DerivedFallback(Derived derived, const Design& d) {
  auto color = [&](V v) { return static_cast<TColor>(d.Get(v)); };
  switch (derived) {
    case Derived::kTabStart:
      return d.Get(V::kTabStart);
    case Derived::kTabEnd:
      return d.Get(V::kTabEnd);
    case Derived::kDarkTabStart:
      return static_cast<int32_t>(DarkenColor(color(V::kTabStart), 5));
    case Derived::kDarkTabEnd:
      return static_cast<int32_t>(DarkenColor(color(V::kTabEnd), 5));
    case Derived::kContrastInactive:
      return static_cast<int32_t>(ContrastColor(color(V::kTabInactiveEnd), 20, 2));
    case Derived::kNone:
      break;
  }
  return 0;
}

std::vector<Design>& DesignTable() {
  static std::vector<Design> table = [] {
    std::vector<Design> slots;
    IniText empty;
    for (int kind = 0; kind <= kMaxModuleKind; ++kind)
      slots.push_back(ReadDesign(empty, kPresetSection, kBuiltInSuffix, kind, L""));
    return slots;
  }();
  return table;
}

std::wstring PresetLines(const Design& d, int designNumber) {
  std::wstring text =
      L"[PKE_DESIGN]\r\nCfg_User=\r\nABO_Invisible_DATE=0\r\nBOriz_DATE=1\r\n"
      L"BVert_DATE=0\r\nBMP_DATE=?\r\n";
  for (const NumberKey& key : kNumberKeys) {
    int32_t value = key.value == V::kTipDesign ? designNumber : d.Get(key.value);
    text += KeyName(key.pattern, kBuiltInSuffix) + L"=" + DecimalText(value) + L"\r\n";
  }
  for (const FontKey& key : kFontKeys)
    text += KeyName(key.pattern, kBuiltInSuffix) + L"=" + d.Font(key.font) + L"\r\n";
  return text;
}

}  // namespace

TColor ContrastColor(TColor color, int n, int m) {
  if (IsSystemColor(color))
    return color;
  int sum = static_cast<int>((color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF));
  // A sum of at most 382.5 is a dark colour; channel sums are whole, so <= 382.
  return sum <= 382 ? DarkenColor(color, m) : LightenColor(color, n);
}

Design ReadDesign(const IniText& ini,
                  std::wstring_view section,
                  std::wstring_view suffix,
                  int kind,
                  std::wstring_view moduleName) {
  Design d;
  for (const NumberKey& key : kNumberKeys) {
    int32_t fallback = key.derived != Derived::kNone ? DerivedFallback(key.derived, d)
                       : kind == 1                   ? key.fallback1
                                                     : key.fallback0;
    std::optional<int32_t> number;
    if (auto text = ini.Get(section, KeyName(key.pattern, suffix)))
      number = ParseNumber(*text);
    d.values[static_cast<int>(key.value)] = number.value_or(fallback);
  }
  for (const FontKey& key : kFontKeys) {
    std::wstring name = ini.Get(section, KeyName(key.pattern, suffix)).value_or(kDefaultFontName);
    if (name.size() > kMaxFontName)
      name.resize(kMaxFontName);
    d.fontNames[static_cast<int>(key.font)] = name;
  }
  auto flag = [&](const wchar_t* pattern, bool fallback) {
    auto text = ini.Get(section, KeyName(pattern, suffix));
    auto number = text ? ParseNumber(*text) : std::nullopt;
    return number ? *number != 0 : fallback;
  };
  d.cfgUser = ini.Get(section, L"Cfg_User").value_or(L"");
  d.aboInvisible = flag(L"ABO_Invisible_#", false);
  d.barHorizontal = flag(L"BOriz_#", true);
  d.barVertical = flag(L"BVert_#", false);
  d.image = ini.Get(section, KeyName(L"BMP_#", suffix) + std::wstring(moduleName)).value_or(L"?");
  return d;
}

DesignSection DesignSectionFor(std::wstring_view fileName, int kind) {
  if (EqualsNoCaseAscii(fileName, L"DESIGNPKC.INI"))
    return {kPresetSection, kBuiltInSuffix};
  return {kPresetSection + DecimalText(kind), kind == 1 ? L"LISTE" : L"DATE"};
}

std::wstring DesignPresetText(int designNumber, int kind) {
  DesignPreset preset = BuiltInPreset(designNumber, kind);
  std::wstring overrides = L"[PKE_DESIGN]\r\n";
  for (size_t i = 0; i < preset.count; ++i) {
    const DesignOverride& o = preset.overrides[i];
    overrides += KeyName(kNumberKeys[static_cast<int>(o.value)].pattern, kBuiltInSuffix) + L"=" +
                 DecimalText(o.number) + L"\r\n";
  }
  // The overrides read over the base kind's fallbacks give the whole preset, derived colours
  // included; it is then written out key by key.
  Design d = ReadDesign(IniText(overrides), kPresetSection, kBuiltInSuffix, preset.baseKind, L"");
  return PresetLines(d, designNumber);
}

void LoadDesign(int kind, int designNumber) {
  if (kind < 0 || kind > kMaxModuleKind)
    return;
  IniText settings(DesignPresetText(designNumber, kind));
  DesignTable()[kind] = ReadDesign(settings, kPresetSection, kBuiltInSuffix, kind, L"");
}

const Design& DesignOf(int kind) {
  if (kind < 0 || kind > kMaxModuleKind)
    kind = 0;
  return DesignTable()[kind];
}

}  // namespace kolvar::toolkit
