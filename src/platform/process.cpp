#include "platform/process.h"

#include <vector>

#include "platform/unique_handle.h"

namespace kolvar {

int RunProgram(const std::wstring& commandLine, WORD showCommand, bool wait) {
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
    return -1;
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);
  if (!wait) return 0;
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.get(), &code)) return -1;
  return static_cast<int>(code);
}

}  // namespace kolvar
