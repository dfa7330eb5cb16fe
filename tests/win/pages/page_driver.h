// Showing one page as the wizard does (placed low on the screen, modally) while a script
// thread acts as the user, and saving what the user sees.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "page_driving.h"
#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::pages {

using testing::Settle;

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
