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

// Waits until `page` is on the screen and takes input.
inline bool WaitForPage(const toolkit::TMForm& page, DWORD timeoutMs = 5000) {
  return WaitUntil(
      [&] {
        HWND window = page.HandleIfAllocated();
        return window && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
      },
      timeoutMs);
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
