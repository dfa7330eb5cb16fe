// The toolkit's two image buttons: TMButton (the large page button, glyph and caption) and
// TNiceButton (the compact button with a caption plate). Both take their default caption,
// modal result and picture from their kind (toolkit/pure/button_kinds.h).
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "toolkit/mesaj.h"
#include "toolkit/pure/button_kinds.h"
#include "toolkit/pure/button_layout.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {

enum class TButtonStyle { bsAutoDetect, bsWin31, bsNew };

// Draws `line` at (x, y) with its accelerator letter (after a single "&") in `accelColor`
// (underlined when `underline`); with `stripOnly` the marks are removed and the line drawn
// plainly in `color`. Returns the width drawn.
int DrawAcceleratedLine(HDC dc,
                        int x,
                        int y,
                        const std::wstring& line,
                        const TFont& font,
                        COLORREF color,
                        COLORREF accelColor,
                        bool underline,
                        bool stripOnly);
// Width of `line` as DrawAcceleratedLine draws it.
int AcceleratedLineWidth(HDC dc, const std::wstring& line, const TFont& font);

// The large page button. The caption may hold "#" for line breaks. Default size 90 × 40,
// glyph above the caption.
class TMButton : public TButton {
 public:
  TMButton(TWinControl* parent, std::wstring name);

  TMButtonKind Kind() const { return kind_; }
  void SetKind(TMButtonKind kind);
  void SetModalResult(int result) override;
  TColor ColorOver = clBtnFace;
  bool LightButton = true;
  bool CaptionVisible = true;
  TButtonStyle Style = TButtonStyle::bsAutoDetect;
  int Delta = 0;
  int Margin = -1;
  int Spacing = 0;
  int NumGlyphs = 3;
  TButtonLayout ButtonLayout = TButtonLayout::blGlyphTop;
  // Own picture, used instead of the kind's when set.
  TPicture Glyph;
  // Colour of a disabled caption; DarkenColor(Color, 3) unless set.
  TColor DisableColor() const;
  void SetDisableColor(TColor color) { disableColor_ = color; }

  // Hot: focused or under the mouse.
  bool Hot() const { return hot_; }
  // Draws the button as it looks in the given state into `dc` (the gallery shows every state).
  void PaintPreview(HDC dc, const RECT& client, bool hot, bool pressed, bool focused);
  void MouseEnter() override;
  void MouseLeave() override;

 protected:
  void DrawButton(HDC dc, const RECT& client, bool pressed, bool focused) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void SetHot(bool hot);
  TMButtonKind kind_ = mkCustom;
  bool mrAssigned_ = false;
  bool hot_ = false;
  bool mouseOver_ = false;
  TColor disableColor_ = static_cast<TColor>(-1);
};

// The compact image button. Default size 100 × 28. Only its picture and its caption plate
// answer the mouse; at most one compact button in the process looks hot.
class TNiceButton : public TButton {
 public:
  TNiceButton(TWinControl* parent, std::wstring name);
  ~TNiceButton() override;

  TMButtonKind Kind() const { return kind_; }
  void SetKind(TMButtonKind kind);
  void SetModalResult(int result) override;
  bool CaptionVisible = true;
  bool InsideDraw = false;
  bool Stretch = false;
  bool Buffered = false;
  int NumGlyphs = 3;
  TButtonLayout ButtonLayout = TButtonLayout::blGlyphLeft;
  TPicture Glyph;
  // Shows the pressed look while set (the keyboard flash sets it for 20 ms).
  bool ForcedDown() const { return forcedDown_; }
  void SetForcedDown(bool down);

  // The button under the mouse (or focused) that looks hot, or null.
  static TNiceButton* HotButton();
  bool Hot() const { return HotButton() == this; }
  enum Look { kNormal, kHot, kPressed, kDisabled };
  // Draws the button with `look` into `dc`, w × h (the gallery shows every look).
  void PaintPreview(HDC dc, int w, int h, Look look, bool focused) {
    Render(dc, w, h, look, focused);
  }
  // Whether client point (x, y) is on the picture or the plate.
  bool HitTest(int x, int y) const override;
  void Click() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void DrawButton(HDC dc, const RECT& client, bool pressed, bool focused) override;
  void CaptionChanged() override;
  void EnabledChanged() override;
  void BoundsChanged() override;
  void ColorChanged() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  // The kind's (or own) picture and the caption plate, at the form's dots per inch.
  TPicture Picture() const;
  TPicture Face() const;
  void Render(HDC dc, int w, int h, Look look, bool focused);
  void DropBuffers();
  void BecomeHot();
  void StopHot();

  TMButtonKind kind_ = mkCustom;
  bool mrAssigned_ = false;
  bool cpAssigned_ = false;
  bool forcedDown_ = false;
  bool settingKindCaption_ = false;
  std::map<int, ScopedBitmap> buffers_;
};

}  // namespace kolvar::toolkit
