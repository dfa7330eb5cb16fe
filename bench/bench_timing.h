// Clock, median and child-process timing shared by the benchmark programs that run under Wine.
#pragma once

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kolvar::bench {

// Milliseconds on the performance counter.
inline double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The middle value (the upper one of an even count); `values` must not be empty.
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The peak of private bytes `process` has committed so far.
inline size_t PeakCommitted(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(process, &counters, sizeof counters);
  return counters.PeakPagefileUsage;
}

// Runs `commandLine` with its output thrown away and waits for it. Returns its milliseconds,
// or -1 when it did not start or ended with a status other than 0. `peak`, when given, gets
// the process's peak of private bytes, read while it runs (a process that has ended answers
// no memory figures under Wine).
inline double RunTimed(const std::wstring& commandLine, size_t* peak = nullptr) {
  std::wstring command = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  startup.hStdError = startup.hStdOutput;
  PROCESS_INFORMATION info{};
  double start = Now();
  BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &startup, &info);
  ::CloseHandle(startup.hStdOutput);
  if (!started)
    return -1;
  size_t highest = 0;
  while (::WaitForSingleObject(info.hProcess, peak ? 5 : INFINITE) == WAIT_TIMEOUT)
    highest = std::max(highest, PeakCommitted(info.hProcess));
  double elapsed = Now() - start;
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  if (peak)
    *peak = highest;
  return code == 0 ? elapsed : -1;
}

}  // namespace kolvar::bench
