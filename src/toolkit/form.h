// Forms: the toolkit's top-level windows.
//
// How a form (a page, a dialog) is written
// ----------------------------------------
//   class TIType : public TTitleForm {
//    public:
//     TIType() : TTitleForm(L"TIType") {
//       SetClientSize(560, 400);
//       BNext->SetBounds(8, 300, 90, 40);
//       BNext->SetCaption(L"&Continua");
//       BNext->OnClick = Bind(this, &TIType::BNextClick);
//     }
//     TTitleBar* TitleBar1 = new TTitleBar(this, L"TitleBar1");
//     TMButton* BNext = new TMButton(this, L"BNext");
//
//    protected:
//     void FormCreate() override;             // runs once, after construction
//     void FormShow() override;               // each time before the window appears
//     void FormKeyDown(WORD& key, TShiftState shift) override;  // with KeyPreview
//     void BNextClick(TControl* sender);
//   };
//   auto page = CreateForm<TIType>();   // constructs, scales to the screen, runs FormCreate
//   int result = page->ShowModal();
//
// Everything is placed at 96 dots per inch; CreateForm scales the form to the screen's dots per
// inch (bounds, client size, fonts; pictures are drawn at the form's PixelsPerInch). Control
// members are created with `new` in member initialisers and owned by the form. A part made or
// placed after CreateForm (in FormCreate or later) is in screen pixels: give it lengths
// through ScaleValue(length, PixelsPerInch(), 96), or build it in the constructor, hidden.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/control.h"

namespace kolvar::toolkit {

class TButton;

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TPosition { poDesigned, poScreenCenter };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// Size limits of a form (0: no limit).
struct TSizeConstraints {
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
};

// The buttons of a form with the enabled state each had when the form was last disabled.
class TButtonList {
 public:
  void Add(TButton* button, bool enabled) { items_.push_back({button, enabled}); }
  TButton* GetButton(int index) const { return items_.at(index).first; }
  bool GetEnabled(int index) const { return items_.at(index).second; }
  void SetEnabled(int index, bool enabled) { items_.at(index).second = enabled; }
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::pair<TButton*, bool>> items_;
};

// The base of every toolkit form.
class TMForm : public TWinControl {
 public:
  explicit TMForm(std::wstring name = L"");
  ~TMForm() override;

  // Runs once after construction: scales the form to the screen and calls FormCreate.
  // CreateForm, Show and ShowModal call it when it has not run yet.
  void AfterConstruction();

  // Shows the form modally: every other window of the program is disabled, a message loop runs
  // until ModalResult is not 0 (and FormClose does not refuse), the windows are enabled again,
  // the form is hidden and the result returned. Throws Error when the form is already visible.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool IsModal() const { return modal_; }
  // Closes the form: a modal form ends with Cancel; the main form ends the application; any
  // other form is hidden (FormClose may refuse or choose otherwise).
  void Close();
  // Brings the form to the front and activates it (showing it first if needed).
  void BringToFront();

  bool KeyPreview = false;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
  unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);
  TPosition Position = TPosition::poDesigned;
  TSizeConstraints Constraints;

  // Client area size; the window grows or shrinks around it.
  int ClientWidth() const { return ClientRect().Width; }
  int ClientHeight() const { return ClientRect().Height; }
  void SetClientSize(int width, int height);
  void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
  void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
  TRect ClientRect() const override;

  // The control that has (or last had) the focus in this form.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // The control that takes the focus when the form is activated.
  virtual TWinControl* FirstControl();
  // Moves the focus to the next (or previous) control that takes the Tab key.
  void SelectNext(TWinControl* from, bool forward);
  // Dots per inch the form is drawn at (96 × scale).
  int PixelsPerInch() const { return pixelsPerInch_; }

  // The general key path: preview, the focused control's key event, Tab, Enter, Escape.
  // Returns true when the key was used.
  virtual bool PreviewKey(WORD& key, TShiftState shift);
  // Alt+letter: clicks or focuses the control with that accelerator. True when one took it.
  bool DialogChar(wchar_t ch);
  // A right-button press that reached this form while a message dialog is active: posts Enter
  // to the dialog and returns true (the press is consumed).
  bool RightClickUnderMessage();
  // Whether this form is a message dialog (the one that answers right-clicks on the forms
  // behind it with its default button).
  virtual bool IsMessageDialog() const { return false; }

  // Zoom by Ctrl+Alt+wheel: `steps` > 0 grows by 1 % a step, < 0 shrinks; ZoomReset goes back.
  void Zoom(int steps);
  void ZoomReset();

  // Called by a windowed control of this form when it takes the focus.
  void ActiveControlChanged(TWinControl* control);

  void ScaleBy(int numerator, int denominator) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Form state.
  bool FormLoaded = false;
  bool FormCreated = false;
  DWORD CreationTime = 0;
  short DPIScale = 0;
  TButtonList Botoane;
  TButton* FocusButton = nullptr;
  bool Activated = false;
  bool PrimaData = true;

 protected:
  // Runs once after construction, before FormCreate (the form's parts are all there).
  virtual void Loaded() {}
  // Events, for derived forms to override.
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormActivate() {}
  virtual void FormClose(TCloseAction& action) {}
  virtual void FormKeyDown(WORD& key, TShiftState shift) {}
  // Called after the form was disabled (a modal window opened over it) or enabled again.
  virtual void EnabledByModal(bool enabled) {}

  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void VisibleChanged() override;
  void ControlGoing(const TControl* going) override;
  // Styles of the window for the border settings.
  virtual void WindowStyles(DWORD& style, DWORD& exStyle) const;

 private:
  void DoShow();
  void FillButtonList();
  void DisableButtons();
  void RestoreButtons();
  bool CloseModal();
  void RelabelSystemMenu();
  // The size constraints times numerator / denominator.
  void ScaleConstraints(int numerator, int denominator);

  int modalResult_ = 0;
  bool modal_ = false;
  bool afterConstructionDone_ = false;
  TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
  int borderWidth_ = 0;
  TWinControl* activeControl_ = nullptr;
  int pixelsPerInch_ = 96;
};

// A form with no behaviour of its own between the base and the title-bar form.
class TPaintedForm : public TMForm {
 public:
  using TMForm::TMForm;
};

// Constructs a form, scales it to the screen and runs its FormCreate.
template <typename F, typename... Args>
std::unique_ptr<F> CreateForm(Args&&... args) {
  auto form = std::make_unique<F>(std::forward<Args>(args)...);
  form->AfterConstruction();
  return form;
}

}  // namespace kolvar::toolkit
