// The control model every toolkit window is built from.
//
// How a control is written
// ------------------------
// - A control is created with `new TSomething(parent, L"Name")`; the parent owns it and deletes
//   it with itself. Bounds are given at 96 dots per inch; forms scale everything to the screen
//   (see TMForm). Properties are plain setters and getters named after the property
//   (`SetCaption`/`Caption`, `SetEnabled`/`Enabled`); a setter repaints what it changes.
// - A windowless control (TGraphicControl) draws itself in `Paint(dc)` in its own client
//   coordinates and is hit-tested and fed mouse calls by its windowed parent.
// - A windowed control (TWinControl) owns an HWND, made when first needed (a form makes its
//   own and its children's when it is shown). Its message handler `WndProc` is a flat switch
//   of one-line cases; whatever it does not handle goes to `DefaultHandler`. Controls built on
//   a system class ("EDIT", "BUTTON") name it in `CreateParams`; notifications their parent
//   receives (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR...) come back to them as `Notify` calls.
// - Events are std::function members named as the event (`OnClick`, `OnChange`); a handler
//   gets the sender. Bind a form's method with `Bind(this, &TMyForm::BNextClick)`.
// - Handlers may throw: the window procedure catches everything, the application shows the
//   error's text in a message box (the general error report) and the message loop goes on.
// - Colours are TColor values (toolkit/pure/colors.h); resolve system colours with ResolveColor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/unique_handle.h"
#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

class TControl;
class TWinControl;
class TMForm;

// The window procedure of every toolkit window (and of the system windows it subclasses).
LRESULT CALLBACK ToolkitWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

// A rectangle by position and size.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool Contains(int x, int y) const { return x >= Left && x < Right() && y >= Top && y < Bottom(); }
  RECT ToRECT() const { return RECT{Left, Top, Left + Width, Top + Height}; }
};

enum TShift : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};
using TShiftState = unsigned;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
              mrNo = 7, mrAll = 12;

using TNotifyEvent = std::function<void(TControl* sender)>;
using TMouseEvent =
    std::function<void(TControl* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TControl* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TControl* sender, WORD& key, TShiftState shift)>;

// Binds a member function of `object` as a notify event.
template <typename C>
TNotifyEvent Bind(C* object, void (C::*method)(TControl*)) {
  return [object, method](TControl* sender) { (object->*method)(sender); };
}

// The platform colour of `color` (system colours looked up; clNone gives white).
COLORREF ResolveColor(TColor color);
// The screen's dots per inch (96 when it cannot be read).
int ScreenDpi();
// The dots per inch `control` is drawn at: its form's once the form is scaled to the screen, 96
// for a control without a form. Pictures and sizes in points follow it.
int PixelsPerInchOf(const TControl* control);
// The current state of Shift, Alt and Ctrl.
TShiftState KeyboardShift();

// A font description; the handle is made when first asked for and remade after a change.
// `Height` is in pixels at the control's current scale; negative means character height
// (as the platform's LOGFONT).
class TFont {
 public:
  TFont() = default;
  TFont(const TFont& other) { *this = other; }
  TFont& operator=(const TFont& other);

  std::wstring Name = L"MS Sans Serif";
  int Height = -11;
  unsigned Style = 0;  // TFontStyle bits
  TColor Color = clWindowText;
  uint8_t Charset = DEFAULT_CHARSET;

  // Sets Height from a size in points at 96 dots per inch.
  void SetSize(int points) { Height = -ScaleValue(points, 96, 72); }
  // The font handle; owned by this object. Never null (falls back to the system GUI font).
  HFONT Handle() const;

 private:
  mutable ScopedFont handle_;
  mutable std::wstring madeName_;
  mutable int madeHeight_ = 0;
  mutable unsigned madeStyle_ = 0;
  mutable uint8_t madeCharset_ = 0;
};

// Base of every control: identity, placement, visibility, enabled state, caption, font, colour.
class TControl {
 public:
  TControl(TWinControl* parent, std::wstring name);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::wstring& Name() const { return name_; }
  TWinControl* Parent() const { return parent_; }
  // The form that holds this control (itself for a form), or null.
  TMForm* OwnerForm() const;

  // Placement in the parent's client coordinates.
  void SetBounds(int left, int top, int width, int height);
  void SetBounds(const TRect& r) { SetBounds(r.Left, r.Top, r.Width, r.Height); }
  const TRect& BoundsRect() const { return bounds_; }
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }
  void SetLeft(int v) { SetBounds(v, bounds_.Top, bounds_.Width, bounds_.Height); }
  void SetTop(int v) { SetBounds(bounds_.Left, v, bounds_.Width, bounds_.Height); }
  void SetWidth(int v) { SetBounds(bounds_.Left, bounds_.Top, v, bounds_.Height); }
  void SetHeight(int v) { SetBounds(bounds_.Left, bounds_.Top, bounds_.Width, v); }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  // The screen position of client point (x, y).
  POINT ClientToScreen(int x, int y) const;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent visible too.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);

  // The font; after changing fields call FontChanged (or use SetFont).
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  void FontChanged();
  TColor Color() const { return color_; }
  // Sets the colour; the control stops following its parent's.
  void SetColor(TColor color);
  // Whether the control takes its parent's colour (now and when the parent's changes).
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);

  int Tag = 0;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // Asks for a repaint of the whole control.
  virtual void Invalidate();
  // Repaints at once.
  void Repaint();
  // Scales bounds and font by numerator/denominator (children too).
  virtual void ScaleBy(int numerator, int denominator);
  virtual bool IsWindowed() const { return false; }

  // Fires OnClick; buttons add their modal result.
  virtual void Click();
  virtual void DblClick();

  // Mouse input in client coordinates (windowed controls get it from their window, windowless
  // ones from their parent).
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // Whether client point (x, y) belongs to the control for the mouse.
  virtual bool HitTest(int x, int y) const { return true; }
  // Whether the control's look depends on `control` having the focus; such controls are
  // repainted whenever that control takes or loses it.
  virtual bool FollowsFocusOf(const TWinControl* control) const { return false; }

  // Windowless drawing in client coordinates; the parent calls it while painting itself.
  virtual void Paint(HDC dc) {}

 protected:
  virtual void BoundsChanged() {}
  virtual void CaptionChanged() { Invalidate(); }
  virtual void EnabledChanged() { Invalidate(); }
  virtual void VisibleChanged();
  virtual void ColorChanged() { Invalidate(); }
  virtual void FontHasChanged() { Invalidate(); }
  // The rectangle of this control in its parent's window, for invalidation.
  TRect RectInParentWindow() const;

  // Takes `color` without changing ParentColor, and passes it to children that follow.
  void ApplyColor(TColor color);

  TRect bounds_;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;

 private:
  friend class TWinControl;
  std::wstring name_;
  TWinControl* parent_;
  TAlign align_ = TAlign::alNone;
  bool visible_ = true;
  bool enabled_ = true;
  std::wstring caption_;
  TFont font_;
};

