// TFmtLabel: a label that draws the toolkit's markup (colours, sizes, styles, shadows and
// blinking pieces; see toolkit/pure/markup.h).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/pure/markup.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {

class TFmtLabel;

// Where a formatted label keeps itself inside its parent.
enum class TMAlign { alMNone, alMTop, alMBottom, alMLeft, alMRight, alMCenter };

// One blinking piece of a formatted label: a 300 ms timer draws it alternately in its colours
// and in the label's background colour.
class TBlinkObj {
 public:
  TBlinkObj(TFmtLabel* label, PlacedSegment piece, TColor shadowColor);
  ~TBlinkObj();
  TBlinkObj(const TBlinkObj&) = delete;
  TBlinkObj& operator=(const TBlinkObj&) = delete;

  // Whether the piece is shown in its colours now.
  bool BlinkOn() const { return FBlinkOn; }
  // One timer step: flips the piece and draws it.
  void Tick();

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept;

  bool FBlinkOn = true;
  TFmtLabel* ParentLabel;
  PlacedSegment Piece;
  TColor ShadowColor;
  UINT_PTR Timer = 0;
};

class TFmtLabel : public TLabel {
 public:
  TFmtLabel(TWinControl* parent, std::wstring name);
  ~TFmtLabel() override;

  TMAlign Align() const { return malign_; }
  void SetAlign(TMAlign align);
  TColor ShadowColor;

  // The live blinking pieces (rebuilt on every paint).
  const std::vector<std::unique_ptr<TBlinkObj>>& BlinkList() const { return FBlinkList; }

  void Paint(HDC dc) override;
  // Draws one piece of the caption at its place, in its colours or in the background colour.
  void DrawPiece(HDC dc, const PlacedSegment& piece, TColor shadowColor, bool on);
  // The colour behind the text (the parent's when the label is transparent).
  COLORREF BackgroundColor() const;

 protected:
  void CaptionChanged() override;
  void FontHasChanged() override;
  void BoundsChanged() override;

 private:
  MarkupLayout Measure(HDC dc);
  // Grows the label to its text and keeps it at its Align place.
  void AdjustBounds();
  void PlaceByAlign();
  MarkupFont StartFont() const;

  TMAlign malign_ = TMAlign::alMNone;
  std::vector<std::unique_ptr<TBlinkObj>> FBlinkList;
  bool adjusting_ = false;
};

}  // namespace kolvar::toolkit
