#include "toolkit/pure/design_presets.h"

namespace kolvar::toolkit {
namespace {

using V = DesignValue;

constexpr DesignOverride kDefaultOther[] = {
    {V::kTitleBar, 0},          {V::kTabStart, 0x976A28},  {V::kTabEnd, 0xCCCCCC},
    {V::kView, 0xB1AC81},       {V::kBackStart, 0xBFBFBF}, {V::kBackEnd, 0xB7B7B7},
    {V::kButtonFace, 0x78695C},
};

constexpr DesignOverride kDefaultKind1[] = {
    {V::kTitleBar, 2},          {V::kBackStart, 12040119}, {V::kBackEnd, 16777215},
    {V::kTabStart, 13412194},   {V::kTabEnd, 0xF2E8DC},    {V::kView, 11644033},
    {V::kButtonFace, 0x825106},
};

// Eight looks: grey steel, ocean, forest, sand, plum, slate, rust, night.
constexpr DesignOverride kPreset3[] = {
    {V::kTitleBar, 1},         {V::kFlFont, 1},          {V::kFlSelFont, 16777215},
    {V::kModulFont, 15047949}, {V::kTabStart, 0x7F7F7F}, {V::kTabEnd, 0xE0E0E0},
    {V::kBackStart, 0xD8D8D8}, {V::kBackEnd, 0xF4F4F4},  {V::kButtonFace, 0x6E6E6E},
};
constexpr DesignOverride kPreset4[] = {
    {V::kTitleBar, 1},         {V::kFlFont, 0x5A3A10},  {V::kFlSelFont, 0xE8A200},
    {V::kTabStart, 0x9C5A1E},  {V::kTabEnd, 0xF0D8BE},  {V::kView, 0xF6E7D2},
    {V::kBackStart, 0xE9D2B4}, {V::kBackEnd, 0xFFF6EC}, {V::kButtonFace, 0x8A4507},
};
constexpr DesignOverride kPreset5[] = {
    {V::kTitleBar, 2},         {V::kFlFont, 0x1F4A1F},  {V::kFlSelFont, 0x2E9C2E},
    {V::kTabStart, 0x2F6B2F},  {V::kTabEnd, 0xD5EAD5},  {V::kView, 0xE1F0E1},
    {V::kBackStart, 0xC8E0C8}, {V::kBackEnd, 0xF2F9F2}, {V::kButtonFace, 0x3C783C},
};
constexpr DesignOverride kPreset6[] = {
    {V::kTitleBar, 0},         {V::kFlFont, 0x204060},  {V::kFlSelFont, 0x1E7FC8},
    {V::kTabStart, 0x4F8FB8},  {V::kTabEnd, 0xDCEEF8},  {V::kView, 0xE6F3FA},
    {V::kBackStart, 0xCFE4F0}, {V::kBackEnd, 0xF8FCFE}, {V::kButtonFace, 0x3F78A0},
};
constexpr DesignOverride kPreset7[] = {
    {V::kTitleBar, 1},         {V::kFlFont, 0x501E50},  {V::kFlSelFont, 0xB040B0},
    {V::kTabStart, 0x703070},  {V::kTabEnd, 0xECD8EC},  {V::kView, 0xF3E6F3},
    {V::kBackStart, 0xE0C8E0}, {V::kBackEnd, 0xFAF2FA}, {V::kButtonFace, 0x6A2E6A},
};
constexpr DesignOverride kPreset8[] = {
    {V::kTitleBar, 2},         {V::kFlFont, 0x4A4036},  {V::kFlSelFont, 0xA08060},
    {V::kTabStart, 0x6C5C4C},  {V::kTabEnd, 0xE4DED8},  {V::kView, 0xEEEAE6},
    {V::kBackStart, 0xD6CEC6}, {V::kBackEnd, 0xF6F4F2}, {V::kButtonFace, 0x5C4E40},
};
constexpr DesignOverride kPreset9[] = {
    {V::kTitleBar, 0},         {V::kFlFont, 0x183C6C},  {V::kFlSelFont, 0x2060D0},
    {V::kTabStart, 0x2850A0},  {V::kTabEnd, 0xD8E4F4},  {V::kView, 0xE8EEF8},
    {V::kBackStart, 0xC8D6EC}, {V::kBackEnd, 0xF4F8FC}, {V::kButtonFace, 0x234890},
};
constexpr DesignOverride kPreset10[] = {
    {V::kTitleBar, 1},          {V::kFlFont, 0xD0D0D0},    {V::kFlSelFont, 0x00C0FF},
    {V::kModulFont, 0xE0E0E0},  {V::kTabStart, 0x302820},  {V::kTabEnd, 0x686058},
    {V::kView, 0x403830},       {V::kBackStart, 0x282420}, {V::kBackEnd, 0x484440},
    {V::kButtonFace, 0x202020},
};

template <size_t N>
constexpr DesignPreset Make(int baseKind, const DesignOverride (&list)[N]) {
  return {baseKind, list, N};
}

}  // namespace

DesignPreset BuiltInPreset(int designNumber, int kind) {
  switch (designNumber) {
    case 3:
      return Make(0, kPreset3);
    case 4:
      return Make(0, kPreset4);
    case 5:
      return Make(0, kPreset5);
    case 6:
      return Make(0, kPreset6);
    case 7:
      return Make(0, kPreset7);
    case 8:
      return Make(0, kPreset8);
    case 9:
      return Make(0, kPreset9);
    case 10:
      return Make(0, kPreset10);
    default:
      return kind == 1 ? Make(1, kDefaultKind1) : Make(0, kDefaultOther);
  }
}

}  // namespace kolvar::toolkit
