// The plain controls the pages use: push-button base, panel, label, edit, memo, progress gauge
// and picture. See toolkit/control.h for how a control is written.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/control.h"

namespace kolvar::toolkit {

// The base of the toolkit's push buttons: an owner-drawn system button with a modal result and
// the default (Enter) and cancel (Escape) flags. Derived buttons draw in DrawButton.
class TButton : public TWinControl {
 public:
  TButton(TWinControl* parent, std::wstring name);

  int ModalResult() const { return modalResult_; }
  virtual void SetModalResult(int result) { modalResult_ = result; }
  bool Default = false;
  bool Cancel = false;

  // Sets the form's modal result to the button's (when not 0), then fires OnClick.
  void Click() override;
  // Whether the click being handled came from the mouse (false: from the keyboard or code).
  bool ClickedByMouse() const { return mouseClick_; }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // Whether the button is drawn pressed now.
  bool Pressed() const { return pressed_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  // Draws the whole face into `dc` (a buffer of the button's client size).
  virtual void DrawButton(HDC dc, const RECT& client, bool pressed, bool focused) {}

  int modalResult_ = 0;

 private:
  bool mouseClick_ = false;
  bool pressed_ = false;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Draws a 3-D frame of `width` pixels inside `rect` and shrinks `rect` by it.
void Frame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width);

// A panel: a coloured area with bevels and an optional caption.
class TPanel : public TCustomControl {
 public:
  TPanel(TWinControl* parent, std::wstring name);

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut cut);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut cut);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

  TRect ClientRect() const override;
  void Paint(HDC dc) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int BevelSize() const;
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  TBevelCut bevelInner_ = TBevelCut::bvNone;
  int bevelWidth_ = 1;
  TAlignment alignment_ = TAlignment::taCenter;
};

enum class TTextLayout { tlTop, tlCenter, tlBottom };

// A windowless text label.
class TLabel : public TGraphicControl {
 public:
  TLabel(TWinControl* parent, std::wstring name);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  bool ShowAccelChar = true;
  // The control that takes the focus when the label's accelerator is pressed.
  TWinControl* FocusControl = nullptr;

  void Paint(HDC dc) override;

 protected:
  // DrawText format for the label's settings.
  UINT TextFormat() const;
  void AdjustSize();
  void CaptionChanged() override;
  void FontHasChanged() override;

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  TTextLayout layout_ = TTextLayout::tlTop;
};

// A single-line edit box.
class TEdit : public TWinControl {
 public:
  TEdit(TWinControl* parent, std::wstring name);

  // The text as it stands (what the user typed).
  std::wstring Text() const;
  void SetText(const std::wstring& text) { SetCaption(text); }
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  wchar_t PasswordChar = 0;
  void SelectAll();

  TNotifyEvent OnChange;

  LRESULT Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
  bool WantsKey(WORD key) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void ColorChanged() override;

 private:
  int maxLength_ = 0;
  bool readOnly_ = false;
  ScopedBrush brush_;
  TColor brushColor_ = clNone;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line edit box.
class TMemo : public TEdit {
 public:
  TMemo(TWinControl* parent, std::wstring name);

  TScrollStyle ScrollBars = TScrollStyle::ssNone;
  bool WordWrap = true;
  bool WantReturns = true;

  // Lines as shown (split at line breaks).
  std::vector<std::wstring> Lines() const;
  void SetLines(const std::vector<std::wstring>& lines);
  // Adds a line at the end and scrolls to it.
  void AddLine(const std::wstring& line);
  void Clear() { SetText(L""); }

  bool WantsKey(WORD key) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
};

// A progress bar with the percentage written in its middle.
class TGauge : public TGraphicControl {
 public:
  TGauge(TWinControl* parent, std::wstring name);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  int Progress() const { return progress_; }
  // The progress is kept within the limits; the gauge repaints when the percentage changes.
  void SetProgress(int value);
  void SetMinValue(int value);
  void SetMaxValue(int value);
  void AddProgress(int delta) { SetProgress(progress_ + delta); }
  int PercentDone() const;
  TColor ForeColor = 0x8A4507;
  TColor BackColor = clWhite;
  bool ShowText = true;

  void Paint(HDC dc) override;

 private:
  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
};

// A picture; with Transparent its top-left pixel's colour is left out. A picture is taken at
// the dots per inch of the moment it is set: one set while the form is built (at 96) grows with
// the form on a larger screen, one set after the form was scaled is drawn pixel for pixel.
class TImage : public TGraphicControl {
 public:
  TImage(TWinControl* parent, std::wstring name);

  const TPicture& Picture() const { return picture_; }
  void SetPicture(TPicture picture);
  // The picture as it is drawn on this screen (its size before Stretch), or null.
  TPicture ShownPicture() const;
  // With AutoSize, the control takes the size of the picture drawn at the new scale.
  void ScaleBy(int numerator, int denominator) override;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Stretch = false;
  bool Center = false;
  bool Proportional = false;
  bool Transparent = false;

  void Paint(HDC dc) override;

 protected:
  // The picture drawn now (derived controls choose among several), and the dots per inch it
  // was made for.
  virtual const TBitmap* CurrentPicture() const { return picture_.get(); }
  virtual int CurrentPictureDpi() const { return pictureDpi_; }
  void PictureChanged();
  bool autoSize_ = false;

 private:
  TPicture picture_;
  int pictureDpi_ = 96;
};

}  // namespace kolvar::toolkit
