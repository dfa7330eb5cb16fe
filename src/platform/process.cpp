#include "platform/process.h"

#include <vector>

#include "platform/install_log.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar {

namespace {

// Starts `commandLine` shown with `showCommand`; the process handle, or an empty one when it
// cannot be started.
ScopedHandle StartProcess(const std::wstring& commandLine, WORD showCommand) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showCommand;
  PROCESS_INFORMATION info{};
  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &info))
    return ScopedHandle();
  ScopedHandle thread(info.hThread);
  return ScopedHandle(info.hProcess);
}

}  // namespace

int RunProgram(const std::wstring& commandLine, WORD showCommand, bool wait) {
  uint32_t started = LogClock();
  ScopedHandle process = StartProcess(commandLine, showCommand);
  if (!process) {
    DWORD error = ::GetLastError();
    LogEvent(L"run " + commandLine + L": cannot start, error " + DecimalText(error));
    return -1;
  }
  if (!wait) {
    LogEvent(L"run " + commandLine + L": started");
    return 0;
  }
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  int result = ::GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
  LogEvent(L"run " + commandLine + L": exit code " + DecimalText(result) + L" after " +
           DecimalText(LogClock() - started) + L" ms");
  return result;
}

bool StartProgramUntilIdle(const std::wstring& commandLine, WORD showCommand, DWORD idleWaitMs) {
  ScopedHandle process = StartProcess(commandLine, showCommand);
  LogEvent(L"run " + commandLine + (process ? L": started" : L": cannot start"));
  if (!process)
    return false;
  ::WaitForInputIdle(process.get(), idleWaitMs);
  return true;
}

}  // namespace kolvar
