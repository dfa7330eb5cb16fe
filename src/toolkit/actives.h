// The toolkit's input controls: the active label, edit and memo (a linked label lights up
// while its edit has the focus), the drawn check box and radio button, and the radio group
// whose form may veto a change of selection.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/control.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {

class TActiveLabel;

// Draws a one-line caption at (x, y) with its accelerator letter (the one after "&") in
// `accelColor`, underlined when `underline`. Returns the drawn width.
int DrawAccelCaption(HDC dc,
                     const std::wstring& caption,
                     int x,
                     int y,
                     const TFont& font,
                     COLORREF color,
                     COLORREF accelColor,
                     bool underline);
// The width and height of a caption drawn by DrawAccelCaption.
SIZE MeasureAccelCaption(const std::wstring& caption, const TFont& font);

// A label that focuses its FocusControl on a click or its accelerator; the accelerator letter
// is red and underlined while the FocusControl has the focus; disabled, the text is embossed.
class TActiveLabel : public TLabel {
 public:
  TActiveLabel(TWinControl* parent, std::wstring name);

  // Focuses the FocusControl when it can take the focus, then runs OnClick. The label's
  // accelerator comes here too.
  void Click() override;
  void Paint(HDC dc) override;
  bool FollowsFocusOf(const TWinControl* control) const override {
    return control && control == FocusControl;
  }
};

// Remembers a label's colour and style while an edit has the focus.
class TLabelHighlight {
 public:
  TActiveLabel* Label = nullptr;
  TColor LabelColor = clHighlightText;

  // Paints the label in LabelColor, remembering its colour and style.
  void Enter();
  // Gives the label back the colour and style it had at Enter.
  void Exit();

 private:
  bool lit_ = false;
  TColor oldColor_ = 0;
  unsigned oldStyle_ = 0;
};

// A single-line edit with an associated label, a flat two-colour border and right or centred
// text while it does not have the focus.
class TActiveEdit : public TEdit {
 public:
  TActiveEdit(TWinControl* parent, std::wstring name);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TActiveLabel* AssocLabel() const { return highlight_.Label; }
  // Also makes this edit the label's FocusControl.
  void SetAssocLabel(TActiveLabel* label);
  TColor LabelColor() const { return highlight_.LabelColor; }
  void SetLabelColor(TColor color) { highlight_.LabelColor = color; }
  TColor BorderColor = 0x808080;
  TColor BorderColorF = 0xFFFFFF;  // the border while focused
  bool FlatStyle = false;
  TBevelCut BevelOuter = TBevelCut::bvNone;

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void DoEnter() override;
  void DoExit() override;

 private:
  bool DrawsOwnText() const;
  void PaintOwnText(HDC dc);
  void PaintFlatBorder();
  int TextMargin() const;

  TAlignment alignment_ = TAlignment::taLeftJustify;
  TLabelHighlight highlight_;
};

// A memo with an associated label that lights up while the memo has the focus.
class TActiveMemo : public TMemo {
 public:
  TActiveMemo(TWinControl* parent, std::wstring name);

  TActiveLabel* AssocLabel() const { return highlight_.Label; }
  void SetAssocLabel(TActiveLabel* label);
  TColor LabelColor() const { return highlight_.LabelColor; }
  void SetLabelColor(TColor color) { highlight_.LabelColor = color; }

 protected:
  void DoEnter() override;
  void DoExit() override;

 private:
  TLabelHighlight highlight_;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// Which side the text is on: taRightJustify (the default) puts the box left of the text.
using TLeftRight = TAlignment;

// Shared drawing of the check box and the radio button: a cell of a picture strip beside the
// caption, both centred vertically, the text red while focused.
class TMarkControl : public TCustomControl {
 public:
  TMarkControl(TWinControl* parent, std::wstring name);

  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight alignment);

  void Paint(HDC dc) override;

 protected:
  // Group buttons put their line at the top of their cell (the group's row arithmetic expects
  // it there); other controls centre it.
  bool LineAtTop = false;
  // The picture strip, its number of cells and the cell to draw now.
  virtual const TBitmap* MarkPicture() const = 0;
  virtual int MarkCells() const = 0;
  virtual int MarkCell() const = 0;
  void DoEnter() override;
  void DoExit() override;

