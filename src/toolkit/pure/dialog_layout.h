// The message dialog's arithmetic: its buttons, its Esc rule, the heading, and where every
// part goes. No <windows.h>; msg_dialog.cpp builds the window from these numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/pure/button_kinds.h"
#include "toolkit/pure/radio_layout.h"

namespace kolvar::toolkit {

// Bits of the `Buttons` mask, in left-to-right order.
enum MsgDlgButton : int {
  mbYes = 0,
  mbNo = 1,
  mbOK = 2,
  mbCancel = 3,
  mbAbort = 4,
  mbRetry = 5,
  mbIgnore = 6,
  mbAll = 7,
  mbNoToAll = 8,
  mbYesToAll = 9,
  mbHelp = 10,
  mbClose = 11,
};
constexpr int kMsgDlgButtonCount = 12;
constexpr uint16_t MsgDlgMask(MsgDlgButton bit) {
  return static_cast<uint16_t>(1u << bit);
}

// Default captions of the dialog types (mtWarning .. mtCustom); "" past the end.
const wchar_t* DefaultDialogCaption(int dlgType);

// The button kind (TMButtonKind) of the button for `bit` (0..11): mkYes, mkNo, mkOK, mkCancel,
// mkAbort, mkRetry, mkIgnore, mkAll, mkNo (No to all), mkAll (Yes to all), mkHelp, mkClose;
// mkCustom out of range. Caption and modal result come with the kind.
TMButtonKind DialogButtonKind(int bit);

// "Btn" + `caption` with every '&' and blank removed ("&Da" gives "BtnDa").
std::wstring DialogButtonName(std::wstring_view caption);

// The text a message shows: `text` alone when `heading` is empty, else the heading in capitals,
// ",\r\r", then `text`.
std::wstring ApplyMessageHeading(std::wstring_view heading, std::wstring_view text);

// The caption, without accelerator marks, of the button of `buttons` whose modal result is
// `result` ("OK", "Renunt"); "none" for 0 (the dialog was not shown), else the result's number.
std::wstring AnswerName(uint16_t buttons, int result);

// The bit of the button that answers Esc for this mask, or -1: Cancel when the mask holds No
// and Cancel, OK when it holds OK without Cancel, none otherwise.
int EscapeButtonBit(uint16_t buttons);

constexpr int kDialogButtonWidth = 100;
constexpr int kDialogButtonHeight = 28;

struct MsgDialogInput {
  int textWidth = 0;   // W, the text measured with word breaks at half the screen width
  int textHeight = 0;  // H
  int iconWidth = 0;   // IW, 0 for mtCustom
  int iconHeight = 0;  // IH
  int titleBarHeight = 25;
  uint16_t buttons = 0;
};

struct MsgDialogLayout {
  int clientWidth = 0;  // the form's client area
  int clientHeight = 0;
  CellRect panel;                 // on the form
  CellRect label;                 // on the panel
  CellRect icon;                  // on the panel
  CellRect bevel;                 // on the form
  CellRect buttonPanel;           // on the form
  std::vector<int> buttonBits;    // the set bits, left to right
  std::vector<CellRect> buttons;  // on the button panel, one per entry of buttonBits
};

// Every size and position of the dialog at 96 dots per inch.
MsgDialogLayout LayoutMsgDialog(const MsgDialogInput& input);

}  // namespace kolvar::toolkit
