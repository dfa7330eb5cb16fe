#include "toolkit/msg_dialog.h"

#include <memory>

#include "platform/install_log.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "toolkit/buttons.h"
#include "toolkit/fmt_label.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/layout.h"
#include "toolkit/std_controls.h"
#include "toolkit/title_bar.h"

namespace kolvar::toolkit {

std::wstring MessageHeading;
int AutoCloseMessages = 0;
bool AutoAnswerMessages = false;

namespace {

constexpr UINT_PTR kAutoTimer = 1;
constexpr TColor kDialogTitleColor = 0x825106;
TMessageForm* currentAutoMessage = nullptr;

// The line under the message panel.
class TBevel : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void Paint(HDC dc) override {
    FillSolid(dc, RECT{0, 0, Width(), 1}, ::GetSysColor(COLOR_BTNSHADOW));
    FillSolid(dc, RECT{0, 1, Width(), 2}, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  }
};

HWND MainWindow() {
  TMForm* main = Application().MainForm();
  return main ? main->HandleIfAllocated() : nullptr;
}

void StopAutoTimer() {
  if (HWND main = MainWindow())
    ::KillTimer(main, kAutoTimer);
}

// Counts the dialog's Tag down; true when it reached zero (the timer is then stopped).
bool CountDown() {
  if (!currentAutoMessage)
    return false;
  if (currentAutoMessage->Tag > 0) {
    --currentAutoMessage->Tag;
    return false;
  }
  StopAutoTimer();
  return true;
}

void CALLBACK AutoCloseTick(HWND, UINT, UINT_PTR, DWORD) noexcept {
  if (CountDown())
    currentAutoMessage->SetModalResult(mrCancel);
}

void CALLBACK AutoAnswerTick(HWND, UINT, UINT_PTR, DWORD) noexcept {
  if (!CountDown())
    return;
  try {
    if (TButton* button = currentAutoMessage->FirstDefaultButton())
      button->Click();
  } catch (...) {
    Application().HandleException();
  }
}

void ForEachButton(const TWinControl* parent, const std::function<void(TButton*)>& each) {
  for (TControl* c : parent->Controls()) {
    if (auto* button = dynamic_cast<TButton*>(c))
      each(button);
    if (auto* child = dynamic_cast<TWinControl*>(c))
      ForEachButton(child, each);
  }
}

// Restores the cursor the application had when the dialog opened.
class CursorGuard {
 public:
  CursorGuard() : saved_(::SetCursor(::LoadCursorW(nullptr, IDC_ARROW))) {}
  ~CursorGuard() { ::SetCursor(saved_); }

