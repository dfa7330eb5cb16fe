// The title-bar form family: the painted title strip, the frameless title-bar form and the
// panel that drags its form.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {

// The process-wide frameless switch: while on, title-bar forms designed with a sizeable border
// become frameless and resizable by their edges. The installer turns it on at start.
bool FramelessSwitch();
void SetFramelessSwitch(bool on);

enum class TIconStyle { isNone, isSearch, isDetail };

// The painted title strip (windowless): a gradient (or a solid colour) with the caption.
class TTitleBar : public TGraphicControl {
 public:
  TTitleBar(TWinControl* parent, std::wstring name);

  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor color);
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor color);
  bool Vertical() const { return vertical_; }
  void SetVertical(bool vertical);
  TIconStyle IconStyle() const { return iconStyle_; }
  void SetIconStyle(TIconStyle style);
  bool Grayed() const { return grayed_; }
  void SetGrayed(bool grayed);
  TColor CaptionColor() const { return Font().Color; }
  void SetCaptionColor(TColor color);
  // Scale of the owner form: dots per inch / 96.
  double Scara() const { return scara_; }
  int IconSpace() const { return iconSpace_; }
  // Width left for the caption text.
  int CaptionWidth() const { return width_; }

  void Paint(HDC dc) override;

 protected:
  void BoundsChanged() override;
  void CaptionChanged() override;

 private:
  void InvalidateCaption();
  void Recompute();

  TColor startColor_ = 0x4D3004;
  TColor endColor_ = 0xEFEFEF;
  bool vertical_ = false;
  bool grayed_ = false;
  TIconStyle iconStyle_ = TIconStyle::isNone;
  double scara_ = 1.0;
  int iconSpace_ = 10;
  int width_ = 0;
};

// A form with the painted title bar: dragged by its top 50 pixels, outlined in two tones,
// Alt+F4 swallowed, Ctrl+Alt+M minimises the application, title greyed while a modal window
// covers it.
class TTitleForm : public TPaintedForm {
 public:
  explicit TTitleForm(std::wstring name = L"");

  // The form's title bar (the child named "TitleBar1" once loaded), or null.
  TTitleBar* TitleBar() const { return titleBar_; }
  void SetTitleBar(TTitleBar* bar);
  bool fWin10Sizeable = false;

  bool PreviewKey(WORD& key, TShiftState shift) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void WindowStyles(DWORD& style, DWORD& exStyle) const override;
  void CaptionChanged() override;
  void EnabledByModal(bool enabled) override;
  void PaintWindow(HDC dc) override;
  // Draws the outline on `dc` (a window or client DC whose origin is the window's top-left).
  void DrawOutline(HDC dc, int width, int height);

 private:
  TTitleBar* titleBar_ = nullptr;
};

// A panel that drags its form while the left button is held on it.
class TMovePanel : public TPanel {
 public:
  TMovePanel(TWinControl* parent, std::wstring name);
  POINT Orig{};
  bool Down = false;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace kolvar::toolkit