// A control without a window: painted and hit-tested by its parent.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
};

// A control that owns a window.
class TWinControl : public TControl {
 public:
  TWinControl(TWinControl* parent, std::wstring name);
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }
  // The window, made (with the parents' and the children's) when first needed.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  HWND HandleIfAllocated() const { return handle_; }
  // The control that owns `window`, or null.
  static TWinControl* FromHandle(HWND window);

  const std::vector<TControl*>& Controls() const { return controls_; }
  // The child (any depth) named `name`, or null.
  TControl* FindChild(const std::wstring& name) const;

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // Position among the windowed siblings for the Tab key.
  int TabOrder() const;
  void SetTabOrder(int order);
  bool Focused() const;
  bool CanFocus() const;
  // Moves the keyboard focus here; fails silently when the control cannot take it.
  virtual void SetFocus();
  // The control's accelerator (Alt + its letter) was pressed and it took the focus; a check
  // box toggles here.
  virtual void AcceleratorPressed() {}

  void Invalidate() override;
  void ScaleBy(int numerator, int denominator) override;
  // Lays out the aligned children again.
  void Realign();
  // The client area size (bounds minus any border the control draws outside its client).
  virtual TRect ClientRect() const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;

  // The message handler; see the header comment.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // What the window would do without us.
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  // A notification from the parent window about this control's window.
  virtual LRESULT Notify(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

  // Key pressed while this control has the focus; set `key` to 0 to swallow it.
  virtual void KeyDown(WORD& key, TShiftState shift);
  // Whether the control consumes `key` itself (arrows, Enter in a memo...) so that the form
  // does not use it for moving the focus or for the default and cancel buttons.
  virtual bool WantsKey(WORD key) const { return false; }

 protected:
  struct TCreateParams {
    const wchar_t* ClassName = nullptr;  // null: the toolkit's own class
    DWORD Style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD ExStyle = 0;
    HWND ParentWindow = nullptr;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // Called once the window exists (children's windows too).
  virtual void HandleCreated() {}
  void DestroyHandle();

  // WM_ERASEBKGND (nothing: painting covers everything), WM_PAINT and WM_PRINTCLIENT through
  // PaintWindow.
  LRESULT PaintMessage(UINT msg, WPARAM wParam);
  // Paints the background (Color) and then the windowless children.
  virtual void PaintWindow(HDC dc);
  virtual void PaintBackground(HDC dc);
  void PaintGraphicChildren(HDC dc, const RECT& clip);

  void BoundsChanged() override;
  void CaptionChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void FontHasChanged() override;

  virtual void DoEnter();
  virtual void DoExit();
  // Called on every container above a control that is being destroyed, so that none keeps a
  // pointer to it (a form's remembered focus).
  virtual void ControlGoing(const TControl* going) {}

  HWND handle_ = nullptr;

 private:
  friend class TControl;
  friend LRESULT CALLBACK ToolkitWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void AttachHandle(HWND window);
  LRESULT HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam);
  TControl* GraphicChildAt(int x, int y) const;
  void TrackLeave();
  void SyncBoundsFromWindow();

  std::vector<TControl*> controls_;
  WNDPROC originalProc_ = nullptr;
  bool tabStop_ = false;
  bool trackingLeave_ = false;
  bool mouseInside_ = false;
  TControl* mouseCapture_ = nullptr;  // windowless child that got the button press
  TControl* mouseOver_ = nullptr;     // windowless child under the mouse
  bool aligning_ = false;
  bool syncingBounds_ = false;
};

// A windowed control of the toolkit's own window class that draws itself in Paint (the
// background is filled with Color first).
class TCustomControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void PaintWindow(HDC dc) override;
  // Draws with double buffering: paints go to a memory bitmap first.
  bool DoubleBuffered = false;
};

// Draws `text` into `rect` with DrawText `format` in `font` and `color` (transparent background).
void DrawTextIn(HDC dc,
                const std::wstring& text,
                RECT rect,
                UINT format,
                const TFont& font,
                COLORREF color);
// The extent of `text` drawn with `font` and DrawText `format` inside `width` (0: no limit).
SIZE MeasureText(const std::wstring& text, const TFont& font, UINT format, int width = 0);
// Fills `rect` with `color`.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// A one-pixel frame around the inside of `rect`.
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);

}  // namespace kolvar::toolkit
