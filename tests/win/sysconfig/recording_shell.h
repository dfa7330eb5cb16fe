// The recording shell: starts dde_recorder (a stand-in for the shell's DDE server) and reads
// back what it recorded.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <dde.h>

#include <atomic>
#include <string>

#include "platform/files.h"
#include "platform/unique_handle.h"
#include "win_test_support.h"

namespace kolvar::testing {

// Sets an environment variable for this process and the programs it starts, until destroyed.
class EnvVar {
 public:
  EnvVar(const wchar_t* name, const std::wstring& value) : name_(name) {
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~EnvVar() { ::SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

// The recording server, set up to record into a folder of its own.
class Recorder {
 public:
  Recorder(const wchar_t* mode, const std::wstring& service)
      : mode_(L"KOLVAR_DDE_MODE", mode),
        service_(L"KOLVAR_DDE_SERVICE", service),
        record_(L"KOLVAR_DDE_RECORD", folder_.path()) {}

  // Starts the recorder from the test's folder and waits until its service is registered.
  void Start() {
    std::wstring ready = L"kolvar-dde-ready-" + std::to_wstring(::GetCurrentProcessId());
    ScopedHandle event(::CreateEventW(nullptr, TRUE, FALSE, ready.c_str()));
    EnvVar readyName(L"KOLVAR_DDE_READY", ready);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + ExecutableFolder() + L"dde_recorder.exe\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event.get(), testing::Scaled(10000)));
  }
  // Waits for the recorder to end (it ends when the client disconnects).
  bool Ended() {
    return ::WaitForSingleObject(process_.get(), testing::Scaled(10000)) == WAIT_OBJECT_0;
  }
  ~Recorder() {
    if (process_)
      ::TerminateProcess(process_.get(), 0);
  }

  std::string Connects() const { return ReadFile(folder_ / L"connects.txt"); }
  std::string Execute(int n) const {
    return ReadFile(folder_ / (L"execute-" + std::to_wstring(n) + L".bin"));
  }

 private:
  TempFolder folder_{L"dde"};
  EnvVar mode_, service_, record_;
  ScopedHandle process_;
};

// A top-level window on a thread of its own that takes the broadcast opening a DDE conversation
// and does not return from it (a program busy inside its message handler) until this object
// goes.
class NonAnsweringWindow {
 public:
  NonAnsweringWindow() {
    thread_.reset(::CreateThread(nullptr, 0, &Run, this, 0, nullptr));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(ready_.get(), 10000));
  }
  ~NonAnsweringWindow() {
    ::SetEvent(release_.get());
    if (window_)
      ::PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread_.get(), 10000));
  }
  NonAnsweringWindow(const NonAnsweringWindow&) = delete;
  NonAnsweringWindow& operator=(const NonAnsweringWindow&) = delete;

  bool Received() const { return received_; }

 private:
  static DWORD WINAPI Run(void* parameter) {
    auto* self = static_cast<NonAnsweringWindow*>(parameter);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KolvarNonAnswering";
    ::RegisterClassW(&windowClass);
    self->window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"Nu raspunde", WS_POPUP, 0, 0,
                                      10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(self->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::SetEvent(self->ready_.get());
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
      ::DispatchMessageW(&message);
    return 0;
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NonAnsweringWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DDE_INITIATE && self) {
      self->received_ = true;
      ::WaitForSingleObject(self->release_.get(), INFINITE);
      return 0;
    }
    if (message == WM_DESTROY)
      ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  ScopedHandle ready_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  ScopedHandle release_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HWND window_ = nullptr;
  std::atomic<bool> received_{false};
  ScopedHandle thread_;
};

}  // namespace kolvar::testing
