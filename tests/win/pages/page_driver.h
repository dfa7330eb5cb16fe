// Showing one page as the wizard does (placed low on the screen, modally) while a script
// thread acts as the user, and saving what the user sees.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::pages {

// Waits until `window` is the active window and its thread has handled what the display sent
// on the way (under Wine the keyboard state is resynchronised when a window gains the display's
// focus: a modifier pressed before that may be lost).
inline void Settle(HWND window) {
  testing::WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000);
  ::Sleep(150);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
  ::Sleep(50);
}

// Places `page` as the wizard places its pages, shows it modally while `script` runs as the
// user and returns the modal result.
inline int RunPage(toolkit::TMForm& page, const std::function<void()>& script) {
  int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  page.SetBounds((sw - page.Width()) / 2, (sh - page.Height()) / 9 * 8, page.Width(),
                 page.Height());
  HWND window = page.Handle();
  testing::UserScript user([&] {
    if (!testing::WaitForWindow(window)) {
      ADD_FAILURE() << "the page did not show";
      page.SetModalResult(toolkit::mrCancel);
      return;
    }
    Settle(window);
    script();
  });
  return page.ShowModal();
}

// Saves the window as build/artifacts/<name>.
inline void SaveShot(HWND window, const std::wstring& name) {
  ::Sleep(150);
  testing::SaveArtifact(testing::CaptureWindow(window), name);
}

// Whether `window` is still shown after the messages of the last action had time to run.
inline bool StaysOpen(HWND window) {
  ::Sleep(300);
  return ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

}  // namespace kolvar::pages
