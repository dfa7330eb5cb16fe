// The recording shell: starts dde_recorder (a stand-in for the shell's DDE server) and reads
// back what it recorded.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

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
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event.get(), 10000));
  }
  // Waits for the recorder to end (it ends when the client disconnects).
  bool Ended() { return ::WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0; }
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

}  // namespace kolvar::testing
