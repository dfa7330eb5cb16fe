#include "sight.h"

#include <map>

namespace kolvar::shots {

Sight LookAt(HWND window) {
  Sight sight;
  RECT r;
  if (!window || !::IsWindowVisible(window) || !::GetWindowRect(window, &r))
    return sight;
  RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT seen;
  if (!::IntersectRect(&seen, &r, &screen))
    return sight;
  std::map<HWND, int> covers;
  int width = seen.right - seen.left, height = seen.bottom - seen.top;
  for (int row : {1, 4, 7}) {
    for (int column : {1, 4, 7}) {
      POINT at{seen.left + width * column / 8, seen.top + height * row / 8};
      ++sight.points;
      HWND hit = ::WindowFromPoint(at);
      if (hit == window || (hit && ::IsChild(window, hit)))
        ++sight.onWindow;
      else if (hit)
        ++covers[::GetAncestor(hit, GA_ROOT)];
    }
  }
  int most = 0;
  for (auto& [cover, count] : covers) {
    if (count > most) {
      most = count;
      sight.cover = cover;
    }
  }
  return sight;
}

std::wstring DescribeWindow(HWND window) {
  if (!window)
    return L"(none)";
  wchar_t name[256] = L"";
  ::GetClassNameW(window, name, 256);
  wchar_t text[256] = L"";
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
  return std::wstring(name) + L" \"" + text + L"\"";
}

std::wstring DescribeSight(const Sight& sight) {
  if (sight.points == 0)
    return L"is not on the screen";
  return L"is not in sight: " + std::to_wstring(sight.onWindow) + L" of " +
         std::to_wstring(sight.points) + L" points land on it, the others on " +
         DescribeWindow(sight.cover);
}

}  // namespace kolvar::shots
