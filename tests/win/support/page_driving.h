// Driving a wizard page from a test's script thread: waiting for it to take input, and
// recording the general error report instead of showing it. Header only; for test programs
// that link the toolkit and tests/win/toolkit/ui_driver.cpp.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "ui_driver.h"

namespace kolvar::testing {

// Waits until `window` is the active window and its thread has handled what the display sent
// on the way (under Wine the keyboard state is resynchronised when a window gains the display's
// focus: a key or modifier pressed before that may be lost).
inline void Settle(HWND window) {
  WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000);
  ::Sleep(150);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
  ::Sleep(50);
}

// Whether the keyboard focus of the control's thread is in `control` (asked from the script's
// thread, whose own focus is none).
inline bool HasFocus(const toolkit::TWinControl& control) {
  HWND field = control.HandleIfAllocated();
  GUITHREADINFO info{sizeof info};
  if (!field || !::GetGUIThreadInfo(::GetWindowThreadProcessId(field, nullptr), &info))
    return false;
  return info.hwndFocus == field || ::IsChild(field, info.hwndFocus);
}

// Waits until `page` is on the screen, takes input and has settled as the active window.
inline bool WaitForPage(const toolkit::TMForm& page, DWORD timeoutMs = 5000) {
  bool ready = WaitUntil(
      [&] {
        HWND window = page.HandleIfAllocated();
        return window && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
      },
      timeoutMs);
  if (ready)
    Settle(page.HandleIfAllocated());
  return ready;
}

// Waits until the thread of `window` handles messages again, after whatever a click started on
// it (a message sent to the window is answered only then).
inline bool WaitUntilAnswering(HWND window, DWORD timeoutMs = 20000) {
  return WaitUntil(
      [&] {
        DWORD_PTR ignored = 0;
        return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 500, &ignored) != 0;
      },
      timeoutMs);
}

// Answers the message dialog `dialog` with its button named `button` ("BtnDa", "BtnNu", ...) as
// a user would: once the dialog has settled as the active window, and again when a click made
// while the display was still catching up changed nothing. Returns whether the dialog closed.
inline bool AnswerDialog(HWND dialog, const wchar_t* button) {
  Settle(dialog);
  auto* form = dynamic_cast<toolkit::TMForm*>(toolkit::TWinControl::FromHandle(dialog));
  toolkit::TControl* target = form ? form->FindChild(button) : nullptr;
  if (!target)
    return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickControl(*target);
    if (WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 2000))
      return true;
  }
  return false;
}

// Records the texts of the general error report while it lives.
class ErrorReports {
 public:
  ErrorReports() {
    toolkit::Application().OnException = [this](const std::wstring& text) {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_.push_back(text);
    };
  }
  ~ErrorReports() { toolkit::Application().OnException = nullptr; }
  ErrorReports(const ErrorReports&) = delete;
  ErrorReports& operator=(const ErrorReports&) = delete;

  std::vector<std::wstring> Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> texts_;
};

}  // namespace kolvar::testing
