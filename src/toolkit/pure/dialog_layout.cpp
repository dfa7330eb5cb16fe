#include "toolkit/pure/dialog_layout.h"

#include <algorithm>

#include "platform/install_log.h"
#include "platform/text.h"

namespace kolvar::toolkit {
namespace {

constexpr const wchar_t* kDialogCaptions[] = {L"Atentie !", L"EROARE !", L"Informatie...",
                                              L"Confirmare...", L""};

constexpr TMButtonKind kButtonKinds[kMsgDlgButtonCount] = {
    mkYes, mkNo, mkOK, mkCancel, mkAbort, mkRetry, mkIgnore, mkAll, mkNo, mkAll, mkHelp, mkClose,
};

bool Has(uint16_t buttons, MsgDlgButton bit) {
  return (buttons & MsgDlgMask(bit)) != 0;
}

}  // namespace

const wchar_t* DefaultDialogCaption(int dlgType) {
  if (dlgType < 0 || dlgType > 4)
    return L"";
  return kDialogCaptions[dlgType];
}

TMButtonKind DialogButtonKind(int bit) {
  if (bit < 0 || bit >= kMsgDlgButtonCount)
    return mkCustom;
  return kButtonKinds[bit];
}

std::wstring DialogButtonName(std::wstring_view caption) {
  std::wstring name = L"Btn";
  for (wchar_t c : caption) {
    if (c != L'&' && c != L' ')
      name += c;
  }
  return name;
}

std::wstring ApplyMessageHeading(std::wstring_view heading, std::wstring_view text) {
  if (heading.empty())
    return std::wstring(text);
  return AsciiUpper(heading) + L",\r\r" + std::wstring(text);
}

std::wstring AnswerName(uint16_t buttons, int result) {
  for (int bit = 0; bit < kMsgDlgButtonCount; ++bit) {
    int kind = DialogButtonKind(bit);
    if (Has(buttons, static_cast<MsgDlgButton>(bit)) && result != 0 &&
        KindModalResult(kind) == result)
      return PlainCaption(KindCaption(kind));
  }
  return result == 0 ? L"none" : DecimalText(result);
}

int EscapeButtonBit(uint16_t buttons) {
  if (Has(buttons, mbNo) && Has(buttons, mbCancel))
    return mbCancel;
  if (Has(buttons, mbOK) && !Has(buttons, mbCancel))
    return mbOK;
  return -1;
}

MsgDialogLayout LayoutMsgDialog(const MsgDialogInput& in) {
  MsgDialogLayout out;
  for (int bit = 0; bit < kMsgDlgButtonCount; ++bit) {
    if (in.buttons & (1u << bit))
      out.buttonBits.push_back(bit);
  }
  const int count = static_cast<int>(out.buttonBits.size());
  const int contentWidth = in.textWidth + 32 + in.iconWidth + 10;
  const int contentHeight = std::max(in.iconHeight + 20, in.textHeight + 32);
  const int buttonsWidth = count * kDialogButtonWidth + 32;

  out.panel = {16, in.titleBarHeight + 16, std::max({150, contentWidth, buttonsWidth}),
               std::max(55, contentHeight)};
  out.clientWidth = out.panel.width + 32;
  out.clientHeight = in.titleBarHeight + out.panel.height + 90;
  out.bevel = {0, in.titleBarHeight + out.panel.height + 32, out.clientWidth, 5};
  out.buttonPanel = {(out.clientWidth - buttonsWidth) / 2, out.bevel.top + 8, buttonsWidth, 43};

  out.icon = {10, 0, in.iconWidth, in.iconHeight};
  out.label.width = in.textWidth;
  out.label.height = in.textHeight;
  if (in.iconHeight > in.textHeight) {
    out.icon.top = 10;
    out.label.top = out.icon.top + in.iconHeight / 2 - in.textHeight / 2;
  } else {
    out.label.top = 16;
    out.icon.top = out.label.top + in.textHeight / 2 - in.iconHeight / 2;
  }
  const int iconRight = out.icon.left + out.icon.width;
  out.label.left = iconRight + (out.panel.width - iconRight - out.label.width) / 2;

  for (int i = 0; i < count; ++i) {
    out.buttons.push_back(
        {16 + i * kDialogButtonWidth, 8, kDialogButtonWidth, kDialogButtonHeight});
  }
  return out;
}

}  // namespace kolvar::toolkit
