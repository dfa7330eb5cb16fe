// Whether a window is in sight where the user looks, not only "visible" to the window system:
// points spread over its rectangle are hit-tested as the mouse would find them.
#pragma once

#include <windows.h>

#include <string>

namespace kolvar::shots {

// What the hit tests over a window found.
struct Sight {
  int points = 0;        // points tested (those of the window's rectangle inside the screen)
  int onWindow = 0;      // points that land on the window or one of its descendants
  HWND cover = nullptr;  // the top-level window that holds most of the other points, if any

  // A clear majority of the points (at least two thirds) land on the window.
  bool InSight() const { return points > 0 && onWindow * 3 >= points * 2; }
};

// Hit-tests (WindowFromPoint) nine points of `window`'s rectangle clipped to the screen: its
// centre, the points near its corners and the middles of its edges, each an eighth of the way
// in. A window entirely off the screen, hidden or destroyed gives a Sight of no points.
Sight LookAt(HWND window);

// `window` as a message names it: its class and caption ("(none)" for null).
std::wstring DescribeWindow(HWND window);

// "is not in sight: N of M points land on it, the others on <cover>", for failure messages.
std::wstring DescribeSight(const Sight& sight);

}  // namespace kolvar::shots
