// Design settings: the colours and fonts kept per module kind, the key scheme of the settings
// file, the fallbacks, the built-in presets and the loader. No <windows.h>; design_file.cpp
// reads a settings file from disk.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/pure/colors.h"
#include "toolkit/pure/ini_text.h"

namespace kolvar::toolkit {

// Numeric design values (colours, switches, sizes, kinds). The key of each is listed in
// design.cpp; "#" there stands for the kind suffix.
enum class DesignValue : int {
  kTipDesign,          // TIPDESIGN_#
  kTitleBar,           // TITLEBAR_#
  kFlFont,             // COLOR_FLFont#
  kFlSelFont,          // COLOR_FLSELFont#
  kModulFont,          // COLOR_MODULFont#
  kModulSelFont,       // COLOR_ModulSELFont#
  kBoldMenuFont,       // BOLD_MENUFONT_#
  kSizeMenuFont,       // SIZE_MENUFONT_#
  kMenuFont,           // COLOR_MENUFONT_#
  kMenuSelFont,        // COLOR_MENUSELFONT_#
  kBoldFlFont,         // BOLD_FLFONT_#
  kSizeFlFont,         // SIZE_FLFONT_#
  kBoldModulFont,      // BOLD_MODULFONT_#
  kSizeModulFont,      // SIZE_ModulFONT_#
  kSubMenu,            // COLOR_SUBMENU_#
  kSubMenuSel,         // COLOR_SUBMENUSEL_#
  kSubMenuFont,        // COLOR_SUBMENUFONT_#
  kSubMenuSelFont,     // COLOR_SUBMENUSELFONT_#
  kBara,               // COLOR_BARA_#
  kButBara,            // COLOR_BUTBARA_#
  kBaraFont,           // COLOR_BARAFONT_#
  kBoldBara,           // BOLD_BARA_#
  kSizeBara,           // SIZE_BARA_#
  kBoldTab,            // BOLD_TAB_#
  kSizeTab,            // SIZE_TAB_#
  kTabFont,            // COLOR_TAB_#
  kModule,             // COLOR_MODULE_#
  kActivi,             // COLOR_ACTIVI_#
  kTabAsort,           // COLOR_TABASORT_#
  kBulinaF,            // TipBulinaF_#
  kBulinaD,            // TipBulinaD_#
  kTabStart,           // COLOR_TAB#_START
  kTabEnd,             // COLOR_TAB#_END
  kViewSel,            // COLOR_VIEWSEL_#
  kView,               // COLOR_VIEW_#
  kViewGrid,           // COLOR_VIEWGRID_#
  kListTitleStart,     // COLOR_LTIT#_START (falls back to the tab gradient start)
  kListTitleEnd,       // COLOR_LTIT#_END (falls back to the tab gradient end)
  kListTitleFont,      // COLOR_LTITFont#
  kBoldListTitleFont,  // BOLD_LTITFONT_#
  kSizeListTitleFont,  // SIZE_LTITFONT_#
  kTabInactiveStart,   // COLOR_TABINACTIV#_START (falls back to the darkened tab start)
  kTabInactiveEnd,     // COLOR_TABINACTIV#_END (falls back to the darkened tab end)
  kButtonFace,         // BFColor#_START
  kButtonFaceFont,     // BFFColor#_START
  kButtonFace2,        // BDColor#_START
  kButtonFace2Font,    // BDFColor#_START
  kSubunitFont,        // SubunitFColor#_START
  kUserFont,           // UserFColor#_START
  kTabInactive,        // COLOR_TABINACTIV_# (falls back to a contrast of the inactive end)
  kBackStart,          // COLOR_#_START
  kBackEnd,            // COLOR_#_END
  kCount
};
constexpr int kDesignValueCount = static_cast<int>(DesignValue::kCount);

// Font names of the design (at most 100 characters each).
enum class DesignFont : int { kMenu, kList, kModul, kBara, kTab, kListTitle, kCount };
constexpr int kDesignFontCount = static_cast<int>(DesignFont::kCount);

struct Design {
  std::array<int32_t, kDesignValueCount> values{};
  std::array<std::wstring, kDesignFontCount> fontNames;
  // Read from a settings file only.
  std::wstring cfgUser;
  bool aboInvisible = false;
  bool barHorizontal = true;  // BOriz_#
  bool barVertical = false;   // BVert_#
  std::wstring image = L"?";  // BMP_# + module name; "?" for none

  int32_t Get(DesignValue v) const { return values[static_cast<int>(v)]; }
  const std::wstring& Font(DesignFont f) const { return fontNames[static_cast<int>(f)]; }
};

// Dark colours (channel sum at most 382.5) are darkened by m, light ones lightened by n;
// system colours are returned unchanged.
TColor ContrastColor(TColor color, int n, int m);

// Reads a design for module `kind` from `ini`: keys in `section` with the kind `suffix`
// ("DATE" or "LISTE"); `moduleName` completes the image key. Missing keys and unreadable
// numbers take the fallback of the kind.
Design ReadDesign(const IniText& ini,
                  std::wstring_view section,
                  std::wstring_view suffix,
                  int kind,
                  std::wstring_view moduleName);

// Section and suffix a settings file named `fileName` holds for module `kind`:
// "DesignPKC.ini" (any case) holds "PKE_DESIGN" with "DATE"; any other file "PKE_DESIGN"
// followed by the kind number, with "LISTE" for kind 1 and "DATE" otherwise.
struct DesignSection {
  std::wstring section;
  std::wstring suffix;
};
DesignSection DesignSectionFor(std::wstring_view fileName, int kind);

// Text of the built-in preset `designNumber` (3..10: the fixed presets; any other number:
// the default preset, whose variant depends on whether `kind` is 1).
std::wstring DesignPresetText(int designNumber, int kind);

// Fills the design slot of `kind` (0..kMaxModuleKind) from a built-in preset, entirely in
// memory. Other kinds are ignored.
void LoadDesign(int kind, int designNumber);

// The design of `kind`; a slot never loaded holds the kind's fallbacks.
const Design& DesignOf(int kind);

constexpr int kMaxModuleKind = 63;

}  // namespace kolvar::toolkit
