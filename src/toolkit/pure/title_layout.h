// Layout arithmetic of the title bar and of the frameless forms' hit test. No <windows.h>.
#pragma once

namespace kolvar::toolkit {

// Height of a title bar at scale `scara` (dots per inch / 96): round(25 × scara).
int TitleBarHeight(double scara);
// Font size of the title caption: 10 points at scale 1, else 11.
int TitleFontSize(double scara);
// Space left of the caption: 10 without an icon, else half the icon face's width + 15 (the face
// width and the result at 96 dots per inch, in proportion at `ppi`).
int TitleIconSpace(bool hasIcon, int iconFaceWidth, int ppi = 96);
// Width left for the caption text: bar width - icon space - 10 (at 96 dots per inch, in
// proportion at `ppi`).
int TitleCaptionWidth(int barWidth, int iconSpace, int ppi = 96);
// Left of the caption text: round(5 × scara) + icon space.
int TitleCaptionLeft(double scara, int iconSpace);

// Where a point of a frameless form answers the mouse.
enum class HitZone {
  kClient,
  kCaption,
  kTopLeft,
  kTopRight,
  kBottomLeft,
  kBottomRight,
  kTop,
  kLeft,
  kBottom,
  kRight,
};
// (x, y) in window coordinates of a window `w` × `h`; the client area starts at
// (clientLeft, clientTop) in the window. Edges (within 6 pixels, corners first) answer only for
// a resizable frameless form; then the top 50 pixels of the client area answer "caption". Both
// lengths are at 96 dots per inch and in proportion at `ppi`.
HitZone FramelessHitTest(int x,
                         int y,
                         int w,
                         int h,
                         int clientLeft,
                         int clientTop,
                         bool resizable,
                         int ppi = 96);

}  // namespace kolvar::toolkit
