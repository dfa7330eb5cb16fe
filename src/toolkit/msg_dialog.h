// The message dialog: the one way the installer tells the user something or asks a question.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/pure/dialog_layout.h"
#include "toolkit/title_bar.h"

namespace kolvar::toolkit {

// A short text (at most 31 characters) shown in capitals above every message while it is not
// empty. Callers set and clear it.
extern std::wstring MessageHeading;
// Flipped by three clicks on a one-button dialog's icon: one-button dialogs then close by
// themselves (result 2). Also the delay unit of both automatic timers (times 300 ms).
extern int AutoCloseMessages;
// Flipped by three clicks on the icon of a dialog with several buttons: dialogs then give
// their default answer by themselves.
extern bool AutoAnswerMessages;

// The dialog window.
class TMessageForm : public TTitleForm {
 public:
  TMessageForm();

  // Clicks counted on the icon.
  int Clickuri = 0;
  int HelpContext = 0;

  // The mouse-down handler of the panel, the label, the icon and the button panel.
  void UseMouse(TControl* sender, TMouseButton button, TShiftState shift, int x, int y);
  bool IsMessageDialog() const override { return true; }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  // Clicks the default buttons (a right-click's answer).
  void ClickDefaultButtons();
  // The first button that is default, visible and can take the focus, or null.
  TButton* FirstDefaultButton() const;
  int ButtonCount() const;

  TControl* Image = nullptr;  // the icon

 protected:
  // Always on top: a question is never hidden behind the program's always-on-top windows (the
  // release instructions), which go back above the page once the dialog has closed.
  void WindowStyles(DWORD& style, DWORD& exStyle) const override;
};

// The dialog that an automatic timer acts on, or null.
TMessageForm* CurrentAutoMessage();

// Builds the dialog ShowMsgDialog would show, without showing it (for previews). Throws when it
// cannot be built.
std::unique_ptr<TMessageForm> CreateMsgDialog(const std::wstring& text,
                                              const std::wstring& caption,
                                              int dlgType,
                                              TAlignment alignment,
                                              uint16_t buttons,
                                              int defaultButton,
                                              int helpContext = 0);

// Shows `text` (markup of the formatted label; "\r" starts a line) with the icon and default
// caption of `dlgType` (mtWarning..mtCustom) and one button per set bit of `buttons`
// (MsgDlgButton); `defaultButton` is the bit of the button that answers Enter and holds the
// focus. Returns the modal result of the button that closed the dialog, 2 when it closed by
// itself, 0 when it could not be built or shown (no message then).
int ShowMsgDialog(const std::wstring& text,
                  const std::wstring& caption,
                  int dlgType,
                  TAlignment alignment,
                  uint16_t buttons,
                  int defaultButton,
                  int helpContext = 0);

}  // namespace kolvar::toolkit