 private:
  TLeftRight alignment_ = TAlignment::taRightJustify;
};

class TMCustomCheckBox : public TMarkControl {
 public:
  TMCustomCheckBox(TWinControl* parent, std::wstring name);

  bool AllowGrayed = false;
  TCheckBoxState State() const { return state_; }
  // Repaints and fires OnClick when the state changes.
  void SetState(TCheckBoxState state);
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool checked);
  // Used instead of the shared check picture when CustomGlyph is on (three cells: checked,
  // unchecked, greyed).
  TPicture Glyph;
  bool CustomGlyph = false;

  // Moves to the next state (unchecked, greyed when allowed, checked) and fires OnClick.
  void Toggle();
  void Click() override;
  void AcceleratorPressed() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  const TBitmap* MarkPicture() const override;
  int MarkCells() const override { return 3; }
  int MarkCell() const override;

 private:
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
  bool pressed_ = false;
};

class TActiveCheckBox : public TMCustomCheckBox {
 public:
  using TMCustomCheckBox::TMCustomCheckBox;
};

class TMCustomRadioGroup;

// A drawn radio button. Checking it unchecks its radio siblings.
class TMRadioButton : public TMarkControl {
 public:
  TMRadioButton(TWinControl* parent, std::wstring name);

  bool Checked() const { return checked_; }
  // Checking turns the tab stop on, unchecks the siblings and fires OnClick; unchecking turns
  // the tab stop off.
  void SetChecked(bool checked);

  // Its accelerator (Alt+letter) selects it, as the focus it has just been given would select
  // a system radio button; a group's veto holds.
  void AcceleratorPressed() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  const TBitmap* MarkPicture() const override;
  int MarkCells() const override { return 2; }
  int MarkCell() const override { return checked_ ? 1 : 0; }
  // Whether the button may change the selection now (the group asks its form).
  virtual bool CanChange() { return true; }

 private:
  bool checked_ = false;
};

// A radio button made and owned by a radio group.
class TMGroupButton : public TMRadioButton {
 public:
  TMGroupButton(TMCustomRadioGroup* group, std::wstring name);

  void Click() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  bool WantsKey(WORD key) const override;

 protected:
  bool CanChange() override;

 private:
  TMCustomRadioGroup* group_;
};

// Handler that may refuse a change: CanModify starts true.
using TModifyEvent = std::function<void(TControl* sender, bool& CanModify)>;

// A group of radio buttons, one per item, filling the control in columns.
class TMCustomRadioGroup : public TCustomControl {
 public:
  TMCustomRadioGroup(TWinControl* parent, std::wstring name);

  const std::vector<std::wstring>& Items() const { return items_; }
  // Rebuilds the buttons and checks ItemIndex again (kept below the count).
  void SetItems(const std::vector<std::wstring>& items);
  int ItemIndex() const { return itemIndex_; }
  // Clamped to -1..count - 1; unchecks the old button and checks the new one.
  void SetItemIndex(int index);
  int Columns() const { return columns_; }
  void SetColumns(int columns);
  TModifyEvent OnModify;

  // The button of item `index`.
  TMGroupButton* Button(int index) const { return buttons_.at(index); }
  int Count() const { return static_cast<int>(buttons_.size()); }

  // Asks OnModify whether the selection may change.
  bool CanModify();
  // Home, End, Page Up, Page Down (and the arrows) move the selection.
  void KeyDown(WORD& key, TShiftState shift) override;
  bool WantsKey(WORD key) const override;
  void ScaleBy(int numerator, int denominator) override;

 protected:
  void BoundsChanged() override;
  void FontHasChanged() override;
  void EnabledChanged() override;

 private:
  friend class TMGroupButton;
  void ButtonClicked(TMGroupButton* button);
  void ArrangeButtons();
  void MoveSelection(int index);

  std::vector<std::wstring> items_;
  std::vector<TMGroupButton*> buttons_;
  int itemIndex_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

class TMRadioGroup : public TMCustomRadioGroup {
 public:
  using TMCustomRadioGroup::TMCustomRadioGroup;
};

}  // namespace kolvar::toolkit