 private:
  HCURSOR saved_;
};

}  // namespace

std::unique_ptr<TMessageForm> CreateMsgDialog(const std::wstring& text,
                                              const std::wstring& caption,
                                              int dlgType,
                                              TAlignment alignment,
                                              uint16_t buttons,
                                              int defaultButton,
                                              int helpContext) {
  auto form = std::make_unique<TMessageForm>();
  auto* titleBar = new TTitleBar(form.get(), L"TitleBar1");
  titleBar->SetAlign(TAlign::alTop);
  titleBar->SetHeight(25);
  titleBar->SetStartColor(kDialogTitleColor);
  form->SetTitleBar(titleBar);
  form->SetBorderStyle(TBorderStyle::bsDialog);
  form->BorderIcons = biSystemMenu;
  form->Font().Name = L"MS Sans Serif";
  form->Font().Height = -11;
  form->FontChanged();
  form->HelpContext = helpContext;
  auto mouse = [f = form.get()](TControl* s, TMouseButton b, TShiftState sh, int x, int y) {
    f->UseMouse(s, b, sh, x, y);
  };

  auto* panel = new TPanel(form.get(), L"Panel");
  panel->SetBevelOuter(TBevelCut::bvLowered);
  panel->OnMouseDown = mouse;
  auto* bevel = new TBevel(form.get(), L"Bevel");

  TFont bold = form->Font();
  bold.Style |= fsBold;
  // The window is laid out at 96 dots per inch and scaled to the screen at the end, but a font
  // does not grow in proportion with it: the text is measured in the font it will be drawn in,
  // and the lengths at 96 are chosen to cover it once scaled.
  int dpi = ScreenDpi();
  TFont onScreen = bold;
  onScreen.Height = ScaleValue(bold.Height, dpi, 96);
  int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  SIZE measured = MeasureText(text, onScreen, DT_WORDBREAK, screenWidth / 2);
  measured.cx = DesignLengthFor(measured.cx, dpi);
  measured.cy = DesignLengthFor(measured.cy, dpi);

  auto* label = new TFmtLabel(panel, L"Message");
  label->SetAlignment(alignment);
  label->SetTransparent(true);
  label->SetWordWrap(true);
  label->SetFont(bold);
  label->OnMouseDown = mouse;

  auto type =
      static_cast<TMsgDlgType>(dlgType < mtWarning || dlgType > mtCustom ? mtCustom : dlgType);
  auto* image = new TTransImage(panel, L"Image");
  image->SetKindMare(type);
  image->OnMouseDown = mouse;
  form->Image = image;
  const TPicture& icon = DialogIcon(type);
  int iconWidth = icon ? icon->Width() : 0;
  int iconHeight = icon ? icon->Height() : 0;

  auto* buttonPanel = new TPanel(form.get(), L"");
  buttonPanel->SetBevelOuter(TBevelCut::bvLowered);
  buttonPanel->OnMouseDown = mouse;

  MsgDialogLayout layout =
      LayoutMsgDialog({static_cast<int>(measured.cx), static_cast<int>(measured.cy), iconWidth,
                       iconHeight, titleBar->Height(), buttons});
  int escapeBit = EscapeButtonBit(buttons);
  for (size_t i = 0; i < layout.buttonBits.size(); ++i) {
    int bit = layout.buttonBits[i];
    std::wstring name = DialogButtonName(KindCaption(DialogButtonKind(bit)));
    if (form->FindChild(name))
      name += DecimalText(bit);
    auto* button = new TNiceButton(buttonPanel, name);
    button->SetKind(DialogButtonKind(bit));
    button->Default = bit == defaultButton;
    button->Cancel = bit == escapeBit;
    const CellRect& r = layout.buttons[i];
    button->SetBounds(r.left, r.top, r.width, r.height);
    if (button->Default)
      form->SetActiveControl(button);
  }

  auto place = [](TControl* c, const CellRect& r) {
    c->SetBounds(r.left, r.top, r.width, r.height);
  };
  form->SetClientSize(layout.clientWidth, layout.clientHeight);
  place(panel, layout.panel);
  place(bevel, layout.bevel);
  place(buttonPanel, layout.buttonPanel);
  place(image, layout.icon);
  place(label, layout.label);

  form->SetCaption(caption.empty() ? DefaultDialogCaption(dlgType) : caption);
  form->Position = TPosition::poScreenCenter;
  form->AfterConstruction();
  // The label wraps and grows to its text as it is set: only once it has the font it is drawn
  // in, or a line too wide in the font at 96 would wrap and grow it past the panel.
  label->SetCaption(text);
  return form;
}

TMessageForm* CurrentAutoMessage() {
  return currentAutoMessage;
}

TMessageForm::TMessageForm() : TTitleForm(L"Message") {}

void TMessageForm::WindowStyles(DWORD& style, DWORD& exStyle) const {
  TTitleForm::WindowStyles(style, exStyle);
  exStyle |= WS_EX_TOPMOST;
}

void TMessageForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TTitleForm::MouseDown(button, shift, x, y);
  UseMouse(this, button, shift, x, y);
}

void TMessageForm::ClickDefaultButtons() {
  ForEachButton(this, [](TButton* b) {
    if (b->Default)
      b->Click();
  });
}

TButton* TMessageForm::FirstDefaultButton() const {
  TButton* found = nullptr;
  ForEachButton(this, [&](TButton* b) {
    if (!found && b->Default && b->Visible() && b->CanFocus())
      found = b;
  });
  return found;
}

int TMessageForm::ButtonCount() const {
  int count = 0;
  ForEachButton(this, [&](TButton*) { ++count; });
  return count;
}

void TMessageForm::UseMouse(TControl* sender, TMouseButton button, TShiftState, int, int) {
  if (button == TMouseButton::mbRight) {
    ClickDefaultButtons();
    return;
  }
  if (sender != Image)
    return;
  if (++Clickuri < 3)
    return;
  if (ButtonCount() < 2) {
    SetModalResult(mrIgnore);
    AutoCloseMessages = AutoCloseMessages ? 0 : 1;
  } else {
    AutoAnswerMessages = !AutoAnswerMessages;
    if (TButton* b = FirstDefaultButton())
      b->Click();
  }
}

int ShowMsgDialog(const std::wstring& text,
                  const std::wstring& caption,
                  int dlgType,
                  TAlignment alignment,
                  uint16_t buttons,
                  int defaultButton,
                  int helpContext) {
  CursorGuard cursor;
  std::unique_ptr<TMessageForm> form;
  int result = 0;
  std::wstring shown = text;
  try {
    shown = ApplyMessageHeading(MessageHeading, text);
    form = CreateMsgDialog(shown, caption, dlgType, alignment, buttons, defaultButton, helpContext);
    HWND main = MainWindow();
    int count = form->ButtonCount();
    TIMERPROC tick = nullptr;
    if (main && AutoCloseMessages && count == 1) {
      tick = &AutoCloseTick;
    } else if (main && AutoAnswerMessages && count >= 1) {
      tick = &AutoAnswerTick;
    }
    if (tick) {
      form->Tag = 1;
      currentAutoMessage = form.get();
      ::SetTimer(main, kAutoTimer, static_cast<UINT>(AutoCloseMessages * 300), tick);
    }
    result = form->ShowModal();
  } catch (...) {
    result = 0;
  }
  currentAutoMessage = nullptr;
  form.reset();
  LogEvent(MessageEvent(caption.empty() ? DefaultDialogCaption(dlgType) : caption, shown,
                        AnswerName(buttons, result)));
  return result;
}

}  // namespace kolvar::toolkit
